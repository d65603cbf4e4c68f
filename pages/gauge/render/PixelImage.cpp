#include "pages/gauge/render/PixelImage.h"

PixelImage::PixelImage(const std::uint32_t* firstRow, int width, int height,
                       std::ptrdiff_t stride) noexcept
    : m_firstRow(firstRow), m_width(width), m_height(height), m_stride(stride) {}

PixelImage PixelImage::FromSection(HBITMAP section) noexcept {
    DIBSECTION dib{};
    if (section == nullptr || ::GetObjectW(section, sizeof(dib), &dib) != sizeof(dib))
        return {};
    const BITMAP& bm = dib.dsBm;
    if (bm.bmBits == nullptr || bm.bmBitsPixel != 32 || bm.bmWidth <= 0 || bm.bmHeight <= 0)
        return {};
    const auto* bits = static_cast<const std::uint32_t*>(bm.bmBits);
    const std::ptrdiff_t stride = bm.bmWidthBytes / 4;
    if (dib.dsBmih.biHeight < 0)
        return PixelImage(bits, bm.bmWidth, bm.bmHeight, stride);
    return PixelImage(bits + (bm.bmHeight - 1) * stride, bm.bmWidth, bm.bmHeight, -stride);
}

bool PixelImage::HasAlphaInformation() const noexcept {
    for (int y = 0; y < m_height; ++y) {
        const std::uint32_t* row = Row(y);
        for (int x = 0; x < m_width; ++x) {
            if ((row[x] >> 24) != 0)
                return true;
        }
    }
    return false;
}
