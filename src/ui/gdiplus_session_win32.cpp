#include "ui/gdiplus_session.h"

#include "ui/gdiplus_api.h"

namespace vt::ui {

GdiplusSession::GdiplusSession() {
    Gdiplus::GdiplusStartupInput input;  // version 1, no callback, nothing suppressed
    if (Gdiplus::GdiplusStartup(&token_, &input, nullptr) != Gdiplus::Ok)
        token_ = 0;
}

GdiplusSession::~GdiplusSession() {
    if (token_ != 0)
        Gdiplus::GdiplusShutdown(token_);
}

}  // namespace vt::ui
