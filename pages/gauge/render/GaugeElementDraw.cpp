// Drawing of one gauge element: its layer, the image, the mask and the composite onto the output.

#include "pages/gauge/render/ElementGeometry.h"
#include "pages/gauge/render/GaugeBitmapPixels.h"
#include "pages/gauge/expression/ExpressionEngine.h"
#include "pages/gauge/model/GaugeElement.h"
#include "pages/gauge/render/GaugeLayer.h"
#include "pages/gauge/render/OutputPixels.h"

#include <algorithm>
#include <cmath>

namespace {

// Truncation toward zero; values far beyond any bitmap are held where they still cannot overflow.
std::int64_t Trunc(float value) noexcept {
    constexpr float Limit = 1e12f;
    return static_cast<std::int64_t>(std::clamp(value, -Limit, Limit));
}

BlitRequest Blit(std::int64_t dstX, std::int64_t dstY, std::int64_t srcX, std::int64_t srcY,
                 std::int64_t width, std::int64_t height) noexcept {
    BlitRequest request;
    request.dstX = dstX;
    request.dstY = dstY;
    request.srcX = srcX;
    request.srcY = srcY;
    request.width = width;
    request.height = height;
    return request;
}

} // namespace

void CGaugeElement::Draw(OutputPixels& output, POINT origin, GaugeLayer& layer) const {
    GaugeVariables& store = Store();
    if (HasVisibility() && !(Evaluate(store, Visibility()) > 0.1f))
        return;
    float angle = 0.0f;
    if (HasRotation()) {
        const float value = ClampValue(Evaluate(store, Rotation().expression), Rotation());
        angle = NormaliseDegrees(RotationDegrees(value, Nonlinearity()));
    }
    POINTFLOAT shift{0.0f, 0.0f};
    if (HasShift()) {
        const float value = ClampValue(Evaluate(store, Shift().expression), Shift());
        shift = ShiftOffset(value, ShiftScaleX(), ShiftScaleY(), Nonlinearity());
    }
    // An expression dividing by zero, or a table with two equal values, gives no place to draw.
    if (!std::isfinite(angle) || !std::isfinite(shift.x) || !std::isfinite(shift.y))
        return;

    // Only the part of the layer that lands on the output is kept.
    layer.Reset(LayerWidth(), LayerHeight(),
                RECT{-origin.x, -origin.y, output.Width() - origin.x, output.Height() - origin.y});

    const PixelImage image = HasImage() ? PixelsOf(Image()) : PixelImage();
    const PixelImage mask = HasMask() ? PixelsOf(Mask()) : PixelImage();
    int width = image.Width();
    int height = image.Height();
    float maskAxisX = 0.0f;
    float maskAxisY = 0.0f;
    if (HasMask()) {
        width = std::min(width, mask.Width());
        height = std::min(height, mask.Height());
        maskAxisX = Mask().AxisX();
        maskAxisY = Mask().AxisY();
    }

    if (!image.IsEmpty()) {
        const DrawMode mode = DrawModeOf(Image(), image, RGB(0, 0, 0));
        const float axisX = Image().AxisX();
        const float axisY = Image().AxisY();
        if (HasRotation()) {
            // The image point (axis + shift) lands on the position plus the mask's axis, and the
            // image turns about it.
            const GaugeMatrix transform =
                GaugeMatrix::Translation(-shift.x, -shift.y) *
                GaugeMatrix::Translation(-axisX, -axisY) * GaugeMatrix::Rotation(angle) *
                GaugeMatrix::Translation(static_cast<float>(X()) + maskAxisX,
                                         static_cast<float>(Y()) + maskAxisY);
            layer.DrawTransformed(image, SIZE{width, height}, transform, mode);
        } else if (HasMask()) {
            // The shift moves the image under the mask's window instead of moving the window.
            layer.DrawAt(image,
                         Blit(X() - Trunc(axisX), Y() - Trunc(axisY),
                              Trunc(shift.x) - Trunc(maskAxisX), Trunc(shift.y) - Trunc(maskAxisY),
                              width, height),
                         mode);
        } else {
            layer.DrawAt(
                image, Blit(Trunc(shift.x) + X(), Trunc(shift.y) + Y(), 0, 0, width, height), mode);
        }
    }
    if (!mask.IsEmpty())
        layer.DrawAt(mask, Blit(X(), Y(), 0, 0, mask.Width(), mask.Height()),
                     DrawModeOf(Mask(), mask, RGB(1, 1, 1)));

    output.Composite(layer, origin);
}
