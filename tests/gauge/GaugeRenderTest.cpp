// A whole gauge drawn into a page's surface: where it sits, its background, elements in order,
// the soft-button labels, and frames drawn over frames.

#include "pages/gauge/render/CRenderSurface.h"
#include "pages/gauge/model/GaugeRenderer.h"
#include "pages/gauge/expression/GaugeVariables.h"
#include "tests/gauge/PixelFixtures.h"
#include "tests/support/NuvexServiceInstaller.h"

#include <gtest/gtest.h>

#include <objbase.h>

#include <string>

namespace {

constexpr std::uint32_t kFloor = 0x203040; // what the surface holds before a frame

class GaugeRenderTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
        ASSERT_TRUE(surface.IsValid());
        Fill(kFloor);
    }
    void TearDown() override { CoUninitialize(); }

    void Fill(std::uint32_t colour) {
        auto selected = surface.SelectSection();
        auto output = OutputPixels::FromDeviceContext(surface.DeviceContext());
        ASSERT_TRUE(output.has_value());
        for (int y = 0; y < output->Height(); ++y)
            for (int x = 0; x < output->Width(); ++x)
                for (int i = 0; i < 3; ++i)
                    output->Row(y)[3 * x + i] = static_cast<std::uint8_t>(colour >> (8 * i));
    }
    void RenderFrame() {
        auto selected = surface.SelectSection();
        renderer.Render(surface.DeviceContext());
    }
    // The surface's pixel (x, y), counted from the top left.
    std::uint32_t Pixel(int x, int y) const {
        const BYTE* p = surface.Pixels() + (239 - y) * 960 + 3 * x;
        return p[0] | (p[1] << 8) | (p[2] << 16);
    }
    // The pixels that differ from `expected`, as "(x, y) is 0x..., expected 0x..." lines.
    std::string Differences(const TestOutput& expected) const {
        TestOutput actual(320, 240, 0);
        for (int y = 0; y < 240; ++y)
            for (int x = 0; x < 320; ++x)
                actual.Set(x, y, Pixel(x, y));
        return actual.Differences(expected);
    }

    // A gauge file of the newer schema: background and elements, images beside the file.
    bool LoadNewer(const std::string& elements) {
        const auto file =
            folder.Write(L"gauge.xml", "<?xml version=\"1.0\"?>\n<SimBase.Document>\n"
                                       "<SimGauge.Gauge>\n<Image Name=\"background.bmp\"/>\n" +
                                           elements + "</SimGauge.Gauge>\n</SimBase.Document>\n");
        return renderer.LoadFromFile(store, file.c_str());
    }

    CScratchFolder folder{L"gauge-render"};
    CSimConnectLibrary simConnect{L"absent-simconnect.dll"};
    GaugeVariables store{simConnect};
    CGaugeRenderer renderer{simConnect};
    CRenderSurface surface;
};

// A background whose pixel (i, j) is numbered, with one pure black and one (1, 1, 1) pixel.
TestImage Background(int width, int height) {
    TestImage image(width, height, 0);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.At(x, y) = 0x800000 | (x << 8) | y;
    image.At(1, 0) = kBlack;
    image.At(2, 0) = kKey111;
    return image;
}

} // namespace

TEST_F(GaugeRenderTest, TheGaugeSitsRightAndCentredWithItsBackgroundsBlackDrawn) {
    const struct {
        const char* what;
        bool older;
        int width;
        int height;
        POINT origin;
    } cases[] = {
        {"no ImageSizes: the background's size", false, 20, 10, {300, 115}},
        {"an odd height truncates", false, 20, 11, {300, 114}},
        {"ImageSizes 153 x 153", true, 20, 10, {167, 43}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const TestImage background = Background(c.width, c.height);
        CGaugeRenderer gauge(simConnect);
        if (c.older) {
            background.Write24(folder, L"1024\\background.bmp");
            const auto file =
                folder.Write(L"older.xml", "<Gauge Name=\"Sized\"><Image Name=\"background.bmp\" "
                                           "ImageSizes=\"153,153,153,153\"/></Gauge>");
            ASSERT_TRUE(gauge.LoadFromFile(store, file.c_str()));
        } else {
            background.Write24(folder, L"background.bmp");
            const auto file =
                folder.Write(L"newer.xml", "<SimBase.Document><SimGauge.Gauge><Image "
                                           "Name=\"background.bmp\"/></SimGauge.Gauge>"
                                           "</SimBase.Document>");
            ASSERT_TRUE(gauge.LoadFromFile(store, file.c_str()));
        }
        Fill(kFloor);
        {
            auto selected = surface.SelectSection();
            gauge.Render(surface.DeviceContext());
        }
        TestOutput expected(320, 240, kFloor);
        for (int y = 0; y < c.height; ++y)
            for (int x = 0; x < c.width; ++x)
                if (background.At(x, y) != kKey111)
                    expected.Set(c.origin.x + x, c.origin.y + y, background.At(x, y));
        EXPECT_EQ(Differences(expected), "");
    }
}

TEST_F(GaugeRenderTest, TheBuiltInGaugeOccupiesItsSquareAgainstTheRightEdge) {
    ASSERT_TRUE(CNuvexServiceInstaller::InstallImages());
    ASSERT_TRUE(renderer.LoadDebugGauge(store));
    RenderFrame();
    // x 167 to 319, y 43 to 195; every edge of that square is drawn somewhere, nothing outside.
    bool left = false, right = false, top = false, bottom = false;
    for (int i = 0; i < 153; ++i) {
        left |= Pixel(167, 43 + i) != kFloor;
        right |= Pixel(319, 43 + i) != kFloor;
        top |= Pixel(167 + i, 43) != kFloor;
        bottom |= Pixel(167 + i, 195) != kFloor;
    }
    EXPECT_TRUE(left && right && top && bottom);
    for (int y = 0; y < 240; ++y)
        for (int x = 0; x < 320; ++x)
            if (x < 167 || y < 43 || y > 195) {
                ASSERT_EQ(Pixel(x, y), kFloor) << x << ", " << y;
            }
}

TEST_F(GaugeRenderTest, LaterElementsDrawOverEarlierOnesAndFramesOverFrames) {
    // A background with a see-through (1, 1, 1) middle; a red bar under a blue bar that moves.
    TestImage background(10, 10, 0x808080);
    for (int y = 2; y < 8; ++y)
        for (int x = 2; x < 8; ++x)
            background.At(x, y) = kKey111;
    background.Write24(folder, L"background.bmp");
    TestImage(4, 1, kRed).Write24(folder, L"red.bmp");
    TestImage(2, 2, kBlue).Write24(folder, L"blue.bmp");
    ASSERT_TRUE(LoadNewer("<Element><FloatPosition>2,3</FloatPosition>"
                          "<Image Name=\"red.bmp\"/></Element>\n"
                          "<Element><FloatPosition>3,3</FloatPosition><Image Name=\"blue.bmp\"/>"
                          "<Shift><Scale>0,1</Scale><Expression><Script>(L:Down)</Script>"
                          "</Expression></Shift></Element>\n"));
    store.SetValue(L'L', L"Down", L"", 0.0f);
    RenderFrame();
    // Origin (310, 115): the blue square lies over the red bar.
    EXPECT_EQ(Pixel(313, 118), kBlue);
    EXPECT_EQ(Pixel(312, 118), kRed);
    store.SetValue(L'L', L"Down", L"", 2.0f);
    RenderFrame();

    // Nothing clears the surface: where neither the background nor an element draws any more,
    // the first frame's blue square stays.
    TestOutput expected(320, 240, kFloor);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x)
            if (background.At(x, y) != kKey111)
                expected.Set(310 + x, 115 + y, background.At(x, y));
    for (int x = 2; x < 6; ++x)
        expected.Set(310 + x, 118, kRed);
    for (int y = 119; y < 122; ++y) {
        expected.Set(313, y, kBlue);
        expected.Set(314, y, kBlue);
    }
    EXPECT_EQ(Differences(expected), "");
}

TEST_F(GaugeRenderTest, LabelsStayInsideTheirRowsOfTheStrip) {
    TestImage(153, 153, 0x808080).Write24(folder, L"background.bmp");
    ASSERT_TRUE(LoadNewer(""));
    const std::wstring wide(40, L'W'); // far wider than the strip: clipped at its right edge
    renderer.AddButtonLabel(1, L"NAV", L"NAV_EVENT", 400, RGB(255, 255, 0));
    renderer.AddButtonLabel(3, wide, L"WIDE_EVENT", 700, RGB(0, 255, 255));
    renderer.AddButtonLabel(7, L"HIDDEN", L"HIDDEN_EVENT", 400, RGB(255, 0, 255));
    RenderFrame();

    // Button n's rectangle: x 2 to 167 (320 - 153), y 40 (n - 1) to 40 n.
    const struct {
        std::uint32_t colour;
        RECT rect;
    } labels[] = {{0xFFFF00, {2, 0, 167, 40}}, {0x00FFFF, {2, 80, 167, 120}}};
    for (const auto& label : labels) {
        int inked = 0;
        for (int y = label.rect.top; y < label.rect.bottom; ++y)
            for (int x = label.rect.left; x < label.rect.right; ++x)
                inked += Pixel(x, y) == label.colour;
        EXPECT_GT(inked, 20) << std::hex << label.colour;
    }
    // Outside the two rectangles and the gauge, nothing changed: no text left of x 2, none
    // over the gauge, none for button 7.
    for (int y = 0; y < 240; ++y) {
        for (int x = 0; x < 320; ++x) {
            const bool inLabel = x >= 2 && x < 167 && ((y >= 0 && y < 40) || (y >= 80 && y < 120));
            const bool inGauge = x >= 167 && y >= 43 && y < 196;
            if (!inLabel && !inGauge) {
                ASSERT_EQ(Pixel(x, y), kFloor) << x << ", " << y;
            }
            if (inGauge) {
                ASSERT_EQ(Pixel(x, y), 0x808080u) << x << ", " << y;
            }
        }
    }
}
