#include "xml/local_encoder.h"

#include <atomic>
#include <bit>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/code_page.h"
#include "xml/char_classes.h"

namespace vt::xml {

namespace {

// One BMP character in the local code page: up to 3 bytes and a length, with
// a flag when the platform had no equivalent.
struct LocalChar {
    char bytes[3];
    uint8_t length : 7;
    uint8_t lossy : 1;
};

// The table is filled in blocks of 256 characters on first use: a document
// touches few blocks, and characters the code page lacks are slow to ask the
// platform about.
class BmpTable {
  public:
    static constexpr unsigned kBlockBits = 8;
    static constexpr unsigned kBlockSize = 1u << kBlockBits;
    static constexpr unsigned kBlocks = 0x10000 >> kBlockBits;

    BmpTable() {
        for (auto& block : blocks_) {
            block.store(nullptr, std::memory_order_relaxed);
        }
        const LocalChar* ascii = Block(0);
        asciiIdentity_ = ascii != nullptr;
        for (uint32_t u = 0; asciiIdentity_ && u < 0x80; ++u) {
            asciiIdentity_ = ascii[u].length == 1 && ascii[u].bytes[0] == static_cast<char>(u);
        }
    }
    ~BmpTable() {
        for (auto& block : blocks_) {
            delete[] block.load(std::memory_order_relaxed);
        }
    }
    BmpTable(const BmpTable&) = delete;
    BmpTable& operator=(const BmpTable&) = delete;

    bool AsciiIdentity() const { return asciiIdentity_; }

    // The block that holds unit, or nullptr when the platform's output for it
    // could not be split into characters (then convert through the platform).
    const LocalChar* Block(char16_t unit) {
        std::atomic<LocalChar*>& slot = blocks_[unit >> kBlockBits];
        LocalChar* block = slot.load(std::memory_order_acquire);
        if (block == nullptr) {
            block = Build(unit >> kBlockBits);
            LocalChar* expected = nullptr;
            if (!slot.compare_exchange_strong(expected, block, std::memory_order_acq_rel)) {
                delete[] block;
                block = expected;
            }
        }
        return block == &unusable_ ? nullptr : block;
    }

  private:
    LocalChar* Build(unsigned blockNumber) {
        std::u16string units;
        for (unsigned k = 0; k < kBlockSize; ++k) {
            const unsigned u = blockNumber * kBlockSize + k;
            // Surrogate halves cannot stand alone; they are handled in pairs.
            units += (u >= 0xD800 && u <= 0xDFFF) ? u'?' : static_cast<char16_t>(u);
        }
        std::string encoded;
        if (!platform::EncodeCodePage(platform::LocalCodePage(), units, encoded)) {
            return &unusable_;
        }
        // Split the output by the code page's character lengths; if that does
        // not give one character per unit, the block cannot be trusted.
        const CharLengths& lengths = LocalCharLengths();
        std::unique_ptr<LocalChar[]> block(new LocalChar[kBlockSize]);
        size_t at = 0;
        for (unsigned k = 0; k < kBlockSize; ++k) {
            if (at >= encoded.size()) {
                return &unusable_;
            }
            const size_t n = lengths[static_cast<unsigned char>(encoded[at])];
            if (n > 3 || at + n > encoded.size()) {
                return &unusable_;
            }
            LocalChar& c = block[k];
            for (size_t b = 0; b < n; ++b) {
                c.bytes[b] = encoded[at + b];
            }
            c.length = static_cast<uint8_t>(n);
            c.lossy = n == 1 && encoded[at] == '?' && units[k] != u'?';
            at += n;
        }
        return at == encoded.size() ? block.release() : &unusable_;
    }

    std::atomic<LocalChar*> blocks_[kBlocks];
    LocalChar unusable_{};  // marks a block that could not be built
    bool asciiIdentity_ = false;
};

BmpTable& Table() {
    static BmpTable table;
    return table;
}

void AppendThroughPlatform(std::u16string_view units, std::string& out, bool& lossy) {
    std::string encoded;
    platform::EncodeCodePage(platform::LocalCodePage(), units, encoded);
    size_t marks = 0;
    for (char16_t u : units) {
        marks += u == u'?';
    }
    size_t written = 0;
    for (char c : encoded) {
        written += c == '?';
    }
    lossy = lossy || written > marks;
    out += encoded;
}

// Appends one code point (a surrogate pair when beyond the plane).
void AppendCodePoint(BmpTable& table, char32_t code, std::string& out, bool& lossy) {
    if (code < 0x10000) {
        const char16_t unit = static_cast<char16_t>(code);
        if (const LocalChar* block = table.Block(unit)) {
            const LocalChar& c = block[unit & (BmpTable::kBlockSize - 1)];
            out.append(c.bytes, c.length);
            lossy = lossy || c.lossy;
        } else {
            AppendThroughPlatform(std::u16string_view(&unit, 1), out, lossy);
        }
        return;
    }
    const char16_t pair[2] = {static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10)),
                              static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF))};
    AppendThroughPlatform(std::u16string_view(pair, 2), out, lossy);
}

constexpr uint64_t kHighBits = 0x8080808080808080u;

// The end of the run of ASCII bytes that starts at s[i], eight bytes at a
// time while it lasts.
size_t AsciiRunEnd(const unsigned char* s, size_t i, size_t size) {
    uint64_t word = 0;
    while (i + 8 <= size && (std::memcpy(&word, s + i, 8), (word & kHighBits) == 0)) {
        i += 8;
    }
    while (i < size && s[i] < 0x80) {
        ++i;
    }
    return i;
}

// Decodes the UTF-8 sequence at s[i]; gives its length, or 0 when it is not a
// valid sequence (overlong, a surrogate half, beyond U+10FFFF or cut short).
size_t DecodeUtf8(const unsigned char* s, size_t i, size_t size, char32_t& code) {
    const unsigned char c = s[i];
    if (c < 0x80) {
        code = c;
        return 1;
    }
    if (c >= 0xC2 && c <= 0xDF && i + 1 < size && (s[i + 1] & 0xC0) == 0x80) {
        code = (c & 0x1F) << 6 | (s[i + 1] & 0x3F);
        return 2;
    }
    if (c >= 0xE0 && c <= 0xEF && i + 2 < size && (s[i + 1] & 0xC0) == 0x80 &&
        (s[i + 2] & 0xC0) == 0x80) {
        code = (c & 0x0F) << 12 | (s[i + 1] & 0x3F) << 6 | (s[i + 2] & 0x3F);
        return code < 0x800 || (code >= 0xD800 && code <= 0xDFFF) ? 0 : 3;
    }
    if (c >= 0xF0 && c <= 0xF4 && i + 3 < size && (s[i + 1] & 0xC0) == 0x80 &&
        (s[i + 2] & 0xC0) == 0x80 && (s[i + 3] & 0xC0) == 0x80) {
        code =
            (c & 0x07) << 18 | (s[i + 1] & 0x3F) << 12 | (s[i + 2] & 0x3F) << 6 | (s[i + 3] & 0x3F);
        return code < 0x10000 || code > 0x10FFFF ? 0 : 4;
    }
    return 0;
}

// Reads the character at s[i]: gives its UTF-8 length (0 when broken) and
// its table entry in local (nullptr when the platform must convert it).
size_t ReadChar(BmpTable& table, const unsigned char* s, size_t i, size_t size, char32_t& code,
                const LocalChar*& local) {
    const size_t n = DecodeUtf8(s, i, size, code);
    const LocalChar* block =
        n != 0 && code < 0x10000 ? table.Block(static_cast<char16_t>(code)) : nullptr;
    local = block == nullptr ? nullptr : &block[code & (BmpTable::kBlockSize - 1)];
    return n;
}

// The table entry of a well-formed three-byte sequence at s[i] (most of the
// Chinese plane), or nullptr for anything else.
inline const LocalChar* ThreeByteChar(BmpTable& table, const unsigned char* s, size_t i,
                                      size_t size) {
    if ((s[i] & 0xF0) != 0xE0 || i + 2 >= size || (s[i + 1] & 0xC0) != 0x80 ||
        (s[i + 2] & 0xC0) != 0x80) {
        return nullptr;
    }
    const char16_t code =
        static_cast<char16_t>((s[i] & 0x0F) << 12 | (s[i + 1] & 0x3F) << 6 | (s[i + 2] & 0x3F));
    if (code < 0x800 || (code >= 0xD800 && code <= 0xDFFF)) {
        return nullptr;
    }
    const LocalChar* block = table.Block(code);
    return block == nullptr ? nullptr : &block[code & (BmpTable::kBlockSize - 1)];
}

// Converted bytes gather in a window on the stack and go to the string in
// pieces, so that a short text grows it once, by exactly its own length.
class LocalOutput {
  public:
    static constexpr size_t kWindowBytes = 256;
    // The most bytes one character from the table takes.
    static constexpr size_t kCharBytes = 3;

    explicit LocalOutput(std::string& out) : out_(out) {}
    LocalOutput(const LocalOutput&) = delete;
    LocalOutput& operator=(const LocalOutput&) = delete;

    // Where the next character goes: room for kCharBytes.
    char* Room() {
        if (static_cast<size_t>(window_ + kWindowBytes - w_) < kCharBytes)
            Flushed();
        return w_;
    }
    void Advance(size_t n) { w_ += n; }
    void Append(const unsigned char* bytes, size_t n) {
        if (n > static_cast<size_t>(window_ + kWindowBytes - w_)) {
            Flushed().append(reinterpret_cast<const char*>(bytes), n);
            return;
        }
        std::memcpy(w_, bytes, n);
        w_ += n;
    }
    // The string with everything so far in it, for output that bypasses the
    // window.
    std::string& Flushed() {
        out_.append(window_, w_ - window_);
        w_ = window_;
        return out_;
    }

  private:
    std::string& out_;
    char window_[kWindowBytes];
    char* w_ = window_;
};

}  // namespace

void AppendUtf16AsLocal(std::u16string_view units, std::string& out, bool& lossy) {
    BmpTable& table = Table();
    out.reserve(out.size() + units.size() + units.size() / 100);
    for (size_t i = 0; i < units.size(); ++i) {
        const char16_t u = units[i];
        if (u >= 0xD800 && u <= 0xDFFF) {
            if (u < 0xDC00 && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
                units[i + 1] <= 0xDFFF) {
                AppendThroughPlatform(units.substr(i, 2), out, lossy);
                ++i;
            } else {
                out += '?';
                lossy = true;
            }
            continue;
        }
        AppendCodePoint(table, u, out, lossy);
    }
}

void AppendUtf8AsLocal(std::string_view utf8, std::string& out, bool& lossy) {
    BmpTable& table = Table();
    const size_t size = utf8.size();
    const unsigned char* s = reinterpret_cast<const unsigned char*>(utf8.data());
    // A long text is rarely longer in the local code page; a short one goes
    // out in one piece and takes exactly the room it needs.
    if (size > LocalOutput::kWindowBytes)
        out.reserve(out.size() + size + size / 100 + 16);
    LocalOutput output(out);
    const bool asciiIdentity = table.AsciiIdentity();
    size_t i = 0;
    while (i < size) {
        if (asciiIdentity && s[i] < 0x80) {
            const size_t j = AsciiRunEnd(s, i, size);
            output.Append(s + i, j - i);
            i = j;
            continue;
        }
        char32_t code = 0;
        const LocalChar* lc = nullptr;
        const size_t n = ReadChar(table, s, i, size, code, lc);
        i += n == 0 ? 1 : n;
        if (n == 0) {
            *output.Room() = '?';
            output.Advance(1);
            lossy = true;
        } else if (lc != nullptr) {
            std::memcpy(output.Room(), lc->bytes, 3);
            output.Advance(lc->length);
            lossy = lossy || lc->lossy;
        } else {
            AppendCodePoint(table, code, output.Flushed(), lossy);
        }
    }
    output.Flushed();
}

void Utf8ToLocalInPlace(std::string& text, bool& lossy) {
    BmpTable& table = Table();
    if (!table.AsciiIdentity()) {
        const std::string utf8 = std::move(text);
        text.clear();
        AppendUtf8AsLocal(utf8, text, lossy);
        return;
    }
    const size_t size = text.size();
    char* const base = text.data();
    const unsigned char* s = reinterpret_cast<const unsigned char*>(base);
    // Until the first character shrinks, the text stays where it is.
    size_t i = AsciiRunEnd(s, 0, size);
    char* w = base + i;
    // Kept in a local: the caller's flag could alias the bytes written, which
    // would cost a load and a store per character.
    bool lost = false;
    // The blocks this text has used so far, kept at hand.
    const LocalChar* blocks[BmpTable::kBlocks] = {};
    while (i < size) {
        if (s[i] < 0x80) {
            // Whole words are moved while they are ASCII: all eight bytes
            // have been read, so writing them behind the input is safe.
            uint64_t word = 0;
            while (i + 8 <= size) {
                std::memcpy(&word, s + i, 8);
                const uint64_t high = word & kHighBits;
                // The run's last word is written whole too once the output
                // lags eight bytes behind (after a few characters it always
                // does): it lands on input already read, and the run's end
                // needs no byte loop.
                if (high != 0 && (std::endian::native != std::endian::little || base + i - w < 8))
                    break;
                std::memcpy(w, &word, 8);
                if (high != 0) {
                    const size_t ascii = static_cast<size_t>(std::countr_zero(high)) / 8;
                    w += ascii;
                    i += ascii;
                    break;
                }
                w += 8;
                i += 8;
            }
            while (i < size && s[i] < 0x80) {
                *w++ = static_cast<char>(s[i++]);
            }
            continue;
        }
        if constexpr (std::endian::native == std::endian::little) {
            // A run of three-byte characters (most of the Chinese plane),
            // each read and checked as one word.
            const size_t runStart = i;
            uint32_t word = 0;
            while (i + 4 <= size &&
                   (std::memcpy(&word, s + i, 4), (word & 0xC0C0F0u) == 0x8080E0u)) {
                const unsigned code =
                    (word & 0x0F) << 12 | (word >> 2 & 0xFC0) | (word >> 16 & 0x3F);
                if (code < 0x800 || code - 0xD800 < 0x800)
                    break;
                const LocalChar* block = blocks[code >> BmpTable::kBlockBits];
                if (block == nullptr) {
                    block = table.Block(static_cast<char16_t>(code));
                    if (block == nullptr)
                        break;
                    blocks[code >> BmpTable::kBlockBits] = block;
                }
                const LocalChar& lc = block[code & (BmpTable::kBlockSize - 1)];
                std::memcpy(w, lc.bytes, 3);
                w += lc.length;
                lost = lost || lc.lossy;
                i += 3;
            }
            if (i != runStart)
                continue;
        }
        if (const LocalChar* lc = ThreeByteChar(table, s, i, size)) {
            // Three bytes never give more than three; the bytes past the
            // character's length land on input already read.
            std::memcpy(w, lc->bytes, 3);
            w += lc->length;
            lost = lost || lc->lossy;
            i += 3;
            continue;
        }
        char32_t code = 0;
        const LocalChar* lc = nullptr;
        const size_t n = ReadChar(table, s, i, size, code, lc);
        if (n == 0) {
            *w++ = '?';
            lost = true;
            ++i;
            continue;
        }
        // The output must not overtake the input still to be read; a
        // character that would do so sends the rest to the copying path.
        if (lc != nullptr && w + lc->length <= base + i + n) {
            std::memcpy(w, lc->bytes, lc->length);
            w += lc->length;
            lost = lost || lc->lossy;
            i += n;
            continue;
        }
        const std::string rest(base + i, size - i);
        text.resize(w - base);
        lossy = lossy || lost;
        AppendUtf8AsLocal(rest, text, lossy);
        return;
    }
    text.resize(w - base);
    lossy = lossy || lost;
}

}  // namespace vt::xml
