// Stands in for the updater in the Windows tests. In its current directory it
// writes "refitter_block.bin" (the 2288 bytes of the shared block named before
// "|" on its command line, when it can be opened) and then
// "refitter_seen.txt" (its whole command line), and posts the block's exit
// message to the block's window, as the real updater does when it takes over.
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <string>

namespace {

constexpr size_t kBlockSize = 2288;

void WriteWhole(const char* name, const void* data, size_t size) {
    const std::string temporary = std::string(name) + ".tmp";
    HANDLE file = CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    WriteFile(file, data, static_cast<DWORD>(size), &written, nullptr);
    CloseHandle(file);
    // The test sees each file whole or not at all.
    MoveFileExA(temporary.c_str(), name, MOVEFILE_REPLACE_EXISTING);
}

}  // namespace

int main() {
    const std::string line = GetCommandLineA();
    const std::string name = line.substr(0, line.find('|'));
    uint32_t window = 0;
    uint32_t exitMessage = 0;
    if (HANDLE mapping = OpenFileMappingA(FILE_MAP_READ, FALSE, name.c_str())) {
        if (const void* view = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, kBlockSize)) {
            const auto* bytes = static_cast<const uint8_t*>(view);
            WriteWhole("refitter_block.bin", bytes, kBlockSize);
            std::memcpy(&window, bytes, 4);
            std::memcpy(&exitMessage, bytes + 1204, 4);
            UnmapViewOfFile(view);
        }
        CloseHandle(mapping);
    }
    WriteWhole("refitter_seen.txt", line.data(), line.size());
    if (window != 0)
        PostMessageA(reinterpret_cast<HWND>(static_cast<uintptr_t>(window)), exitMessage, 0, 0);
    return 0;
}
