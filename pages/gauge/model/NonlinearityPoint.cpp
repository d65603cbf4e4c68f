#include "pages/gauge/model/NonlinearityPoint.h"

#include <cmath>

float BearingFrom(int x, int y, float px, float py) {
    constexpr float kPi = 3.1415927f;
    const float dx = static_cast<float>(x) - px;
    const float dy = static_cast<float>(y) - py;
    // |dx| / 0 is infinity (a = 90) and 0 / 0 NaN, which the quadrant rules pass through.
    const float a =
        static_cast<float>(std::atan(static_cast<double>(std::fabs(dx) / std::fabs(dy)))) * 180.0f /
        kPi;
    if (dy >= 0.0f && dx <= 0.0f)
        return a; // above and to the right
    if (dy < 0.0f && dx <= 0.0f)
        return 180.0f - a; // below and to the right
    if (dy >= 0.0f)
        return 360.0f - a; // above and to the left
    return 180.0f + a;     // below and to the left
}
