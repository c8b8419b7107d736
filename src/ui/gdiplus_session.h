// GDI+ started for the owner's lifetime (GdiplusStartup / GdiplusShutdown).
// Windows only.
#pragma once

#include <windows.h>

#include <cstdint>

namespace vt::ui {

class GdiplusSession {
  public:
    // Version 1, no debug callback, the background thread and external codecs
    // not suppressed.
    GdiplusSession();
    ~GdiplusSession();
    GdiplusSession(const GdiplusSession&) = delete;
    GdiplusSession& operator=(const GdiplusSession&) = delete;
    bool ok() const { return token_ != 0; }

  private:
    ULONG_PTR token_ = 0;
};

}  // namespace vt::ui
