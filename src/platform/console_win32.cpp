#include <windows.h>

#include "platform/code_page.h"
#include "platform/console.h"

namespace vt::platform {

namespace {

HANDLE Handle(StdStream stream) {
    return GetStdHandle(stream == StdStream::kOut ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
}

bool IsConsole(HANDLE handle) {
    DWORD mode = 0;
    return handle != nullptr && handle != INVALID_HANDLE_VALUE &&
           GetFileType(handle) == FILE_TYPE_CHAR && GetConsoleMode(handle, &mode) != 0;
}

// Longest single console write; a longer text is split between characters.
constexpr size_t kConsoleWriteUnits = 16384;

}  // namespace

StreamKind KindOfStream(StdStream stream) {
    const HANDLE handle = Handle(stream);
    if (IsConsole(handle))
        return StreamKind::kTerminal;
    if (handle != nullptr && handle != INVALID_HANDLE_VALUE &&
        GetFileType(handle) == FILE_TYPE_CHAR)
        return StreamKind::kCharDevice;
    return StreamKind::kFile;
}

bool WriteStream(StdStream stream, std::string_view utf8) {
    const HANDLE handle = Handle(stream);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE)
        return false;
    if (IsConsole(handle)) {
        const std::u16string text = Utf8ToUtf16(utf8);
        size_t at = 0;
        while (at < text.size()) {
            size_t count = text.size() - at;
            if (count > kConsoleWriteUnits) {
                count = kConsoleWriteUnits;
                // Never split a surrogate pair.
                if (text[at + count - 1] >= 0xD800 && text[at + count - 1] <= 0xDBFF)
                    --count;
            }
            DWORD written = 0;
            if (!WriteConsoleW(handle, text.data() + at, static_cast<DWORD>(count), &written,
                               nullptr) ||
                written == 0)
                return false;
            at += written;
        }
        return true;
    }
    while (!utf8.empty()) {
        DWORD written = 0;
        if (!WriteFile(handle, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr) ||
            written == 0)
            return false;
        utf8.remove_prefix(written);
    }
    return true;
}

int TerminalColumns(StdStream stream) {
    const HANDLE handle = Handle(stream);
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (!IsConsole(handle) || !GetConsoleScreenBufferInfo(handle, &info))
        return 0;
    return info.srWindow.Right - info.srWindow.Left + 1;
}

bool ReadInputLine(std::string& line) {
    line.clear();
    const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    DWORD mode = 0;
    if (input != nullptr && input != INVALID_HANDLE_VALUE && GetConsoleMode(input, &mode)) {
        // A console answer arrives as characters, whatever the code page.
        wchar_t buffer[256];
        DWORD got = 0;
        if (!ReadConsoleW(input, buffer, 255, &got, nullptr) || got == 0)
            return false;
        line = Utf16ToUtf8(std::u16string(reinterpret_cast<const char16_t*>(buffer), got));
    } else {
        for (;;) {
            char c = 0;
            DWORD got = 0;
            if (!ReadFile(input, &c, 1, &got, nullptr) || got == 0) {
                if (line.empty())
                    return false;
                break;
            }
            if (c == '\n')
                break;
            line += c;
        }
    }
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
        line.pop_back();
    return true;
}

}  // namespace vt::platform
