#include "ui/resource_image.h"

#include <cstring>

#include "ui/com_ptr.h"
#include "ui/wnd.h"

namespace vt::ui {
namespace {

// A copy of decoded in 32-bit premultiplied pixels, which GDI+ draws fastest
// and which keeps nothing of the decoder's source (stream, file) alive.
ImagePtr Detach(Gdiplus::Bitmap* decoded) {
    if (decoded == nullptr || decoded->GetLastStatus() != Gdiplus::Ok)
        return nullptr;
    const int width = static_cast<int>(decoded->GetWidth());
    const int height = static_cast<int>(decoded->GetHeight());
    if (width <= 0 || height <= 0)
        return nullptr;
    auto copy = std::make_unique<Gdiplus::Bitmap>(width, height, PixelFormat32bppPARGB);
    if (copy->GetLastStatus() != Gdiplus::Ok)
        return nullptr;
    const Gdiplus::Rect all(0, 0, width, height);
    Gdiplus::BitmapData source{}, target{};
    if (decoded->LockBits(&all, Gdiplus::ImageLockModeRead, PixelFormat32bppPARGB, &source) !=
        Gdiplus::Ok)
        return nullptr;
    bool copied = false;
    if (copy->LockBits(&all, Gdiplus::ImageLockModeWrite, PixelFormat32bppPARGB, &target) ==
        Gdiplus::Ok) {
        for (int row = 0; row < height; ++row)
            std::memcpy(static_cast<uint8_t*>(target.Scan0) + row * target.Stride,
                        static_cast<const uint8_t*>(source.Scan0) + row * source.Stride,
                        static_cast<size_t>(width) * 4);
        copy->UnlockBits(&target);
        copied = true;
    }
    decoded->UnlockBits(&source);
    return copied ? std::move(copy) : nullptr;
}

ImagePtr DecodeBytes(const void* bytes, DWORD size) {
    HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE, size);
    if (block == nullptr)
        return nullptr;
    if (void* target = ::GlobalLock(block)) {
        std::memcpy(target, bytes, size);
        ::GlobalUnlock(block);
    }
    ComPtr<IStream> stream;
    if (FAILED(::CreateStreamOnHGlobal(block, TRUE, stream.Put()))) {
        ::GlobalFree(block);
        return nullptr;
    }
    std::unique_ptr<Gdiplus::Bitmap> decoded(Gdiplus::Bitmap::FromStream(stream.get()));
    return Detach(decoded.get());
}

}  // namespace

ImagePtr LoadResourceImage(int id, const char* typeName, HINSTANCE module) {
    if (id == 0 || typeName == nullptr)
        return nullptr;
    if (module == nullptr)
        module = ResourceModule();
    if (std::strcmp(typeName, "Bitmap") == 0) {
        HBITMAP bitmap = ::LoadBitmapA(module, MAKEINTRESOURCEA(id));
        if (bitmap == nullptr)
            return nullptr;
        std::unique_ptr<Gdiplus::Bitmap> decoded(Gdiplus::Bitmap::FromHBITMAP(bitmap, nullptr));
        ImagePtr image = Detach(decoded.get());
        decoded.reset();
        ::DeleteObject(bitmap);
        return image;
    }
    const ResourceBytes bytes = FindResourceBytes(MAKEINTRESOURCEA(id), typeName, module);
    if (bytes.size == 0)
        return nullptr;
    return DecodeBytes(bytes.data, static_cast<DWORD>(bytes.size));
}

ResourceBytes FindResourceBytes(const char* name, const char* type, HINSTANCE module) {
    if (module == nullptr)
        module = ResourceModule();
    HRSRC found = ::FindResourceA(module, name, type);
    if (found == nullptr)
        return {};
    const DWORD size = ::SizeofResource(module, found);
    HGLOBAL loaded = ::LoadResource(module, found);
    const void* data = loaded ? ::LockResource(loaded) : nullptr;
    if (data == nullptr || size == 0)
        return {};
    return ResourceBytes{data, size};
}

ImagePtr LoadFileImage(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return nullptr;
    std::wstring wide(path.size() + 1, L'\0');
    wide.resize(::MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide.data(),
                                      static_cast<int>(wide.size())));
    std::unique_ptr<Gdiplus::Bitmap> decoded(Gdiplus::Bitmap::FromFile(wide.c_str()));
    return Detach(decoded.get());
}

ImagePtr CloneImage(Gdiplus::Bitmap* image) {
    return Detach(image);
}

}  // namespace vt::ui
