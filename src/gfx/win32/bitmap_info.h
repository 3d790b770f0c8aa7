#pragma once
// The header of a 32-bit picture laid out top-down like gfx::Bitmap, for every exchange of
// pixels with GDI (sections, captures, icons).

#include <windows.h>

namespace kestrana::gfx {

[[nodiscard]] inline BITMAPINFO TopDownBitmapInfo(int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // negative: the first row is the top one
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

} // namespace kestrana::gfx
