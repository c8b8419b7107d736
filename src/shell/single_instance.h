// One copy of the program per user session: the record in the named shared
// memory "vaeltessel_map" holds the first copy's main window handle, and a
// later copy posts UM_ACTIVATE_INSTANCE to that window and ends. Windows only.
#pragma once

#include <windows.h>

#include <string>

#include "platform/shared_memory.h"

namespace vt::shell {

class SingleInstance {
  public:
    enum class Probe {
        kFirst,         // this copy made the record and keeps it while it runs
        kOtherRunning,  // another copy holds it: asked to come forward, this one ends
        kFailed,        // no record could be made: the copy runs without one
    };

    // Makes the record named name, or finds the one of a running copy and
    // posts UM_ACTIVATE_INSTANCE (0, 0) to the window it names. Making and
    // finding are one step, so two copies started together never both run.
    // A record whose window is not known yet (the first copy still starting)
    // or is no window posts nothing, and this copy still ends.
    Probe ProbeOrCreate(const std::string& name);
    // Writes the main window's handle into the record made by ProbeOrCreate;
    // false without one.
    bool Publish(HWND mainWindow);
    // Gives the record up (it also goes when the process ends).
    void Release() { memory_.Release(); }

  private:
    platform::SharedMemory memory_;
    bool owner_ = false;
};

}  // namespace vt::shell
