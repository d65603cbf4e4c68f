// The pixel compositor of gauge drawing: matrices, element layers, the output image.

#include "pages/gauge/render/GaugeLayer.h"
#include "pages/gauge/render/GaugeMatrix.h"
#include "pages/gauge/render/OutputPixels.h"
#include "tests/gauge/PixelFixtures.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <vector>

namespace {

using Grid = std::vector<std::vector<std::uint32_t>>;

const RECT kEverything{-100000, -100000, 100000, 100000};

Grid LayerGrid(const GaugeLayer& layer, int width, int height) {
    Grid grid(height, std::vector<std::uint32_t>(width));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            grid[y][x] = layer.At(x, y);
    return grid;
}

BlitRequest Blit(std::int64_t dstX, std::int64_t dstY, std::int64_t srcX, std::int64_t srcY,
                 std::int64_t width, std::int64_t height) {
    BlitRequest request;
    request.dstX = dstX;
    request.dstY = dstY;
    request.srcX = srcX;
    request.srcY = srcY;
    request.width = width;
    request.height = height;
    return request;
}

// Where a point lands under a matrix, in float as a world transform maps it.
POINTFLOAT Map(const GaugeMatrix& m, float x, float y) {
    return {x * m.At(0, 0) + y * m.At(1, 0) + m.At(2, 0),
            x * m.At(0, 1) + y * m.At(1, 1) + m.At(2, 1)};
}

// One channel of straight alpha over a background: what an exact blend gives.
double Blend(int source, int alpha, int under) {
    return (source * alpha + under * (255 - alpha)) / 255.0;
}

std::uint32_t Channel(std::uint32_t colour, int shift) {
    return (colour >> shift) & 0xFF;
}

} // namespace

TEST(GaugeMatrix, RotationRoundsTheAngleAndItsSinesToFloat) {
    // 90 · 3.1415927 / 180 in float is 1.5707964, whose cosine is not 0.
    const GaugeMatrix quarter = GaugeMatrix::Rotation(90.0f);
    EXPECT_EQ(std::bit_cast<std::uint32_t>(quarter.At(0, 0)), 0xB33BBD2Eu);
    EXPECT_EQ(quarter.At(0, 1), -1.0f);
    EXPECT_EQ(quarter.At(1, 0), 1.0f);
    const GaugeMatrix thirty = GaugeMatrix::Rotation(30.0f);
    EXPECT_EQ(std::bit_cast<std::uint32_t>(thirty.At(0, 0)), 0x3F5DB3D7u);
    EXPECT_EQ(thirty.At(1, 0), 0.5f);
    EXPECT_FALSE(GaugeMatrix::Rotation(360.0f).IsTranslation());
    EXPECT_TRUE(GaugeMatrix::Translation(2.5f, -1.0f).IsTranslation());
}

TEST(GaugeMatrix, ElementTransformTurnsTheImageAboutItsAxis) {
    // T(-sx, -sy) · T(-ax, -ay) · R(θ) · T(x + mx, y + my), formed left to right.
    const float sx = 3, sy = -2, ax = 10, ay = 4, target_x = 50, target_y = 60;
    const GaugeMatrix m = GaugeMatrix::Translation(-sx, -sy) * GaugeMatrix::Translation(-ax, -ay) *
                          GaugeMatrix::Rotation(90.0f) *
                          GaugeMatrix::Translation(target_x, target_y);
    const POINTFLOAT pivot = Map(m, ax + sx, ay + sy);
    EXPECT_NEAR(pivot.x, target_x, 1e-4);
    EXPECT_NEAR(pivot.y, target_y, 1e-4);
    // Positive degrees turn counter-clockwise on the screen: a point right of the pivot goes up.
    const POINTFLOAT right = Map(m, ax + sx + 10, ay + sy);
    EXPECT_NEAR(right.x, target_x, 1e-4);
    EXPECT_NEAR(right.y, target_y - 10, 1e-4);
}

TEST(GaugeLayer, TransparentCopiesLeaveOutTheirKeyColour) {
    GaugeLayer layer;
    layer.Reset(3, 2, kEverything);
    const TestImage base(3, 2, kGreen);
    layer.DrawAt(base.View(), Blit(0, 0, 0, 0, 3, 2), DrawMode::KeyColour(RGB(0, 0, 0)));

    // An image's black pixels never show: the layer keeps what it had there.
    const TestImage image{{kRed, kBlack, kBlue}, {kBlack, kWhite, kKey111}};
    layer.DrawAt(image.View(), Blit(0, 0, 0, 0, 3, 2), DrawMode::KeyColour(RGB(0, 0, 0)));
    EXPECT_EQ(LayerGrid(layer, 3, 2), (Grid{{Opaque(kRed), Opaque(kGreen), Opaque(kBlue)},
                                            {Opaque(kGreen), Opaque(kWhite), Opaque(kKey111)}}));

    // A mask's black pixels blacken the layer (the output will show through), (1, 1, 1) leaves it,
    // any other colour paints over it.
    const TestImage mask{{kBlack, kKey111, kBlue}, {kKey111, kKey111, kBlack}};
    layer.DrawAt(mask.View(), Blit(0, 0, 0, 0, 3, 2), DrawMode::KeyColour(RGB(1, 1, 1)));
    EXPECT_EQ(LayerGrid(layer, 3, 2),
              (Grid{{0, Opaque(kGreen), Opaque(kBlue)}, {Opaque(kGreen), Opaque(kWhite), 0}}));
}

TEST(GaugeLayer, BlockCopiesClipToTheSourceAndTheLayer) {
    const TestImage image{{1, 2, 3}, {4, 5, 6}};
    const auto key = DrawMode::KeyColour(RGB(0, 0, 0));
    struct Case {
        BlitRequest request;
        Grid expected;
    } cases[] = {
        // A source point left of and above the image: only the overlap is copied.
        {Blit(0, 0, -1, -1, 3, 3), {{0, 0, 0, 0}, {0, Opaque(1), Opaque(2), 0}}},
        // A block larger than the image reads nothing beyond it.
        {Blit(1, 0, 1, 0, 9, 9), {{0, Opaque(2), Opaque(3), 0}, {0, Opaque(5), Opaque(6), 0}}},
        // A destination off the layer's edge.
        {Blit(-2, 1, 0, 0, 3, 2), {{0, 0, 0, 0}, {Opaque(3), 0, 0, 0}}},
        {Blit(std::int64_t{1} << 40, 0, 0, 0, 3, 2), {{0, 0, 0, 0}, {0, 0, 0, 0}}},
    };
    for (const Case& c : cases) {
        GaugeLayer layer;
        layer.Reset(4, 2, kEverything);
        layer.DrawAt(image.View(), c.request, key);
        EXPECT_EQ(LayerGrid(layer, 4, 2), c.expected) << c.request.dstX << "," << c.request.srcX;
    }
}

TEST(GaugeLayer, TransformedCopiesSamplePixelCentres) {
    // A B C
    // D E F
    const TestImage image{{1, 2, 3}, {4, 5, 6}};
    const auto key = DrawMode::KeyColour(RGB(0, 0, 0));
    GaugeLayer layer;

    // 90 degrees counter-clockwise, then a quarter pixel right and 3 down: (u, v) lands on
    // (v + 0.25, 3 - u), the right column on top. Layer pixel (dx, dy) samples at its centre,
    // image point (2.5 - dy, dx + 0.25); its corner would give other pixels.
    layer.Reset(3, 3, kEverything);
    layer.DrawTransformed(image.View(), SIZE{3, 2},
                          GaugeMatrix::Rotation(90.0f) * GaugeMatrix::Translation(0.25f, 3), key);
    EXPECT_EQ(
        LayerGrid(layer, 3, 3),
        (Grid{{Opaque(3), Opaque(6), 0}, {Opaque(2), Opaque(5), 0}, {Opaque(1), Opaque(4), 0}}));

    // Half a turn about the block's centre; the block is cut to 2 × 2, so C and F stay out.
    layer.Reset(3, 2, kEverything);
    layer.DrawTransformed(image.View(), SIZE{2, 2},
                          GaugeMatrix::Rotation(180.0f) * GaugeMatrix::Translation(3, 2), key);
    EXPECT_EQ(LayerGrid(layer, 3, 2), (Grid{{0, Opaque(5), Opaque(4)}, {0, Opaque(2), Opaque(1)}}));
}

TEST(GaugeLayer, TranslationsRoundAsTheSamplingRuleDoes) {
    // A pixel's centre dx + 0.5 maps to dx + 0.5 - t in the image: floor of that is dx - 1 for t
    // in (0.5, 1.5], so a shift by exactly half a pixel rounds down.
    const TestImage image{{7}};
    const struct {
        float t;
        int landsAt;
    } cases[] = {{1.4f, 1}, {1.5f, 1}, {1.6f, 2}, {0.5f, 0}, {-0.4f, 0}, {-0.5f, -1}};
    for (const auto& c : cases) {
        GaugeLayer layer;
        layer.Reset(5, 5, kEverything);
        layer.DrawTransformed(image.View(), SIZE{1, 1}, GaugeMatrix::Translation(c.t + 2, c.t + 2),
                              DrawMode::KeyColour(RGB(0, 0, 0)));
        EXPECT_EQ(layer.At(c.landsAt + 2, c.landsAt + 2), Opaque(7)) << c.t;
    }
}

TEST(GaugeLayer, OnlyTheVisibleWindowIsKept) {
    const TestImage image(4, 4, kRed);
    GaugeLayer layer;
    layer.Reset(4, 4, RECT{1, 2, 10, 10});
    EXPECT_EQ(layer.Window().left, 1);
    EXPECT_EQ(layer.Window().top, 2);
    EXPECT_EQ(layer.Window().right, 4);
    EXPECT_EQ(layer.Window().bottom, 4);
    layer.DrawTransformed(image.View(), SIZE{4, 4},
                          GaugeMatrix::Rotation(90.0f) * GaugeMatrix::Translation(0, 4),
                          DrawMode::KeyColour(RGB(0, 0, 0)));
    EXPECT_EQ(LayerGrid(layer, 4, 4), (Grid{{0, 0, 0, 0},
                                            {0, 0, 0, 0},
                                            {0, Opaque(kRed), Opaque(kRed), Opaque(kRed)},
                                            {0, Opaque(kRed), Opaque(kRed), Opaque(kRed)}}));
    // A new element's layer starts black and uncovered again, also where the last one drew.
    layer.Reset(4, 4, kEverything);
    EXPECT_EQ(LayerGrid(layer, 4, 4), Grid(4, std::vector<std::uint32_t>(4, 0)));
}

TEST(GaugeLayer, AlphaPixelsBlendIntoTheOutputThroughTheirCoverage) {
    // Straight alpha: red 200 at half coverage, transparent, opaque black, opaque blue.
    const TestImage image{{0x80C80000, 0x00FF0000, 0xFF000000, 0xFF0000FF}};
    GaugeLayer layer;
    layer.Reset(4, 2, kEverything);
    const TestImage green(4, 1, kGreen);
    layer.DrawAt(green.View(), Blit(0, 1, 0, 0, 4, 1), DrawMode::KeyColour(RGB(0, 0, 0)));
    layer.DrawAt(image.View(), Blit(0, 0, 0, 0, 4, 1), DrawMode::Alpha());
    layer.DrawAt(image.View(), Blit(0, 1, 0, 0, 4, 1), DrawMode::Alpha());

    TestOutput output(4, 2, kWhite);
    output.Pixels().Composite(layer, POINT{0, 0});
    // Over the white output: the half-covered red blends with white instead of darkening it.
    EXPECT_NEAR(Channel(output.At(0, 0), 16), Blend(200, 128, 255), 1.0);
    EXPECT_NEAR(Channel(output.At(0, 0), 8), Blend(0, 128, 255), 1.0);
    EXPECT_EQ(output.At(1, 0), kWhite);
    EXPECT_EQ(output.At(2, 0), kBlack); // opaque black is drawn: its alpha says so
    EXPECT_EQ(output.At(3, 0), kBlue);
    // Over the layer's opaque green: the blend of red and green, which hides the output.
    EXPECT_NEAR(Channel(output.At(0, 1), 16), Blend(200, 128, 0), 1.0);
    EXPECT_NEAR(Channel(output.At(0, 1), 8), Blend(0, 128, 255), 1.0);
    EXPECT_EQ(Channel(output.At(0, 1), 0), 0u);
    EXPECT_EQ(output.At(1, 1), kGreen);
}

TEST(OutputPixels, BackgroundsKeepBlackAndLeaveOutTheirKey) {
    TestOutput output(3, 2, kBlue);
    const TestImage background{{kBlack, kKey111, kRed}};
    output.Pixels().DrawAt(background.View(), Blit(0, 1, 0, 0, 3, 1),
                           DrawMode::KeyColour(RGB(1, 1, 1)));
    EXPECT_EQ(output.At(0, 1), kBlack);
    EXPECT_EQ(output.At(1, 1), kBlue);
    EXPECT_EQ(output.At(2, 1), kRed);
    EXPECT_EQ(output.At(0, 0), kBlue);

    const TestImage translucent{{0x80C80000, 0x00FFFFFF}};
    output.Pixels().DrawAt(translucent.View(), Blit(0, 0, 0, 0, 2, 1), DrawMode::Alpha());
    EXPECT_NEAR(Channel(output.At(0, 0), 16), Blend(200, 128, 0), 1.0);
    EXPECT_NEAR(Channel(output.At(0, 0), 0), Blend(0, 128, 255), 1.0);
    EXPECT_EQ(output.At(1, 0), kBlue);
}

TEST(OutputPixels, CompositeShowsCoveredLayerPixelsAtTheOrigin) {
    GaugeLayer layer;
    layer.Reset(3, 3, kEverything);
    const TestImage image{{kRed, kBlack, kRed}, {kBlack, kRed, kBlack}, {kRed, kBlack, kRed}};
    layer.DrawAt(image.View(), Blit(0, 0, 0, 0, 3, 3), DrawMode::KeyColour(RGB(0, 0, 0)));

    TestOutput output(4, 3, kBlue);
    output.Pixels().Composite(layer, POINT{2, -1});
    const std::uint32_t expected[3][4] = {
        {kBlue, kBlue, kBlue, kRed}, {kBlue, kBlue, kRed, kBlue}, {kBlue, kBlue, kBlue, kBlue}};
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(output.At(x, y), expected[y][x]) << x << "," << y;
}
