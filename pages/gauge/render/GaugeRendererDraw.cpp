// Drawing of a whole gauge: background, elements and soft-button labels.

#include "pages/gauge/render/GaugeBitmapPixels.h"
#include "pages/gauge/model/GaugeRenderer.h"
#include "pages/gauge/render/GaugeScreen.h"
#include "pages/gauge/render/OutputPixels.h"

namespace {

void DrawLabel(HDC dc, const ButtonLabel& label, int gaugeWidth) noexcept {
    RECT rect = GaugeScreen::LabelRectangle(label.buttonNumber, gaugeWidth);
    const UniqueGdiObject<HFONT> font(::CreateFontW(
        18, 0, 0, 0, label.fontWeight, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
        CLIP_DEFAULT_PRECIS, NONANTIALIASED_QUALITY, DEFAULT_PITCH | FF_DONTCARE, L"Arial"));
    const UniqueSelection selection = SelectInto(dc, font.get());
    const int mode = ::SetBkMode(dc, TRANSPARENT);
    const COLORREF colour = ::SetTextColor(dc, label.colour);
    // Left-aligned, centred vertically and clipped to the rectangle.
    ::DrawTextW(dc, label.text.c_str(), static_cast<int>(label.text.size()), &rect,
                DT_SINGLELINE | DT_VCENTER);
    ::SetTextColor(dc, colour);
    ::SetBkMode(dc, mode);
}

} // namespace

SIZE CGaugeRenderer::GaugeSize() const noexcept {
    // A definition without ImageSizes (every newer-schema gauge, the built-in one) would be 0 × 0
    // and sit off the screen: it takes the size of its background, which is also the size of its
    // element layers.
    if (m_gaugeWidth == 0 && m_gaugeHeight == 0)
        return SIZE{m_background.Width(), m_background.Height()};
    return SIZE{m_gaugeWidth, m_gaugeHeight};
}

void CGaugeRenderer::Render(HDC dc) {
    const SIZE gauge = GaugeSize();
    const POINT origin = GaugeScreen::Origin(gauge);
    // Whatever GDI still has queued for the section lands before its pixels are written here.
    ::GdiFlush();
    // Nothing is cleared: each frame is drawn over the last.
    if (auto output = OutputPixels::FromDeviceContext(dc)) {
        const PixelImage background = PixelsOf(m_background);
        BlitRequest request;
        request.dstX = origin.x;
        request.dstY = origin.y;
        request.width = background.Width();
        request.height = background.Height();
        // Pure black in a background is drawn; (1, 1, 1) is its see-through colour.
        output->DrawAt(background, request, DrawModeOf(m_background, background, RGB(1, 1, 1)));
        for (const auto& element : m_elements)
            element->Draw(*output, origin, m_layer);
    }
    for (const ButtonLabel& label : m_buttonLabels)
        DrawLabel(dc, label, gauge.cx);
}
