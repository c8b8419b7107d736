// CAnimatedImage: a static control that shows a picture and plays an animated
// GIF on a drawing thread of its own. The GIF is cut into one small GIF per
// frame (gif_frames.h), each decoded by the system's picture loader, and the
// frames are composed into an off-screen canvas by their place, delay and
// disposal; the window shows only the canvas. Windows only.
#pragma once

#include <windows.h>

#include <ocidl.h>
#include <olectl.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <vector>

#include "ui/com_ptr.h"
#include "ui/gdi.h"
#include "ui/wnd.h"

namespace vt::ui {

// One frame of an animation.
struct AnimationFrame {
    ComPtr<IPicture> picture;
    int width = 0;  // place within the logical screen
    int height = 0;
    int left = 0;
    int top = 0;
    int delay = -1;  // hundredths of a second; -1 without a graphic control extension
    int disposal = 0;
};

class CAnimatedImage : public Wnd {
  public:
    CAnimatedImage();
    // Unloads and closes the stop event.
    ~CAnimatedImage() override;

    // Loads the resource (MAKEINTRESOURCE ids allowed) of the program's
    // module: false when it is missing or does not decode.
    bool LoadFromResource(const char* name, const char* type);
    bool LoadFromResource(int id, const char* type) {
        return LoadFromResource(MAKEINTRESOURCEA(id), type);
    }
    // Loads size bytes of a global memory block the caller keeps: an animated
    // GIF is cut into frames, anything else is decoded as one picture. The
    // control takes the picture's size. False when nothing could be shown.
    bool LoadFromMemory(HGLOBAL block, size_t size);
    // Shows the picture: starts the drawing thread of an animated GIF (and
    // returns false), or draws a still picture into the canvas (true). False
    // when nothing is loaded.
    bool Start();
    // Ends the drawing thread, waiting at most 5 seconds for it.
    void Stop();
    // Stops and forgets the picture, the frames and the canvas.
    void Unload();

    // The part of the canvas to show; an empty one shows the whole canvas.
    RECT paintRect{};

    int Width() const { return width_; }
    int Height() const { return height_; }
    bool IsGif() const { return isGif_; }
    size_t FrameCount() const { return frames_.size(); }
    const AnimationFrame& Frame(size_t index) const { return frames_[index]; }
    bool IsRunning() const { return running_; }
    COLORREF BackgroundColour() const { return backgroundColour_; }
    // A pixel of the canvas (CLR_INVALID outside it or without one).
    COLORREF CanvasPixel(int x, int y);

    // Called by the drawing thread after each frame is drawn, with the wait
    // that frame asks for; answers true to stop. The default waits on the
    // stop event. Tests replace it to step through frames without a clock.
    std::function<bool(int waitMs)> frameWait;

  protected:
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;

  private:
    bool PrepareCanvas(int width, int height);
    bool LoadGif(const uint8_t* data, size_t size, HGLOBAL block);
    void Play();
    void Dispose(const AnimationFrame& frame);
    void FillCanvas(const RECT& rect, COLORREF colour);
    bool RenderInto(IPicture* picture, int x, int y, int width, int height);
    static DWORD WINAPI ThreadMain(void* self);

    std::vector<AnimationFrame> frames_;
    ComPtr<IPicture> picture_;  // the picture when the data is not split into frames
    bool isGif_ = false;
    int width_ = 0;
    int height_ = 0;
    COLORREF backgroundColour_ = RGB(255, 255, 255);
    std::mutex canvasLock_;  // the drawing thread and the painting share the canvas
    Canvas canvas_;
    BitmapHandle savedArea_;
    size_t currentFrame_ = 0;
    bool prepared_ = false;
    std::atomic<bool> running_{false};
    std::atomic<bool> stopRequested_{false};
    HANDLE stopEvent_ = nullptr;
    HANDLE thread_ = nullptr;
};

}  // namespace vt::ui
