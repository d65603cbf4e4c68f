// How far elements turn and shift: clamps, tables, bracketing pairs and the angle's normalisation.

#include "pages/gauge/render/ElementGeometry.h"
#include "pages/gauge/model/GaugeElement.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace {

NonlinearityPoint Bearing(float value, float degrees) {
    return {value, 0.0f, 0.0f, degrees};
}

NonlinearityPoint At(float value, float x, float y) {
    return {value, x, y, 0.0f};
}

float Angle(float value, const std::vector<NonlinearityPoint>& table) {
    return NormaliseDegrees(RotationDegrees(value, table));
}

} // namespace

TEST(ElementGeometry, RotationAngles) {
    const struct {
        const char* what;
        std::vector<NonlinearityPoint> table;
        float value;
        float degrees;
    } cases[] = {
        // Radians turn clockwise on the screen: 30 degrees clockwise is 330 counter-clockwise.
        {"radians", {}, 0.5236f, 330.0f},
        {"one point is no table", {Bearing(0, 90)}, -0.5236f, 30.0f},
        {"interpolated", {Bearing(0, 0), Bearing(100, 90)}, 50.0f, 45.0f},
        {"extrapolated", {Bearing(0, 0), Bearing(100, 90)}, 150.0f, 315.0f},
        {"through north", {Bearing(0, 350), Bearing(10, 10)}, 5.0f, 90.0f},
        {"second pair", {Bearing(0, 0), Bearing(10, 90), Bearing(20, 270)}, 15.0f, 270.0f},
        // Out of order: no pair encloses 120, so the first and last points extrapolate.
        {"unordered", {Bearing(0, 0), Bearing(100, 90), Bearing(50, 180)}, 120.0f, 18.0f},
    };
    for (const auto& c : cases)
        EXPECT_NEAR(Angle(c.value, c.table), c.degrees, 2e-3) << c.what;

    // Equal values in the bracketing pair give no angle at all.
    const std::vector<NonlinearityPoint> flat{Bearing(5, 0), Bearing(5, 90)};
    EXPECT_FALSE(std::isfinite(RotationDegrees(5.0f, flat)));
}

TEST(ElementGeometry, NormalisationEndsForEveryAngle) {
    const struct {
        float in;
        float out;
    } cases[] = {{-30.0f, 330.0f}, {-360.0f, 0.0f},   {360.0f, 360.0f}, {720.0f, 360.0f},
                 {725.0f, 5.0f},   {-725.0f, 355.0f}, {0.0f, 0.0f}};
    for (const auto& c : cases)
        EXPECT_FLOAT_EQ(NormaliseDegrees(c.in), c.out) << c.in;

    // Floats this large no longer change by 360: stepping would never end.
    for (float huge : {1e12f, -1e12f, 3.4e38f, -3.4e38f}) {
        const float normalised = NormaliseDegrees(huge);
        EXPECT_GE(normalised, 0.0f) << huge;
        EXPECT_LE(normalised, 360.0f) << huge;
    }
    EXPECT_TRUE(std::isinf(NormaliseDegrees(-std::numeric_limits<float>::infinity())));
    EXPECT_TRUE(std::isnan(NormaliseDegrees(std::numeric_limits<float>::quiet_NaN())));
}

TEST(ElementGeometry, ClampsApplyOnlyWhereTheElementHasThem) {
    ClampedExpression clamps;
    EXPECT_EQ(ClampValue(5e6f, clamps), 5e6f);
    clamps.hasMinimum = true;
    clamps.minimum = 0.0f;
    clamps.hasMaximum = true;
    clamps.maximum = 260.0f;
    EXPECT_EQ(ClampValue(-4.0f, clamps), 0.0f);
    EXPECT_EQ(ClampValue(300.0f, clamps), 260.0f);
    EXPECT_EQ(ClampValue(100.0f, clamps), 100.0f);
    // max(minimum, NaN) is the minimum, which the maximum then leaves.
    EXPECT_EQ(ClampValue(std::numeric_limits<float>::quiet_NaN(), clamps), 0.0f);
}

TEST(ElementGeometry, ShiftOffsets) {
    const POINTFLOAT scaled = ShiftOffset(2.0f, 50.0f, -1.5f, {});
    EXPECT_FLOAT_EQ(scaled.x, 100.0f);
    EXPECT_FLOAT_EQ(scaled.y, -3.0f);

    const std::vector<NonlinearityPoint> table{At(0, 10, 20), At(10, 30, 0), At(20, 30, 40)};
    const struct {
        float value;
        float x;
        float y;
    } cases[] = {
        {5.0f, 20.0f, 10.0f}, {15.0f, 30.0f, 20.0f}, {-10.0f, 0.0f, 10.0f}, {30.0f, 40.0f, 50.0f}};
    for (const auto& c : cases) {
        const POINTFLOAT offset = ShiftOffset(c.value, 1.0f, 1.0f, table);
        EXPECT_FLOAT_EQ(offset.x, c.x) << c.value;
        EXPECT_FLOAT_EQ(offset.y, c.y) << c.value;
    }
}
