// Drawing one gauge element onto a test-made output: placement, visibility, rotation, shift,
// mask, alpha, and elements that have no place to be drawn.

#include "pages/gauge/model/GaugeElement.h"
#include "pages/gauge/render/GaugeLayer.h"
#include "pages/gauge/expression/GaugeVariables.h"
#include "tests/gauge/PixelFixtures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

namespace {

constexpr std::uint32_t kFloor = 0x203040; // what the output holds before the element is drawn
constexpr std::uint32_t kNeedle = 0xE0E0E0;
constexpr std::uint32_t kMaskPaint = 0x0000C8;

class ElementDrawTest : public ::testing::Test {
protected:
    std::unique_ptr<CGaugeElement> MakeElement(int x, int y) {
        auto element = std::make_unique<CGaugeElement>(40, 40, store);
        element->SetPosition(x, y);
        return element;
    }
    // A local variable the element's expressions read as (L:name).
    void SetLocal(const wchar_t* name, float value) { store.SetValue(L'L', name, L"", value); }
    static ClampedExpression Expression(const wchar_t* text) {
        ClampedExpression expression;
        expression.expression = text;
        return expression;
    }
    void Draw(const CGaugeElement& element) { element.Draw(output.Pixels(), POINT{0, 0}, layer); }

    CScratchFolder folder{L"gauge-draw"};
    CSimConnectLibrary simConnect;
    GaugeVariables store{simConnect};
    GaugeLayer layer;
    TestOutput output{40, 40, kFloor};
};

// The pixel that holds the screen point (x, y).
std::uint32_t PixelAt(const TestOutput& output, double x, double y) {
    return output.At(static_cast<int>(std::floor(x)), static_cast<int>(std::floor(y)));
}

} // namespace

TEST_F(ElementDrawTest, ImageSitsAtThePositionMovedByTheTruncatedShift) {
    // Black pixels of an image never show.
    const TestImage image{{kRed, kBlack, kGreen}, {kBlue, kWhite, kKey111}};
    const auto file = image.Write24(folder, L"image.bmp");
    const struct {
        bool hasShift;
        float scaleX;
        float scaleY;
        int left;
        int top;
    } cases[] = {{false, 0, 0, 10, 20},
                 {true, 5.7f, -2.2f, 15, 18}, // 5 right and 2 up
                 {true, -0.9f, 0.9f, 10, 20},
                 {true, -1.5f, 2.0f, 9, 22}};
    for (const auto& c : cases) {
        auto element = MakeElement(10, 20);
        element->SetImage(file.wstring(), 0.0f, 0.0f, false);
        if (c.hasShift) {
            element->SetShift(Expression(L"(L:Shift)"));
            element->SetShiftScale(c.scaleX, c.scaleY);
        }
        SetLocal(L"Shift", 1.0f); // registering an expression sets its local variables to 0
        TestOutput expected(40, 40, kFloor);
        for (int y = 0; y < image.Height(); ++y)
            for (int x = 0; x < image.Width(); ++x)
                if (image.At(x, y) != kBlack)
                    expected.Set(c.left + x, c.top + y, image.At(x, y));
        TestOutput drawn(40, 40, kFloor);
        element->Draw(drawn.Pixels(), POINT{0, 0}, layer);
        EXPECT_EQ(drawn.Differences(expected), "") << c.scaleX << ", " << c.scaleY;
    }
}

TEST_F(ElementDrawTest, OnlyAVisibilityAbovePointOneShows) {
    const auto file = TestImage(2, 2, kRed).Write24(folder, L"image.bmp");
    const struct {
        bool hasVisibility;
        float value;
        bool shown;
    } cases[] = {{false, 0.0f, true},
                 {true, 0.1f, false},
                 {true, std::nextafter(0.1f, 1.0f), true},
                 {true, -5.0f, false},
                 {true, NAN, false}};
    for (const auto& c : cases) {
        auto element = MakeElement(3, 4);
        element->SetImage(file.wstring(), 0.0f, 0.0f, false);
        if (c.hasVisibility)
            element->SetVisibility(L"(L:Visible)");
        SetLocal(L"Visible", c.value);
        TestOutput drawn(40, 40, kFloor);
        element->Draw(drawn.Pixels(), POINT{0, 0}, layer);
        EXPECT_EQ(drawn.At(3, 4), c.shown ? kRed : kFloor) << c.hasVisibility << " " << c.value;
    }
}

TEST_F(ElementDrawTest, RotationTurnsTheImageAboutItsAxisOntoThePosition) {
    // A needle 12 pixels long and 2 wide pointing right, its axis on its centre line at the
    // left end; the element at (20, 20). Each case gives the direction the needle must point in
    // on the screen (y downwards).
    const auto file = TestImage(12, 2, kNeedle).Write24(folder, L"needle.bmp");
    const double r = std::sqrt(0.5);
    const double c30 = std::cos(30.0 * 3.14159265358979 / 180.0);
    const struct {
        const char* what;
        std::vector<std::pair<float, float>> bearings; // value, bearing
        bool clampAt100;
        float value;
        double dirX;
        double dirY;
    } cases[] = {
        {"30 degrees clockwise", {}, false, 0.5236f, c30, 0.5},
        {"a quarter turn clockwise", {}, false, 1.5707964f, 0.0, 1.0},
        {"table, interpolated to 45", {{0.0f, 0.0f}, {100.0f, 90.0f}}, false, 50.0f, r, -r},
        {"table, extrapolated to 135", {{0.0f, 0.0f}, {100.0f, 90.0f}}, false, 150.0f, r, r},
        {"table, clamped to 90", {{0.0f, 0.0f}, {100.0f, 90.0f}}, true, 150.0f, 1.0, 0.0},
        {"table through north", {{0.0f, 350.0f}, {10.0f, 10.0f}}, false, 5.0f, 0.0, -1.0},
    };
    for (const auto& c : cases) {
        auto element = MakeElement(20, 20);
        element->SetImage(file.wstring(), 0.0f, 1.0f, false);
        ClampedExpression rotation = Expression(L"(L:Turn)");
        rotation.hasMaximum = c.clampAt100;
        rotation.maximum = 100.0f;
        element->SetRotation(rotation);
        for (const auto& [value, bearing] : c.bearings)
            element->AddPointByDegrees(value, bearing);
        SetLocal(L"Turn", c.value);
        TestOutput drawn(40, 40, kFloor);
        element->Draw(drawn.Pixels(), POINT{0, 0}, layer);
        for (int k = 2; k <= 10; ++k) {
            const double d = k + 0.5;
            EXPECT_EQ(PixelAt(drawn, 20 + d * c.dirX, 20 + d * c.dirY), kNeedle) << c.what << k;
            EXPECT_EQ(PixelAt(drawn, 20 - d * c.dirX, 20 - d * c.dirY), kFloor) << c.what << k;
            EXPECT_EQ(PixelAt(drawn, 20 - d * c.dirY, 20 + d * c.dirX), kFloor) << c.what << k;
            EXPECT_EQ(PixelAt(drawn, 20 + d * c.dirY, 20 - d * c.dirX), kFloor) << c.what << k;
        }
    }
}

TEST_F(ElementDrawTest, QuarterTurnSamplesExactPixels) {
    // Pixels 1 to 5 in a row, axis at the top-left corner: a quarter turn clockwise about
    // (10, 10) puts the row below the point, left of it.
    const TestImage image{{0x000001, 0x000002, 0x000003, 0x000004, 0x000005}};
    auto element = MakeElement(10, 10);
    element->SetImage(image.Write24(folder, L"row.bmp").wstring(), 0.0f, 0.0f, false);
    element->SetRotation(Expression(L"(L:Turn)"));
    SetLocal(L"Turn", 1.5707964f);
    Draw(*element);
    TestOutput expected(40, 40, kFloor);
    for (int i = 0; i < 5; ++i)
        expected.Set(9, 10 + i, image.At(i, 0));
    EXPECT_EQ(output.Differences(expected), "");
}

TEST_F(ElementDrawTest, NothingIsDrawnWithoutAFiniteAngleOrShift) {
    const auto file = TestImage(3, 3, kRed).Write24(folder, L"image.bmp");
    const struct {
        const wchar_t* rotation;
        const wchar_t* shift;
        bool flatTable;
    } cases[] = {
        {L"1 0 /", nullptr, false},  // an infinite angle: normalising it must end
        {L"0 0 /", nullptr, false},  // NaN
        {L"(L:Any)", nullptr, true}, // a bracketing pair with equal values
        {nullptr, L"1 0 /", false},  {nullptr, L"(L:Any)", true},
    };
    for (const auto& c : cases) {
        auto element = MakeElement(10, 10);
        element->SetImage(file.wstring(), 0.0f, 0.0f, false);
        if (c.rotation != nullptr)
            element->SetRotation(Expression(c.rotation));
        if (c.shift != nullptr)
            element->SetShift(Expression(c.shift));
        if (c.flatTable) {
            element->AddPointByDegrees(5.0f, 0.0f);
            element->AddPointByDegrees(5.0f, 90.0f);
        }
        SetLocal(L"Any", 5.0f);
        TestOutput drawn(40, 40, kFloor);
        element->Draw(drawn.Pixels(), POINT{0, 0}, layer);
        EXPECT_EQ(drawn.Differences(TestOutput(40, 40, kFloor)), "") << (c.rotation != nullptr);
    }
}

namespace {

// An image whose every pixel has a colour of its own: (i, j) is 0xII J0 40 with II = 16 (i + 1).
TestImage NumberedImage(int width, int height) {
    TestImage image(width, height, 0);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.At(x, y) = (static_cast<std::uint32_t>(16 * (x + 1)) << 16) |
                             (static_cast<std::uint32_t>(16 * (y + 1)) << 8) | 0x40;
    return image;
}

} // namespace

TEST_F(ElementDrawTest, MasksWindowTheImageInEachOfTheThreeWays) {
    // A 4 × 4 mask: black border, a 2 × 2 see-through window of (1, 1, 1), one painted pixel.
    const TestImage mask{{kBlack, kBlack, kBlack, kBlack},
                         {kBlack, kKey111, kKey111, kBlack},
                         {kBlack, kKey111, kKey111, kMaskPaint},
                         {kBlack, kBlack, kBlack, kBlack}};
    const TestImage image = NumberedImage(8, 4);
    const auto maskFile = mask.Write24(folder, L"mask.bmp");
    const auto imageFile = image.Write24(folder, L"image.bmp");

    // Element at (10, 12), image axis (1.9, 0), mask axis (1.7, 0.4), shift (2.6, 0).
    auto build = [&](bool withMask, bool withRotation) {
        auto element = MakeElement(10, 12);
        if (withMask)
            element->SetMask(maskFile.wstring(), 1.7f, 0.4f);
        element->SetImage(imageFile.wstring(), 1.9f, 0.0f, false);
        element->SetShift(Expression(L"(L:Shift)"));
        element->SetShiftScale(2.6f, 0.0f);
        if (withRotation)
            element->SetRotation(Expression(L"(L:Turn)"));
        SetLocal(L"Shift", 1.0f);
        SetLocal(L"Turn", 0.0f);
        return element;
    };
    // The image block (0, 0)-(w, h) drawn with its pixel (i, j) at (left + i - from, top + j);
    // then the mask at the element's position.
    auto expect = [&](TestOutput& expected, int left, int from, int width, bool withMask) {
        TestImage layer(40, 40, kBlack);
        for (int j = 0; j < 4; ++j)
            for (int i = from; i < from + width; ++i)
                layer.At(left + i - from, 12 + j) = image.At(i, j);
        if (withMask)
            for (int j = 0; j < 4; ++j)
                for (int i = 0; i < 4; ++i)
                    if (mask.At(i, j) != kKey111)
                        layer.At(10 + i, 12 + j) = mask.At(i, j);
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 40; ++x)
                if (layer.At(x, y) != kBlack)
                    expected.Set(x, y, layer.At(x, y));
    };

    struct Case {
        const char* what;
        bool withMask;
        bool withRotation;
        int left;
        int from;
        int width;
    } cases[] = {
        // At (x - trunc(ax), y - trunc(ay)) = (9, 12) from (trunc(sx) - trunc(mx), 0) = (1, 0),
        // 4 × 4 (the image cut to the mask): the shift moves the image under the window.
        {"mask", true, false, 9, 1, 4},
        // At (trunc(sx) + x, y) = (12, 12), all of it.
        {"no mask", false, false, 12, 0, 8},
        // Image point (ax + sx, ay + sy) = (4.5, 0) onto (x + mx, y + my) = (11.7, 12.4): a
        // translation by (7.2, 12.4), which samples image column dx - 7 at layer column dx.
        {"rotation and mask", true, true, 7, 0, 4},
    };
    for (const Case& c : cases) {
        TestOutput drawn(40, 40, kFloor);
        build(c.withMask, c.withRotation)->Draw(drawn.Pixels(), POINT{0, 0}, layer);
        TestOutput expected(40, 40, kFloor);
        expect(expected, c.left, c.from, c.width, c.withMask);
        EXPECT_EQ(drawn.Differences(expected), "") << c.what;
    }
}

TEST_F(ElementDrawTest, AMaskWithoutImageStillDraws) {
    const TestImage mask{{kBlack, kKey111, kMaskPaint}};
    auto element = MakeElement(5, 6);
    element->SetMask(mask.Write24(folder, L"mask.bmp").wstring(), 0.0f, 0.0f);
    Draw(*element);
    TestOutput expected(40, 40, kFloor);
    expected.Set(7, 6, kMaskPaint);
    EXPECT_EQ(output.Differences(expected), "");
}

TEST_F(ElementDrawTest, LayersComposeAtTheOriginAndNothingIsCleared) {
    const auto file = TestImage(2, 1, kRed).Write24(folder, L"image.bmp");
    auto element = MakeElement(3, 4);
    element->SetImage(file.wstring(), 0.0f, 0.0f, false);
    element->SetShift(Expression(L"(L:Shift)"));
    element->SetShiftScale(1.0f, 0.0f);
    SetLocal(L"Shift", 0.0f);
    element->Draw(output.Pixels(), POINT{20, 10}, layer);
    SetLocal(L"Shift", 10.0f);
    element->Draw(output.Pixels(), POINT{20, 10}, layer);
    TestOutput expected(40, 40, kFloor);
    for (int x : {23, 24, 33, 34})
        expected.Set(x, 14, kRed);
    EXPECT_EQ(output.Differences(expected), "");

    // The layer reaches past the output's edge: only what lands on it is drawn.
    element->Draw(output.Pixels(), POINT{-12, -3}, layer);
    expected.Set(1, 1, kRed);
    expected.Set(2, 1, kRed);
    EXPECT_EQ(output.Differences(expected), "");
}

TEST_F(ElementDrawTest, AlphaImagesBlendWithTheirOwnAlpha) {
    // Straight alpha: red 200 at about half coverage, fully transparent white, opaque black.
    const TestImage translucent{{0x80C80000, 0x00FFFFFF, 0xFF000000, 0xFFFF0000}};
    // Without alpha information (24-bit, or every alpha 0) the flag changes nothing: a
    // transparent copy with key black.
    const TestImage plain{{0x00C80000, 0x00FFFFFF, 0x00000000, 0x00FF0000}};
    const struct {
        const char* what;
        std::filesystem::path file;
        bool alpha;
        std::uint32_t expected[4];
    } cases[] = {
        {"alpha",
         translucent.Write32(folder, L"alpha.bmp"),
         true,
         {0x741820, kFloor, kBlack, kRed}},
        {"24-bit", plain.Write24(folder, L"plain24.bmp"), true, {0xC80000, kWhite, kFloor, kRed}},
        {"alpha 0", plain.Write32(folder, L"plain32.bmp"), true, {0xC80000, kWhite, kFloor, kRed}},
        {"not flagged",
         translucent.Write32(folder, L"flagless.bmp"),
         false,
         {0xC80000, kWhite, kFloor, kRed}},
    };
    for (const auto& c : cases) {
        auto element = MakeElement(0, 0);
        element->SetImage(c.file.wstring(), 0.0f, 0.0f, c.alpha);
        TestOutput drawn(4, 1, kFloor);
        element->Draw(drawn.Pixels(), POINT{0, 0}, layer);
        for (int x = 0; x < 4; ++x) {
            for (int shift : {0, 8, 16})
                EXPECT_NEAR(static_cast<int>((drawn.At(x, 0) >> shift) & 0xFF),
                            static_cast<int>((c.expected[x] >> shift) & 0xFF), 1)
                    << c.what << " pixel " << x;
        }
    }
}
