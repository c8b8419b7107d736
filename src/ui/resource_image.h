// Images of the program's resources and of files, decoded with GDI+ (which
// must be running). Windows only.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "ui/gdiplus_api.h"

namespace vt::ui {

// A decoded image, fully held in memory (no stream or file stays open).
using ImagePtr = std::unique_ptr<Gdiplus::Bitmap>;

// The image of resource id and type from module (the resource module when
// null): type "Bitmap" loads a bitmap resource, any other type (the skin
// uses "PNG" and "GIF") decodes the raw bytes of that type. Null for id 0, a
// missing resource or bytes that do not decode.
ImagePtr LoadResourceImage(int id, const char* typeName, HINSTANCE module = nullptr);

// The image in the file at path (system code page); null when the file does
// not exist or does not decode.
ImagePtr LoadFileImage(const std::string& path);

// The raw bytes of a resource of module (the resource module when null),
// held by the module; size 0 when there is no such resource.
struct ResourceBytes {
    const void* data = nullptr;
    size_t size = 0;
};
ResourceBytes FindResourceBytes(const char* name, const char* type, HINSTANCE module = nullptr);

// A copy of the whole of image; null when image is null.
ImagePtr CloneImage(Gdiplus::Bitmap* image);

}  // namespace vt::ui
