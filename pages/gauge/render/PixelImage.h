#pragma once
// A read-only view of the pixels of a 32-bit image.

#include <windows.h>

#include <cstddef>
#include <cstdint>

// Each pixel is one 32-bit word: blue in the low byte, then green, then red, then a fourth byte
// that holds straight (not premultiplied) alpha where the image carries alpha at all.
class PixelImage {
public:
    PixelImage() = default;
    // `stride` is the distance from one row to the next in pixels; negative for bottom-up memory.
    PixelImage(const std::uint32_t* firstRow, int width, int height,
               std::ptrdiff_t stride) noexcept;

    // The pixels of a 32-bit DIB section; an empty view for anything else (or no bitmap at all).
    static PixelImage FromSection(HBITMAP section) noexcept;

    bool IsEmpty() const noexcept { return m_firstRow == nullptr || m_width <= 0 || m_height <= 0; }
    int Width() const noexcept { return m_width; }
    int Height() const noexcept { return m_height; }
    const std::uint32_t* Row(int y) const noexcept { return m_firstRow + y * m_stride; }

    // Whether any fourth byte is not 0. Images loaded from files without alpha come out of GDI with
    // 0 there, so such an image has nothing to blend with.
    bool HasAlphaInformation() const noexcept;

private:
    const std::uint32_t* m_firstRow = nullptr;
    int m_width = 0;
    int m_height = 0;
    std::ptrdiff_t m_stride = 0;
};
