#pragma once
// Small images made by the tests, in the 32-bit layout of gauge bitmaps (0xAARRGGBB).

#include "pages/gauge/PixelImage.h"

#include <cstdint>
#include <initializer_list>
#include <vector>

constexpr std::uint32_t kBlack = 0x000000;
constexpr std::uint32_t kKey111 = 0x010101; // the key colour of masks and backgrounds
constexpr std::uint32_t kRed = 0xFF0000;
constexpr std::uint32_t kGreen = 0x00FF00;
constexpr std::uint32_t kBlue = 0x0000FF;
constexpr std::uint32_t kWhite = 0xFFFFFF;

class TestImage {
public:
    // Rows top-down, each of the same length.
    TestImage(std::initializer_list<std::initializer_list<std::uint32_t>> rows) {
        m_height = static_cast<int>(rows.size());
        for (const auto& row : rows) {
            m_width = static_cast<int>(row.size());
            m_pixels.insert(m_pixels.end(), row.begin(), row.end());
        }
    }
    // width × height pixels of one value.
    TestImage(int width, int height, std::uint32_t pixel)
        : m_pixels(static_cast<size_t>(width) * height, pixel), m_width(width), m_height(height) {}

    PixelImage View() const { return PixelImage(m_pixels.data(), m_width, m_height, m_width); }
    std::uint32_t& At(int x, int y) { return m_pixels[static_cast<size_t>(y) * m_width + x]; }

private:
    std::vector<std::uint32_t> m_pixels;
    int m_width = 0;
    int m_height = 0;
};

// A layer pixel as the compositor holds it: opaque colour, or nothing.
constexpr std::uint32_t Opaque(std::uint32_t colour) {
    return colour | 0xFF000000u;
}
