#pragma once
// Where a gauge and its soft-button labels sit on the instrument panel's 320 × 240 screen.

#include <windows.h>

namespace GaugeScreen {

constexpr int Width = 320;
constexpr int Height = 240;

// Against the right edge and centred vertically (the division truncates); the strip on the left
// carries the labels.
POINT Origin(SIZE gauge) noexcept;

// The label of button 1 to 6: a 40-pixel row of the strip left of the gauge. Any other number
// gets the empty rectangle (2, 0, 0, 0), in which nothing shows.
RECT LabelRectangle(int buttonNumber, int gaugeWidth) noexcept;

} // namespace GaugeScreen
