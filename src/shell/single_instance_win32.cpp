#include "shell/single_instance.h"

#include "addons/addon_window.h"
#include "shell/instance_record.h"

namespace vt::shell {

SingleInstance::Probe SingleInstance::ProbeOrCreate(const std::string& name) {
    owner_ = false;
    switch (memory_.CreateOrOpen(name, kInstanceRecordBytes)) {
        case platform::SharedMemory::Result::kCreated:
            owner_ = true;
            return Probe::kFirst;
        case platform::SharedMemory::Result::kOpenedExisting: {
            const auto handle = ParseInstanceRecord(memory_.data(), memory_.size());
            memory_.Release();
            if (handle) {
                const HWND window = reinterpret_cast<HWND>(*handle);
                if (::IsWindow(window))
                    ::PostMessageA(window, addons::UM_ACTIVATE_INSTANCE, 0, 0);
            }
            return Probe::kOtherRunning;
        }
        case platform::SharedMemory::Result::kFailed:
            break;
    }
    return Probe::kFailed;
}

bool SingleInstance::Publish(HWND mainWindow) {
    if (!owner_ || memory_.data() == nullptr)
        return false;
    const std::string text = FormatInstanceRecord(reinterpret_cast<uintptr_t>(mainWindow));
    // Last byte first: a copy reading meanwhile sees an empty text (the
    // record starts zero-filled) or the whole one, never a shorter handle.
    volatile uint8_t* record = memory_.data();
    for (size_t at = text.size() + 1; at-- > 0;)
        record[at] = static_cast<uint8_t>(text.c_str()[at]);
    return true;
}

}  // namespace vt::shell
