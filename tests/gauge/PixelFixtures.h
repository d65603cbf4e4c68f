#pragma once
// Small images made by the tests, in the 32-bit layout of gauge bitmaps (0xAARRGGBB), the 24-bit
// images drawn into, and bitmap files of them.

#include "pages/gauge/render/OutputPixels.h"
#include "pages/gauge/render/PixelImage.h"
#include "tests/gauge/GaugeTestFiles.h"

#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <optional>
#include <string>
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
    TestImage(std::initializer_list<std::initializer_list<std::uint32_t>> rows);
    // width × height pixels of one value.
    TestImage(int width, int height, std::uint32_t pixel);

    int Width() const { return m_width; }
    int Height() const { return m_height; }
    PixelImage View() const { return PixelImage(m_pixels.data(), m_width, m_height, m_width); }
    std::uint32_t At(int x, int y) const { return m_pixels[Index(x, y)]; }
    std::uint32_t& At(int x, int y) { return m_pixels[Index(x, y)]; }

    // Bitmap files of the image: 24-bit (the fourth bytes are not stored) or 32-bit with them.
    std::filesystem::path Write24(const CScratchFolder& folder, const std::wstring& name) const;
    std::filesystem::path Write32(const CScratchFolder& folder, const std::wstring& name) const;

private:
    size_t Index(int x, int y) const { return static_cast<size_t>(y) * m_width + x; }

    std::vector<std::uint32_t> m_pixels;
    int m_width = 0;
    int m_height = 0;
};

// A layer pixel as the compositor holds it: opaque colour, or nothing.
constexpr std::uint32_t Opaque(std::uint32_t colour) {
    return colour | 0xFF000000u;
}

// A 24-bit top-down image owned by the test, filled with one colour.
class TestOutput {
public:
    TestOutput(int width, int height, std::uint32_t colour);
    TestOutput(const TestOutput&) = delete;
    TestOutput& operator=(const TestOutput&) = delete;

    OutputPixels& Pixels() { return *m_view; }
    std::uint32_t At(int x, int y) const;
    void Set(int x, int y, std::uint32_t colour);
    // "(x, y) is 0x..., expected 0x..." for every pixel that differs; empty when none does.
    std::string Differences(const TestOutput& expected) const;

private:
    int m_width;
    int m_height;
    std::vector<std::uint8_t> m_bytes;
    std::optional<OutputPixels> m_view;
};
