#include "pages/gauge/render/GaugeLayer.h"

#include "pages/gauge/render/PixelOps.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

// Narrows the interval [first, last] of x to where a · x + b lies in [0, limit]; an empty result
// has first > last.
void Narrow(double a, double b, double limit, double& first, double& last) noexcept {
    if (a == 0.0) {
        if (b < 0.0 || b >= limit)
            first = last + 1.0;
        return;
    }
    double low = -b / a;
    double high = (limit - b) / a;
    if (low > high)
        std::swap(low, high);
    first = std::max(first, low);
    last = std::min(last, high);
}

// floor for values known to lie well within int.
int FloorToInt(double value) noexcept {
    const int truncated = static_cast<int>(value);
    return value < truncated ? truncated - 1 : truncated;
}

// An offset for a blit, kept far from overflow; anything this large misses every bitmap anyway.
std::int64_t ClampOffset(double value) noexcept {
    constexpr double Limit = 1e12;
    return static_cast<std::int64_t>(std::clamp(value, -Limit, Limit));
}

} // namespace

void GaugeLayer::Reset(int width, int height, const RECT& visible) {
    m_window = RECT{std::max(0L, visible.left), std::max(0L, visible.top),
                    std::min(static_cast<LONG>(width), visible.right),
                    std::min(static_cast<LONG>(height), visible.bottom)};
    if (m_window.left >= m_window.right || m_window.top >= m_window.bottom)
        m_window = RECT{};
    m_stride = m_window.right - m_window.left;
    const std::size_t count = static_cast<std::size_t>(m_stride) *
                              static_cast<std::size_t>(m_window.bottom - m_window.top);
    if (m_pixels.size() < count)
        m_pixels.resize(count);
    std::fill_n(m_pixels.begin(), count, 0u);
}

std::uint32_t GaugeLayer::At(int x, int y) const noexcept {
    if (x < m_window.left || x >= m_window.right || y < m_window.top || y >= m_window.bottom)
        return 0;
    return Row(y)[x - m_window.left];
}

template <typename Write>
void GaugeLayer::CopyBlock(const PixelImage& source, const BlitRequest& request,
                           Write write) noexcept {
    const RECT sourceRect{0, 0, source.Width(), source.Height()};
    const auto span = ClipBlit(request, m_window, sourceRect);
    if (!span)
        return;
    for (int row = 0; row < span->height; ++row) {
        const std::uint32_t* from = source.Row(span->srcY + row) + span->srcX;
        std::uint32_t* to = MutableRow(span->dstY + row) + (span->dstX - m_window.left);
        for (int i = 0; i < span->width; ++i)
            write(to[i], from[i]);
    }
}

template <typename Write>
void GaugeLayer::Sample(const PixelImage& source, SIZE size, const InverseAffine& inverse,
                        Write write) noexcept {
    const int width = std::min(static_cast<int>(size.cx), source.Width());
    const int height = std::min(static_cast<int>(size.cy), source.Height());
    if (width <= 0 || height <= 0)
        return;
    for (int dy = m_window.top; dy < m_window.bottom; ++dy) {
        const double y = dy + 0.5;
        const double rowU = y * inverse.m21 + inverse.dx;
        const double rowV = y * inverse.m22 + inverse.dy;
        // The centres on this row that can map into the block, found analytically and widened by
        // a pixel; the exact test below decides each pixel.
        double first = m_window.left + 0.5;
        double last = m_window.right - 0.5;
        Narrow(inverse.m11, rowU, width, first, last);
        Narrow(inverse.m12, rowV, height, first, last);
        if (first > last)
            continue;
        const int begin = std::max(static_cast<int>(m_window.left), FloorToInt(first - 0.5) - 1);
        const int end = std::min(static_cast<int>(m_window.right), FloorToInt(last - 0.5) + 2);
        std::uint32_t* to = MutableRow(dy) - m_window.left;
        for (int dx = begin; dx < end; ++dx) {
            const double x = dx + 0.5;
            const int u = FloorToInt(x * inverse.m11 + rowU);
            const int v = FloorToInt(x * inverse.m12 + rowV);
            if (u >= 0 && u < width && v >= 0 && v < height)
                write(to[dx], source.Row(v)[u]);
        }
    }
}

void GaugeLayer::DrawAt(const PixelImage& source, const BlitRequest& request,
                        DrawMode mode) noexcept {
    if (source.IsEmpty())
        return;
    if (mode.IsAlpha()) {
        CopyBlock(source, request, [](std::uint32_t& to, std::uint32_t from) {
            PixelOps::AlphaOntoLayer(to, from);
        });
    } else {
        const std::uint32_t key = mode.Key();
        CopyBlock(source, request, [key](std::uint32_t& to, std::uint32_t from) {
            PixelOps::KeyedOntoLayer(to, from, key);
        });
    }
}

void GaugeLayer::DrawTransformed(const PixelImage& source, SIZE size, const GaugeMatrix& transform,
                                 DrawMode mode) noexcept {
    if (source.IsEmpty())
        return;
    if (transform.IsTranslation()) {
        // With m11 = m22 = 1 and no shear, u = dx + 0.5 - eDx, whose floor is dx plus the
        // constant floor(0.5 - eDx): the sampling rule is then an unscaled block copy.
        BlitRequest request;
        request.dstX = -ClampOffset(std::floor(0.5 - static_cast<double>(transform.At(2, 0))));
        request.dstY = -ClampOffset(std::floor(0.5 - static_cast<double>(transform.At(2, 1))));
        request.width = size.cx;
        request.height = size.cy;
        DrawAt(source, request, mode);
        return;
    }
    const auto inverse = transform.Inverse();
    if (!inverse)
        return;
    if (mode.IsAlpha()) {
        Sample(source, size, *inverse,
               [](std::uint32_t& to, std::uint32_t from) { PixelOps::AlphaOntoLayer(to, from); });
    } else {
        const std::uint32_t key = mode.Key();
        Sample(source, size, *inverse, [key](std::uint32_t& to, std::uint32_t from) {
            PixelOps::KeyedOntoLayer(to, from, key);
        });
    }
}
