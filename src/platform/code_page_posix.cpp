// Code pages through iconv. The POSIX side behaves as a Chinese Windows: the
// local code page is always GBK (936).
#include <errno.h>
#include <iconv.h>

#include <map>
#include <utility>

#include "platform/code_page.h"
#include "platform/code_page_names_posix.h"

namespace vt::platform {

namespace {

// One converter per direction and code page, kept per thread: iconv_open is
// far slower than a conversion, and a converter is not thread-safe.
class Converters {
  public:
    ~Converters() {
        for (auto& entry : open_)
            iconv_close(entry.second);
    }
    iconv_t Get(unsigned codePage, bool toUtf16) {
        const auto key = std::make_pair(codePage, toUtf16);
        auto found = open_.find(key);
        if (found != open_.end())
            return found->second;
        const char* name = IconvNameForCodePage(codePage);
        iconv_t cd = name == nullptr ? reinterpret_cast<iconv_t>(-1)
                     : toUtf16       ? iconv_open("UTF-16LE", name)
                                     : iconv_open(name, "UTF-16LE");
        if (cd != reinterpret_cast<iconv_t>(-1))
            open_.emplace(key, cd);
        return cd;
    }

  private:
    std::map<std::pair<unsigned, bool>, iconv_t> open_;
};

iconv_t Converter(unsigned codePage, bool toUtf16) {
    thread_local Converters converters;
    return converters.Get(codePage, toUtf16);
}

// Runs iconv over the whole input; an unconvertible or broken input unit is
// replaced by `replacement` and skipped by `skip` bytes.
void Run(iconv_t cd, const char* in, size_t inSize, std::string& out, const char* replacement,
         size_t replacementSize, size_t skip) {
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    out.assign(inSize * 2 + 16, '\0');
    char* inPtr = const_cast<char*>(in);
    char* outPtr = out.data();
    size_t outLeft = out.size();
    while (inSize > 0) {
        if (iconv(cd, &inPtr, &inSize, &outPtr, &outLeft) != static_cast<size_t>(-1))
            break;
        if (errno == E2BIG) {
            const size_t used = out.size() - outLeft;
            out.resize(out.size() * 2);
            outPtr = out.data() + used;
            outLeft = out.size() - used;
            continue;
        }
        // EILSEQ or EINVAL: replace one unit and go on.
        if (outLeft < replacementSize) {
            const size_t used = out.size() - outLeft;
            out.resize(out.size() * 2 + replacementSize);
            outPtr = out.data() + used;
            outLeft = out.size() - used;
        }
        for (size_t k = 0; k < replacementSize; ++k)
            *outPtr++ = replacement[k];
        outLeft -= replacementSize;
        const size_t step = skip < inSize ? skip : inSize;
        inPtr += step;
        inSize -= step;
    }
    // Flush any shift state (stateful encodings such as ISO-2022).
    iconv(cd, nullptr, nullptr, &outPtr, &outLeft);
    out.resize(out.size() - outLeft);
}

}  // namespace

unsigned LocalCodePage() {
    return 936;
}

bool IsCodePageSupported(unsigned codePage) {
    return Converter(codePage, true) != reinterpret_cast<iconv_t>(-1);
}

bool DecodeCodePage(unsigned codePage, std::string_view bytes, std::u16string& out) {
    iconv_t cd = Converter(codePage, true);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return false;
    std::string raw;
    static const char kQuestionMark[] = {'?', '\0'};
    Run(cd, bytes.data(), bytes.size(), raw, kQuestionMark, 2, 1);
    out.resize(raw.size() / 2);
    for (size_t i = 0; i < out.size(); ++i) {
        out[i] = static_cast<char16_t>(static_cast<unsigned char>(raw[2 * i]) |
                                       (static_cast<unsigned char>(raw[2 * i + 1]) << 8));
    }
    return true;
}

bool EncodeCodePage(unsigned codePage, std::u16string_view text, std::string& out) {
    iconv_t cd = Converter(codePage, false);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return false;
    std::string raw(text.size() * 2, '\0');
    for (size_t i = 0; i < text.size(); ++i) {
        raw[2 * i] = static_cast<char>(text[i] & 0xFF);
        raw[2 * i + 1] = static_cast<char>(text[i] >> 8);
    }
    Run(cd, raw.data(), raw.size(), out, "?", 1, 2);
    return true;
}

}  // namespace vt::platform
