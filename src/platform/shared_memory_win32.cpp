#include <windows.h>

#include "platform/shared_memory.h"

namespace vt::platform {

void SharedMemory::Release() {
    if (data_)
        UnmapViewOfFile(data_);
    if (handle_)
        CloseHandle(reinterpret_cast<HANDLE>(handle_));
    handle_ = 0;
    data_ = nullptr;
    size_ = 0;
}

SharedMemory::Result SharedMemory::Hold(intptr_t handle, size_t size, Result result) {
    handle_ = handle;
    data_ = static_cast<uint8_t*>(
        MapViewOfFile(reinterpret_cast<HANDLE>(handle), FILE_MAP_ALL_ACCESS, 0, 0, size));
    if (data_ == nullptr) {
        Release();
        return Result::kFailed;
    }
    size_ = size;
    return result;
}

SharedMemory::Result SharedMemory::CreateOrOpen(const std::string& name, size_t size) {
    Release();
    Result result = Result::kOpenedExisting;
    HANDLE mapping = OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, name.c_str());
    if (mapping == nullptr) {
        mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                     static_cast<DWORD>(size), name.c_str());
        if (mapping == nullptr)
            return Result::kFailed;
        // Another process may have made it between the two calls.
        if (GetLastError() != ERROR_ALREADY_EXISTS)
            result = Result::kCreated;
    }
    return Hold(reinterpret_cast<intptr_t>(mapping), size, result);
}

SharedMemory::Result SharedMemory::OpenExisting(const std::string& name, size_t size) {
    Release();
    HANDLE mapping = OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, name.c_str());
    if (mapping == nullptr)
        return Result::kFailed;
    // A view longer than the mapping is refused by the system.
    return Hold(reinterpret_cast<intptr_t>(mapping), size, Result::kOpenedExisting);
}

bool SharedMemory::Exists(const std::string& name) {
    HANDLE mapping = OpenFileMappingA(FILE_MAP_READ, FALSE, name.c_str());
    if (mapping == nullptr)
        return false;
    CloseHandle(mapping);
    return true;
}

}  // namespace vt::platform
