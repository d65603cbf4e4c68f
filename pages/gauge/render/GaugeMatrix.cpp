#include "pages/gauge/render/GaugeMatrix.h"

#include <cmath>

namespace {
constexpr float Pi = 3.1415927f;
}

GaugeMatrix GaugeMatrix::Identity() noexcept {
    GaugeMatrix m;
    m.m_m[0][0] = m.m_m[1][1] = m.m_m[2][2] = 1.0f;
    return m;
}

GaugeMatrix GaugeMatrix::Translation(float tx, float ty) noexcept {
    GaugeMatrix m = Identity();
    m.m_m[2][0] = tx;
    m.m_m[2][1] = ty;
    return m;
}

GaugeMatrix GaugeMatrix::Rotation(float degrees) noexcept {
    const float product = degrees * Pi;
    const float radians = product / 180.0f;
    const float c = static_cast<float>(std::cos(static_cast<double>(radians)));
    const float s = static_cast<float>(std::sin(static_cast<double>(radians)));
    GaugeMatrix m = Identity();
    m.m_m[0][0] = c;
    m.m_m[0][1] = -s;
    m.m_m[1][0] = s;
    m.m_m[1][1] = c;
    return m;
}

GaugeMatrix GaugeMatrix::operator*(const GaugeMatrix& right) const noexcept {
    GaugeMatrix result;
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 3; ++column) {
            // One float variable per step, so that no wider intermediate survives on x87.
            float sum = 0.0f;
            for (int k = 0; k < 3; ++k) {
                const float term = m_m[row][k] * right.m_m[k][column];
                sum = sum + term;
            }
            result.m_m[row][column] = sum;
        }
    }
    return result;
}

bool GaugeMatrix::IsTranslation() const noexcept {
    return m_m[0][0] == 1.0f && m_m[0][1] == 0.0f && m_m[1][0] == 0.0f && m_m[1][1] == 1.0f;
}

std::optional<InverseAffine> GaugeMatrix::Inverse() const noexcept {
    const double a = m_m[0][0];
    const double b = m_m[0][1];
    const double c = m_m[1][0];
    const double d = m_m[1][1];
    const double e = m_m[2][0];
    const double f = m_m[2][1];
    const double det = a * d - b * c;
    if (det == 0.0 || !std::isfinite(det))
        return std::nullopt;
    const InverseAffine inverse{
        d / det, -b / det, -c / det, a / det, (c * f - d * e) / det, (b * e - a * f) / det};
    if (!std::isfinite(inverse.m11) || !std::isfinite(inverse.m12) || !std::isfinite(inverse.m21) ||
        !std::isfinite(inverse.m22) || !std::isfinite(inverse.dx) || !std::isfinite(inverse.dy))
        return std::nullopt;
    return inverse;
}
