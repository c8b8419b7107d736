#include "ui/animated_image.h"

#include <algorithm>
#include <cstring>

#include "ui/gif_frames.h"
#include "ui/resource_image.h"

namespace vt::ui {
namespace {

constexpr DWORD kStopWaitMs = 5000;

// A picture decoded by the system's picture loader from a stream over block
// (which the stream frees when it owns it); null when it does not decode.
ComPtr<IPicture> DecodePicture(HGLOBAL block, size_t size, bool streamOwnsBlock) {
    ComPtr<IStream> stream;
    if (FAILED(::CreateStreamOnHGlobal(block, streamOwnsBlock ? TRUE : FALSE, stream.Put()))) {
        if (streamOwnsBlock)
            ::GlobalFree(block);
        return {};
    }
    ComPtr<IPicture> picture;
    if (FAILED(::OleLoadPicture(stream.get(), static_cast<LONG>(size), FALSE, IID_IPicture,
                                picture.PutVoid())))
        return {};
    return picture;
}

// A new global memory block holding a copy of bytes; null when none can be had.
HGLOBAL CopyToBlock(const void* bytes, size_t size) {
    HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE, size);
    if (block == nullptr)
        return nullptr;
    void* target = ::GlobalLock(block);
    if (target == nullptr) {
        ::GlobalFree(block);
        return nullptr;
    }
    std::memcpy(target, bytes, size);
    ::GlobalUnlock(block);
    return block;
}

}  // namespace

CAnimatedImage::CAnimatedImage() : stopEvent_(::CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}

CAnimatedImage::~CAnimatedImage() {
    Unload();
    if (stopEvent_ != nullptr)
        ::CloseHandle(stopEvent_);
}

bool CAnimatedImage::LoadFromResource(const char* name, const char* type) {
    const ResourceBytes bytes = FindResourceBytes(name, type);
    if (bytes.size == 0)
        return false;
    HGLOBAL block = CopyToBlock(bytes.data, bytes.size);
    if (block == nullptr)
        return false;
    const bool shown = LoadFromMemory(block, bytes.size);
    ::GlobalFree(block);
    return shown;
}

bool CAnimatedImage::LoadFromMemory(HGLOBAL block, size_t size) {
    Unload();
    const auto* data = static_cast<const uint8_t*>(::GlobalLock(block));
    if (data == nullptr)
        return false;
    // Never read past the block, whatever size the caller names.
    size = std::min<size_t>(size, ::GlobalSize(block));
    bool shown = false;
    if (size < 3 || std::memcmp(data, "GIF", 3) != 0) {
        picture_ = DecodePicture(block, size, false);
        if (picture_) {
            // The picture's size is in hundredths of a millimetre.
            OLE_XSIZE_HIMETRIC widthHimetric = 0;
            OLE_YSIZE_HIMETRIC heightHimetric = 0;
            picture_->get_Width(&widthHimetric);
            picture_->get_Height(&heightHimetric);
            ClientDc screen(nullptr);
            const int width = static_cast<int>(static_cast<int64_t>(widthHimetric) *
                                               ::GetDeviceCaps(screen.get(), LOGPIXELSX) / 2540);
            const int height = static_cast<int>(static_cast<int64_t>(heightHimetric) *
                                                ::GetDeviceCaps(screen.get(), LOGPIXELSY) / 2540);
            shown = PrepareCanvas(width, height);
        }
    } else {
        shown = LoadGif(data, size, block);
    }
    ::GlobalUnlock(block);
    return shown;
}

bool CAnimatedImage::LoadGif(const uint8_t* data, size_t size, HGLOBAL block) {
    isGif_ = true;
    const GifHeader header = ReadGifHeader(data, size);
    const int blocks = CountGraphicBlocks(data, size);
    if (blocks == 0)
        return false;
    if (blocks == 1) {
        picture_ = DecodePicture(block, size, false);
        return picture_ && PrepareCanvas(header.width, header.height);
    }
    for (GifFrame& cut : CutGifFrames(data, size)) {
        HGLOBAL frameBlock = CopyToBlock(cut.data.data(), cut.data.size());
        if (frameBlock == nullptr)
            continue;
        AnimationFrame frame;
        frame.picture = DecodePicture(frameBlock, cut.data.size(), true);
        if (!frame.picture)
            continue;
        frame.width = cut.width;
        frame.height = cut.height;
        frame.left = cut.left;
        frame.top = cut.top;
        frame.delay = cut.delay;
        frame.disposal = cut.disposal;
        frames_.push_back(std::move(frame));
    }
    return !frames_.empty() && PrepareCanvas(header.width, header.height);
}

bool CAnimatedImage::PrepareCanvas(int width, int height) {
    if (IsWindow())
        Resize(width, height);
    ClientDc reference(hwnd());
    Canvas canvas(reference.get(), width, height);
    if (!canvas)
        return false;
    std::lock_guard<std::mutex> lock(canvasLock_);
    canvas_ = std::move(canvas);
    width_ = width;
    height_ = height;
    backgroundColour_ = ::GetSysColor(COLOR_BTNFACE);
    RECT all{0, 0, width, height};
    ::FillRect(canvas_.dc(), &all, reinterpret_cast<HBRUSH>(COLOR_MENU + 1));
    prepared_ = true;
    return true;
}

bool CAnimatedImage::Start() {
    if (!prepared_)
        return false;
    if (isGif_ && frames_.size() >= 2) {
        // One drawing thread at a time.
        if (thread_ != nullptr)
            return false;
        thread_ = ::CreateThread(nullptr, 0, ThreadMain, this, CREATE_SUSPENDED, nullptr);
        if (thread_ != nullptr)
            ::ResumeThread(thread_);
        return false;
    }
    // A still picture; a GIF of which one frame decoded shows that frame.
    bool drawn = false;
    if (picture_)
        drawn = RenderInto(picture_.get(), 0, 0, width_, height_);
    else if (!frames_.empty())
        drawn = RenderInto(frames_[0].picture.get(), frames_[0].left, frames_[0].top,
                           frames_[0].width, frames_[0].height);
    if (IsWindow())
        Invalidate(false);
    return drawn;
}

void CAnimatedImage::Stop() {
    running_ = false;
    stopRequested_ = true;
    if (stopEvent_ != nullptr)
        ::SetEvent(stopEvent_);
    if (thread_ != nullptr) {
        // A thread that does not end in time is left to itself.
        ::WaitForSingleObject(thread_, kStopWaitMs);
        ::CloseHandle(thread_);
        thread_ = nullptr;
    }
    if (stopEvent_ != nullptr)
        ::ResetEvent(stopEvent_);
    stopRequested_ = false;
}

void CAnimatedImage::Unload() {
    Stop();
    picture_.Reset();
    frames_.clear();
    {
        std::lock_guard<std::mutex> lock(canvasLock_);
        canvas_ = Canvas();
        savedArea_.Reset();
    }
    isGif_ = false;
    width_ = 0;
    height_ = 0;
    currentFrame_ = 0;
    prepared_ = false;
    paintRect = RECT{};
    backgroundColour_ = RGB(255, 255, 255);
}

COLORREF CAnimatedImage::CanvasPixel(int x, int y) {
    std::lock_guard<std::mutex> lock(canvasLock_);
    if (!canvas_ || x < 0 || y < 0 || x >= canvas_.width() || y >= canvas_.height())
        return CLR_INVALID;
    return ::GetPixel(canvas_.dc(), x, y);
}

bool CAnimatedImage::RenderInto(IPicture* picture, int x, int y, int width, int height) {
    if (picture == nullptr)
        return false;
    OLE_XSIZE_HIMETRIC widthHimetric = 0;
    OLE_YSIZE_HIMETRIC heightHimetric = 0;
    picture->get_Width(&widthHimetric);
    picture->get_Height(&heightHimetric);
    std::lock_guard<std::mutex> lock(canvasLock_);
    if (!canvas_)
        return false;
    // Pictures are rendered upside down in HIMETRIC: from the bottom row up.
    return SUCCEEDED(picture->Render(canvas_.dc(), x, y, width, height, 0, heightHimetric,
                                     widthHimetric, -heightHimetric, nullptr));
}

void CAnimatedImage::FillCanvas(const RECT& rect, COLORREF colour) {
    std::lock_guard<std::mutex> lock(canvasLock_);
    if (!canvas_)
        return;
    BrushHandle brush(::CreateSolidBrush(colour));
    ::FillRect(canvas_.dc(), &rect, brush.get());
}

void CAnimatedImage::Dispose(const AnimationFrame& frame) {
    const RECT place{frame.left, frame.top, frame.left + frame.width, frame.top + frame.height};
    if (frame.disposal == 2) {
        FillCanvas(place, backgroundColour_);
        return;
    }
    if (frame.disposal != 3)
        return;
    std::lock_guard<std::mutex> lock(canvasLock_);
    if (!savedArea_ || !canvas_)
        return;
    HDC saved = ::CreateCompatibleDC(canvas_.dc());
    {
        DcSelection selection(saved, savedArea_.get());
        ::BitBlt(canvas_.dc(), frame.left, frame.top, frame.width, frame.height, saved, 0, 0,
                 SRCCOPY);
    }
    ::DeleteDC(saved);
    savedArea_.Reset();
}

DWORD WINAPI CAnimatedImage::ThreadMain(void* self) {
    static_cast<CAnimatedImage*>(self)->Play();
    return 0;
}

void CAnimatedImage::Play() {
    running_ = true;
    Dispose(frames_[currentFrame_]);
    while (!stopRequested_) {
        const AnimationFrame& frame = frames_[currentFrame_];
        if (frame.picture) {
            if (frame.disposal == 3) {
                std::lock_guard<std::mutex> lock(canvasLock_);
                if (canvas_) {
                    savedArea_.Reset(
                        ::CreateCompatibleBitmap(canvas_.dc(), frame.width, frame.height));
                    HDC saved = ::CreateCompatibleDC(canvas_.dc());
                    {
                        DcSelection selection(saved, savedArea_.get());
                        ::BitBlt(saved, 0, 0, frame.width, frame.height, canvas_.dc(), frame.left,
                                 frame.top, SRCCOPY);
                    }
                    ::DeleteDC(saved);
                }
            }
            if (RenderInto(frame.picture.get(), frame.left, frame.top, frame.width, frame.height) &&
                hwnd() != nullptr)
                ::InvalidateRect(hwnd(), nullptr, FALSE);
            if (stopRequested_)
                break;
            const int waitMs = FrameWaitMs(frame.delay);
            const bool stop = frameWait
                                  ? frameWait(waitMs)
                                  : ::WaitForSingleObject(stopEvent_, static_cast<DWORD>(waitMs)) ==
                                        WAIT_OBJECT_0;
            if (stop || stopRequested_)
                break;
            Dispose(frame);
        }
        if (++currentFrame_ >= frames_.size()) {
            currentFrame_ = 0;
            FillCanvas(RECT{0, 0, width_, height_}, backgroundColour_);
        }
    }
    // The thread's handle belongs to Stop, which waits on it and closes it.
    running_ = false;
}

LRESULT CAnimatedImage::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT: {
            PaintScope paint(hwnd());
            std::lock_guard<std::mutex> lock(canvasLock_);
            if (canvas_) {
                if (paintRect.right - paintRect.left > 0)
                    ::BitBlt(paint.dc(), 0, 0, paintRect.right - paintRect.left,
                             paintRect.bottom - paintRect.top, canvas_.dc(), paintRect.left,
                             paintRect.top, SRCCOPY);
                else
                    ::BitBlt(paint.dc(), 0, 0, width_, height_, canvas_.dc(), 0, 0, SRCCOPY);
            }
            return 0;
        }
        case WM_ERASEBKGND:
            if (prepared_)
                return TRUE;
            break;
        case WM_DESTROY:
            Stop();
            break;
        default:
            break;
    }
    return Wnd::WndProc(message, wParam, lParam);
}

}  // namespace vt::ui
