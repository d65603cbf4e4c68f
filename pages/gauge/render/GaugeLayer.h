#pragma once
// The drawing layer of one gauge element.

#include "pages/gauge/render/BlitGeometry.h"
#include "pages/gauge/render/DrawMode.h"
#include "pages/gauge/render/GaugeMatrix.h"
#include "pages/gauge/render/PixelImage.h"

#include <windows.h>

#include <cstdint>
#include <vector>

// Each pixel holds premultiplied colour with its coverage (see PixelOps.h): a layer starts black
// and uncovered, and every pixel left so lets the output show through when the layer is composed
// onto it. Without alpha images that is exactly a layer whose black pixels are transparent; with
// them, a half-transparent pixel blends into the output instead of darkening it.
//
// Only a window of the layer is kept: the part that can reach the output. Drawing outside it
// changes nothing visible and is skipped. The memory grows to the largest window seen and is
// reused for every element and every frame.
class GaugeLayer {
public:
    // Starts the layer of an element, width × height pixels, all black and uncovered, keeping the
    // part inside `visible` (layer coordinates).
    void Reset(int width, int height, const RECT& visible);

    // An unscaled copy of a block of `source`, clipped to the source and the layer.
    void DrawAt(const PixelImage& source, const BlitRequest& request, DrawMode mode) noexcept;

    // The block (0, 0)-`size` of `source` drawn through `transform` (image to layer). Sampling
    // rule: each layer pixel (dx, dy) takes the source pixel at floor((dx + 0.5, dy + 0.5) ·
    // inverse(transform)), computed in double precision as u = (dx + 0.5) · m11 + ((dy + 0.5) ·
    // m21 + dx') and v likewise, when that lies inside the block and the source, and the mode lets
    // it through (not the key colour). Nearest neighbour, no filtering: the pixels of needles stay
    // exactly as drawn, and results are the same on every platform.
    void DrawTransformed(const PixelImage& source, SIZE size, const GaugeMatrix& transform,
                         DrawMode mode) noexcept;

    const RECT& Window() const noexcept { return m_window; }
    // A row of the window, starting at its left edge; y in layer coordinates.
    const std::uint32_t* Row(int y) const noexcept {
        return m_pixels.data() + static_cast<std::ptrdiff_t>(y - m_window.top) * m_stride;
    }
    // A pixel of the layer; 0 (black, uncovered) outside the window.
    std::uint32_t At(int x, int y) const noexcept;

private:
    std::uint32_t* MutableRow(int y) noexcept {
        return m_pixels.data() + static_cast<std::ptrdiff_t>(y - m_window.top) * m_stride;
    }
    template <typename Write>
    void CopyBlock(const PixelImage& source, const BlitRequest& request, Write write) noexcept;
    template <typename Write>
    void Sample(const PixelImage& source, SIZE size, const InverseAffine& inverse,
                Write write) noexcept;

    RECT m_window{};
    int m_stride = 0;
    std::vector<std::uint32_t> m_pixels;
};
