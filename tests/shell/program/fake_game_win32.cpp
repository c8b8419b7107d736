// Plays the game's patcher for the launch tests: records that it was started
// by writing "started.txt" next to itself, then ends.
#include <windows.h>

#include <string>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    char path[MAX_PATH] = {};
    const DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string marker(path, length);
    marker = marker.substr(0, marker.find_last_of('\\') + 1) + "started.txt";
    HANDLE file = ::CreateFileA(marker.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                                OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 1;
    const char line[] = "started\r\n";
    DWORD written = 0;
    ::WriteFile(file, line, sizeof line - 1, &written, nullptr);
    ::CloseHandle(file);
    return 0;
}
