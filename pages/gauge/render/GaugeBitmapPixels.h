#pragma once
// The pixels of a gauge bitmap as the compositor reads them, and how they are to be drawn.

#include "pages/gauge/render/DrawMode.h"
#include "pages/gauge/model/GaugeBitmap.h"
#include "pages/gauge/render/PixelImage.h"

// Empty for a bitmap that holds no image.
PixelImage PixelsOf(const CGaugeBitmap& bitmap) noexcept;

// A bitmap flagged for alpha blends with its own alpha when it has any. One without alpha
// information (from a file without alpha, or all its alpha 0) would blend into nothing, so it is
// drawn like any other bitmap of its kind: a transparent copy with `key`.
DrawMode DrawModeOf(const CGaugeBitmap& bitmap, const PixelImage& pixels, COLORREF key) noexcept;
