#pragma once
// The images the tool writes: PNG through the Windows Imaging Component's encoder, and BMP files
// that hold the panel's image byte for byte.

#include <windows.h>

#include <string>
#include <vector>

// A 24-bit image, rows top-down, 3 bytes a pixel in blue, green, red order, no row padding.
class RgbImage {
public:
    RgbImage(int width, int height, COLORREF fill = RGB(0, 0, 0));

    // The panel's image: 320 × 240, rows bottom-up, as the device receives it.
    static RgbImage FromPanelImage(const BYTE* bottomUp);

    int Width() const { return m_width; }
    int Height() const { return m_height; }
    BYTE* Row(int y) { return m_pixels.data() + static_cast<size_t>(y) * Stride(); }
    const BYTE* Row(int y) const { return m_pixels.data() + static_cast<size_t>(y) * Stride(); }
    UINT Stride() const { return static_cast<UINT>(m_width) * 3; }
    const std::vector<BYTE>& Pixels() const { return m_pixels; }

    // Copies `source` with its top-left corner at (x, y); the part outside this image is cut.
    void Paste(const RgbImage& source, int x, int y);

private:
    int m_width;
    int m_height;
    std::vector<BYTE> m_pixels;
};

// COM must be initialised on the calling thread.
[[nodiscard]] HRESULT WritePng(const std::wstring& path, const RgbImage& image) noexcept;

// A bitmap file whose pixel data are the panel's 230400 bytes as they are (bottom-up rows of
// blue, green, red).
[[nodiscard]] HRESULT WritePanelBmp(const std::wstring& path, const BYTE* panelImage) noexcept;
