#include "pages/gauge/render/OutputPixels.h"

#include "pages/gauge/render/PixelOps.h"

OutputPixels::OutputPixels(std::uint8_t* firstRow, int width, int height,
                           std::ptrdiff_t stride) noexcept
    : m_firstRow(firstRow), m_width(width), m_height(height), m_stride(stride) {}

std::optional<OutputPixels> OutputPixels::FromDeviceContext(HDC dc) noexcept {
    const auto bitmap = static_cast<HBITMAP>(::GetCurrentObject(dc, OBJ_BITMAP));
    DIBSECTION dib{};
    if (bitmap == nullptr || ::GetObjectW(bitmap, sizeof(dib), &dib) != sizeof(dib))
        return std::nullopt;
    const BITMAP& bm = dib.dsBm;
    if (bm.bmBits == nullptr || bm.bmBitsPixel != 24 || bm.bmWidth <= 0 || bm.bmHeight <= 0)
        return std::nullopt;
    auto* bits = static_cast<std::uint8_t*>(bm.bmBits);
    const std::ptrdiff_t stride = bm.bmWidthBytes;
    if (dib.dsBmih.biHeight < 0)
        return OutputPixels(bits, bm.bmWidth, bm.bmHeight, stride);
    return OutputPixels(bits + (bm.bmHeight - 1) * stride, bm.bmWidth, bm.bmHeight, -stride);
}

template <typename Write>
void OutputPixels::CopyBlock(const PixelImage& source, const BlitRequest& request,
                             Write write) noexcept {
    const RECT sourceRect{0, 0, source.Width(), source.Height()};
    const auto span = ClipBlit(request, Bounds(), sourceRect);
    if (!span)
        return;
    for (int row = 0; row < span->height; ++row) {
        const std::uint32_t* from = source.Row(span->srcY + row) + span->srcX;
        std::uint8_t* to = Row(span->dstY + row) + 3 * span->dstX;
        for (int i = 0; i < span->width; ++i)
            write(to + 3 * i, from[i]);
    }
}

void OutputPixels::DrawAt(const PixelImage& source, const BlitRequest& request,
                          DrawMode mode) noexcept {
    if (source.IsEmpty())
        return;
    if (mode.IsAlpha()) {
        CopyBlock(source, request, [](std::uint8_t* to, std::uint32_t from) {
            PixelOps::AlphaOntoOutput(to, from);
        });
    } else {
        const std::uint32_t key = mode.Key();
        CopyBlock(source, request, [key](std::uint8_t* to, std::uint32_t from) {
            PixelOps::KeyedOntoOutput(to, from, key);
        });
    }
}

void OutputPixels::Composite(const GaugeLayer& layer, POINT origin) noexcept {
    const RECT& window = layer.Window();
    BlitRequest request;
    request.dstX = std::int64_t{origin.x} + window.left;
    request.dstY = std::int64_t{origin.y} + window.top;
    request.srcX = window.left;
    request.srcY = window.top;
    request.width = window.right - window.left;
    request.height = window.bottom - window.top;
    const auto span = ClipBlit(request, Bounds(), window);
    if (!span)
        return;
    for (int row = 0; row < span->height; ++row) {
        const std::uint32_t* from = layer.Row(span->srcY + row) + (span->srcX - window.left);
        std::uint8_t* to = Row(span->dstY + row) + 3 * span->dstX;
        for (int i = 0; i < span->width; ++i)
            PixelOps::LayerOntoOutput(to + 3 * i, from[i]);
    }
}
