// The updater's hold on the program on Windows: the exit message and the wait
// for the program's process, the program's single-instance record, and the
// start of a program that is watched until it comes up. Windows only.
#pragma once

#include <string>

#include "refitter/refitter_flow.h"

namespace vt::refitter {

class WindowsProgramControl : public ProgramControl {
  public:
    // instanceRecord: the name of the shared block a running program holds
    // ("vaeltessel_map"); exeName: its executable's file name.
    WindowsProgramControl(std::string instanceRecord, std::string exeName);

    EndResult EndProgram(uint32_t window, unsigned message, int timeoutMs) override;
    bool ProgramRunning() override;
    WatchResult StartAndWatch(const std::string& exePath, const std::string& dir,
                              int timeoutMs) override;
    bool Start(const std::string& exePath, const std::string& dir) override;

  private:
    std::string instanceRecord_;
    std::string exeName_;
};

}  // namespace vt::refitter
