#include "platform/code_page.h"
#include "platform/files.h"
#include "platform/profile.h"
#include "platform/profile_text.h"

namespace vt::platform {

namespace {

// Profile text in the local code page; a file written as UTF-8 or UTF-16 with
// a byte-order mark is converted, as the Windows functions do.
std::string ReadProfileText(const std::string& file) {
    std::string text;
    if (!ReadWholeFile(file, text))
        return std::string();
    if (text.rfind("\xEF\xBB\xBF", 0) == 0)
        return Utf8ToLocal(std::string_view(text).substr(3));
    if (text.rfind("\xFF\xFE", 0) == 0) {
        std::u16string wide;
        DecodeCodePage(kCodePageUtf16LE, std::string_view(text).substr(2), wide);
        return Utf16ToLocal(wide);
    }
    return text;
}

}  // namespace

std::string ReadProfileString(const std::string& file, const std::string& section,
                              const std::string& key, const std::string& defaultValue,
                              size_t bufferChars) {
    std::string value =
        FindProfileValue(ReadProfileText(file), section, key).value_or(defaultValue);
    const size_t limit = bufferChars == 0 ? 0 : bufferChars - 1;
    if (value.size() > limit)
        value.resize(limit);
    return value;
}

bool WriteProfileString(const std::string& file, const std::string& section, const std::string& key,
                        const std::string& value) {
    const std::string text = SetProfileValue(ReadProfileText(file), section, key, value);
    // Write beside the file and rename, so a failed write never loses the old one.
    const std::string temporary = file + ".tmp";
    if (!WriteWholeFile(temporary, text)) {
        RemoveFile(temporary);
        return false;
    }
    return RenamePath(temporary, file, true);
}

}  // namespace vt::platform
