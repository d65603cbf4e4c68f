#pragma once
// How far a gauge element turns and shifts for the values of its expressions.

#include "pages/gauge/model/NonlinearityPoint.h"

#include <windows.h>

#include <span>

struct ClampedExpression;

// The value clamped as max(minimum, v), then min(maximum, v), for the clamps the element has.
float ClampValue(float value, const ClampedExpression& clamps) noexcept;

// The two points of a table that the value is interpolated between: the first neighbouring pair
// whose values enclose it, else the first and the last point (the value is then extrapolated along
// the line through them). The table holds at least two points.
struct BracketingPair {
    const NonlinearityPoint& lo;
    const NonlinearityPoint& hi;
};
BracketingPair FindBracketingPair(std::span<const NonlinearityPoint> table, float value) noexcept;

// The layer's rotation in degrees, counter-clockwise on the screen, before normalisation. Without
// a table the value is radians turning clockwise; with one, the table's bearings (clockwise from
// straight up) are interpolated, through north when the second bearing is the smaller.
float RotationDegrees(float value, std::span<const NonlinearityPoint> table) noexcept;

// The angle brought into [0, 360] as adding 360 while below 0 and then subtracting 360 while above
// 360 would, in bounded time: far away angles are first reduced exactly (floats that large no
// longer change by 360, so stepping would never end). Not-finite angles come back as they are.
float NormaliseDegrees(float degrees) noexcept;

// The shift in gauge pixels: the value times the scale without a table, the interpolated point of
// the table with one.
POINTFLOAT ShiftOffset(float value, float scaleX, float scaleY,
                       std::span<const NonlinearityPoint> table) noexcept;
