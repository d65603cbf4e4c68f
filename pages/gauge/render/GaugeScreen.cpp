#include "pages/gauge/render/GaugeScreen.h"

namespace GaugeScreen {

POINT Origin(SIZE gauge) noexcept {
    return POINT{Width - gauge.cx, (Height - gauge.cy) / 2};
}

RECT LabelRectangle(int buttonNumber, int gaugeWidth) noexcept {
    if (buttonNumber < 1 || buttonNumber > 6)
        return RECT{2, 0, 0, 0};
    return RECT{2, 40 * (buttonNumber - 1), Width - gaugeWidth, 40 * buttonNumber};
}

} // namespace GaugeScreen
