#pragma once
// The pixels of the 24-bit image a gauge is drawn into.

#include "pages/gauge/render/BlitGeometry.h"
#include "pages/gauge/render/DrawMode.h"
#include "pages/gauge/render/GaugeLayer.h"
#include "pages/gauge/render/PixelImage.h"

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <optional>

// Three bytes per pixel, blue, green, red; rows top-down or bottom-up as the section has them.
class OutputPixels {
public:
    // `stride` is the distance in bytes from one row to the next; negative for bottom-up memory.
    OutputPixels(std::uint8_t* firstRow, int width, int height, std::ptrdiff_t stride) noexcept;

    // The 24-bit DIB section selected into `dc`; nothing for any other bitmap.
    static std::optional<OutputPixels> FromDeviceContext(HDC dc) noexcept;

    int Width() const noexcept { return m_width; }
    int Height() const noexcept { return m_height; }
    RECT Bounds() const noexcept { return RECT{0, 0, m_width, m_height}; }
    std::uint8_t* Row(int y) const noexcept { return m_firstRow + y * m_stride; }

    // An unscaled copy of a block of `source`, clipped to the source and the output.
    void DrawAt(const PixelImage& source, const BlitRequest& request, DrawMode mode) noexcept;
    // The whole layer with its top-left corner at `origin`.
    void Composite(const GaugeLayer& layer, POINT origin) noexcept;

private:
    template <typename Write>
    void CopyBlock(const PixelImage& source, const BlitRequest& request, Write write) noexcept;

    std::uint8_t* m_firstRow;
    int m_width;
    int m_height;
    std::ptrdiff_t m_stride;
};
