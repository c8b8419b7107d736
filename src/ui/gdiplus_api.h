// GDI+ for the toolkit. Its headers use unqualified min and max, which
// NOMINMAX takes away from <windows.h>; they get the standard ones here.
// Windows only.
#pragma once

#include <windows.h>

#include <objidl.h>

#include <algorithm>

namespace Gdiplus {
using std::max;
using std::min;
}  // namespace Gdiplus

#include <gdiplus.h>
