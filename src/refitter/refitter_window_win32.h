// The updater's window: a small skinned window (the program's look: a dark
// caption band over a light body, image buttons from "ImageRes") that shows
// the version and description of the update, the step of the run, the
// download's progress and, at the end, how it went. It runs the update on a
// worker thread and follows it by posted messages. Windows only.
#pragma once

#include <windows.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "refitter/refitter_face.h"
#include "refitter/refitter_flow.h"
#include "ui/gdiplus_api.h"
#include "ui/wnd.h"

namespace vt::refitter {

class CRefitterWindow : public ui::Wnd {
  public:
    // imageDir: the "ImageRes" folder with its trailing separator; missing
    // images leave plain colours in their place.
    explicit CRefitterWindow(std::string imageDir);
    ~CRefitterWindow() override;

    // Shows the window for offer and runs job on a worker thread with
    // control. The window closes itself after a successful run.
    bool Start(const RefitterJob& job, std::unique_ptr<ProgramControl> control);
    // Shows the window with a failure found before any run (no offer).
    bool ShowFailure(Failure failure);

    // Shows one moment of a run without running one: offer, stage and the
    // download's figures (for pictures of the window).
    bool Preview(const UpdateOffer& offer, Stage stage, int64_t done, int64_t total);

    // The run's outcome once it has finished.
    Outcome Result() const;
    const RunState& State() const { return state_; }

  protected:
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnTimer(UINT_PTR id) override;
    void OnDestroyed() override;

  private:
    class View;
    bool CreateWindowOnce();
    void Paint(HDC dc);
    void DrawImageStrip(Gdiplus::Graphics& graphics, Gdiplus::Bitmap* image, int slices, int state,
                        const Box& box);
    void DrawBackground(Gdiplus::Graphics& graphics);
    void DrawText(HDC dc, const std::string& text, const Box& box, COLORREF colour, HFONT font,
                  UINT format);
    void OnButton();
    void OnFinished();
    int ButtonState(const Box& box, bool enabled) const;

    std::string imageDir_;
    std::unique_ptr<Gdiplus::Bitmap> background_, button_, close_;
    UpdateOffer offer_;
    RunState state_;
    std::unique_ptr<ProgramControl> control_;
    std::unique_ptr<View> view_;
    std::thread worker_;
    std::atomic<bool> cancel_{false};
    std::atomic<int64_t> done_{0}, total_{0};
    mutable std::mutex mutex_;
    Outcome outcome_;
    bool hoverButton_ = false, hoverClose_ = false, pressed_ = false;
    bool tracking_ = false;
};

// Messages the worker posts to the window.
constexpr UINT UM_REFITTER_STAGE = WM_USER + 100;     // wParam: the Stage
constexpr UINT UM_REFITTER_PROGRESS = WM_USER + 101;  // figures in the window's atomics
constexpr UINT UM_REFITTER_FINISHED = WM_USER + 102;  // the outcome is ready

// The window class, found by tests and by the window's own second start.
constexpr char kRefitterWindowClass[] = "VaelTesselRefitter";

}  // namespace vt::refitter
