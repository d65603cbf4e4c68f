#pragma once
// Clipping of unscaled block copies.

#include <windows.h>

#include <cstdint>
#include <optional>

// A copy of a width × height block from (srcX, srcY) of a source to (dstX, dstY) of a target.
// 64-bit, so that positions far outside any bitmap clip instead of overflowing.
struct BlitRequest {
    std::int64_t dstX = 0;
    std::int64_t dstY = 0;
    std::int64_t srcX = 0;
    std::int64_t srcY = 0;
    std::int64_t width = 0;
    std::int64_t height = 0;
};

// The part of a copy that lies inside both rectangles, as rectangles always are here: a non-empty
// width and height that fit in int.
struct BlitSpan {
    int dstX;
    int dstY;
    int srcX;
    int srcY;
    int width;
    int height;
};

// Clips a copy so that it reads only inside `source` and writes only inside `target`; nothing when
// nothing is left.
std::optional<BlitSpan> ClipBlit(const BlitRequest& request, const RECT& target,
                                 const RECT& source) noexcept;
