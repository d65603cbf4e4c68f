#include "pages/gauge/render/GaugeBitmapPixels.h"

PixelImage PixelsOf(const CGaugeBitmap& bitmap) noexcept {
    if (!bitmap.IsLoaded() || bitmap.Pixels() == nullptr)
        return {};
    // Gauge bitmaps are top-down 32-bit sections: rows of exactly width pixels.
    return PixelImage(bitmap.Pixels(), bitmap.Width(), bitmap.Height(), bitmap.Width());
}

DrawMode DrawModeOf(const CGaugeBitmap& bitmap, const PixelImage& pixels, COLORREF key) noexcept {
    if (bitmap.Alpha() && pixels.HasAlphaInformation())
        return DrawMode::Alpha();
    return DrawMode::KeyColour(key);
}
