#include "pages/gauge/render/ElementGeometry.h"

#include "pages/gauge/model/GaugeElement.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr float Pi = 3.1415927f;
}

float ClampValue(float value, const ClampedExpression& clamps) noexcept {
    if (clamps.hasMinimum)
        value = std::max(clamps.minimum, value);
    if (clamps.hasMaximum)
        value = std::min(clamps.maximum, value);
    return value;
}

BracketingPair FindBracketingPair(std::span<const NonlinearityPoint> table, float value) noexcept {
    for (size_t i = 1; i < table.size(); ++i) {
        if (value >= table[i - 1].value && table[i].value >= value)
            return {table[i - 1], table[i]};
    }
    return {table.front(), table.back()};
}

float RotationDegrees(float value, std::span<const NonlinearityPoint> table) noexcept {
    if (table.size() < 2) {
        const float degrees = value * 180.0f / Pi;
        return -degrees;
    }
    const BracketingPair pair = FindBracketingPair(table, value);
    const float b0 = pair.lo.degrees;
    float b1 = pair.hi.degrees;
    if (b0 > b1)
        b1 += 360.0f;
    const float along = (value - pair.lo.value) * (b1 - b0) / (pair.hi.value - pair.lo.value);
    const float bearing = along + b0;
    return 90.0f - bearing;
}

float NormaliseDegrees(float degrees) noexcept {
    if (!std::isfinite(degrees))
        return degrees;
    // Within this range every step of 360 changes the float, and at most ten steps are taken.
    constexpr float Stepped = 3600.0f;
    if (degrees < -Stepped || degrees > Stepped)
        degrees = std::fmod(degrees, 360.0f);
    while (degrees < 0.0f)
        degrees += 360.0f;
    while (degrees > 360.0f)
        degrees -= 360.0f;
    return degrees;
}

POINTFLOAT ShiftOffset(float value, float scaleX, float scaleY,
                       std::span<const NonlinearityPoint> table) noexcept {
    if (table.size() < 2)
        return {scaleX * value, scaleY * value};
    const BracketingPair pair = FindBracketingPair(table, value);
    const float t = value - pair.lo.value;
    const float span = pair.hi.value - pair.lo.value;
    return {(pair.hi.x - pair.lo.x) * t / span + pair.lo.x,
            (pair.hi.y - pair.lo.y) * t / span + pair.lo.y};
}
