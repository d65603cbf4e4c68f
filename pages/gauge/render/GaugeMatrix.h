#pragma once
// The 3 × 3 float matrices of element drawing.

#include <optional>

// The inverse of an affine matrix in double precision: maps a point of the layer back to the
// image, u = x · m11 + y · m21 + dx and v = x · m12 + y · m22 + dy.
struct InverseAffine {
    double m11;
    double m12;
    double m21;
    double m22;
    double dx;
    double dy;
};

// Applied to row vectors, p' = p · M, with the translation in the third row, as a world transform
// holds it. Every entry and every step of a product is rounded to float.
class GaugeMatrix {
public:
    static GaugeMatrix Identity() noexcept;
    static GaugeMatrix Translation(float tx, float ty) noexcept;
    // Positive degrees turn counter-clockwise on a screen whose y runs downwards.
    static GaugeMatrix Rotation(float degrees) noexcept;

    // The product formed left to right: this first, then `right`.
    GaugeMatrix operator*(const GaugeMatrix& right) const noexcept;

    float At(int row, int column) const noexcept { return m_m[row][column]; }
    bool IsTranslation() const noexcept;
    // Nothing when the matrix cannot be inverted or its inverse is not finite.
    std::optional<InverseAffine> Inverse() const noexcept;

private:
    float m_m[3][3] = {};
};
