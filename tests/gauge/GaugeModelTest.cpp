#include "pages/gauge/model/AnsiText.h"
#include "pages/gauge/model/GaugeRenderer.h"
#include "pages/gauge/expression/GaugeVariables.h"
#include "pages/gauge/model/NonlinearityPoint.h"
#include "tests/gauge/GaugeTestFiles.h"
#include "tests/support/NuvexServiceInstaller.h"
#include "tests/support/SimConnectStandin.h"
#include "tests/support/TraceCapture.h"

#include <gtest/gtest.h>

#include <objbase.h>

#include <bit>
#include <cmath>
#include <cstdint>

namespace {

uint32_t Bits(float value) {
    return std::bit_cast<uint32_t>(value);
}

TEST(NonlinearityBearing, IsClockwiseFromStraightUpSeenFromTheElement) {
    struct Case {
        int x, y;
        float px, py;
        float bearing;
    };
    const Case cases[] = {
        {10, 10, 10.0f, 0.0f, 0.0f},
        {10, 10, 20.0f, 10.0f, 90.0f},
        {10, 10, 10.0f, 20.0f, 180.0f},
        {10, 10, 0.0f, 10.0f, 270.0f},
        {10, 10, 20.0f, 0.0f, 45.0f},
        {10, 10, 20.0f, 20.0f, 135.0f},
        {10, 10, 0.0f, 20.0f, 225.0f},
        {10, 10, 0.0f, 0.0f, 315.0f},
        // The built-in needle's points for 0 and 130 knots.
        {73, 76, 73.3125f, 15.9375f, 0.2981f},
        {73, 76, 98.8125f, 133.875f, 155.9637f},
    };
    for (const Case& c : cases) {
        EXPECT_NEAR(BearingFrom(c.x, c.y, c.px, c.py), c.bearing, 0.001f)
            << "(" << c.px << ", " << c.py << ") from (" << c.x << ", " << c.y << ")";
    }
    EXPECT_TRUE(std::isnan(BearingFrom(10, 10, 10.0f, 10.0f)));
}

// Event names go to the simulator through fixed buffers: a longer name is cut, never overrun.
TEST(AnsiText, NamesAreCutToFitTheirBuffer) {
    EXPECT_EQ(ToAnsiCodePage(L"AP_MASTER", 260), "AP_MASTER");
    EXPECT_EQ(ToAnsiCodePage(L"", 260), "");
    EXPECT_EQ(ToAnsiCodePage(std::wstring(259, L'x'), 260), std::string(259, 'x'));
    EXPECT_EQ(ToAnsiCodePage(std::wstring(1500, L'x'), 1024), std::string(1023, 'x'));
}

TEST(GaugeBitmap, HoldsTheFileAsTopDown32BitPixelsAndLoadsOnlyOnce) {
    const CScratchFolder folder(L"gauge-bitmap");
    const auto first = folder.WriteBitmap(L"first.bmp", 3, 2, [](int x, int y) {
        return x == 0 && y == 0 ? RGB(10, 20, 30) : RGB(200, 100, 50);
    });
    const auto second = folder.WriteBitmap(L"second.bmp", 5, 5);

    CGaugeBitmap bitmap;
    EXPECT_FALSE(bitmap.Load((folder.Path() / L"missing.bmp").c_str(), 1.0f, 2.0f, true));
    EXPECT_FALSE(bitmap.IsLoaded());
    ASSERT_TRUE(bitmap.Load(first.c_str(), 1.5f, 0.25f, true));

    const BITMAPINFOHEADER& header = bitmap.Header();
    EXPECT_EQ(header.biSize, 40u);
    EXPECT_EQ(header.biWidth, 3);
    EXPECT_EQ(header.biHeight, -2);
    EXPECT_EQ(header.biPlanes, 1);
    EXPECT_EQ(header.biBitCount, 32);
    EXPECT_EQ(header.biCompression, static_cast<DWORD>(BI_RGB));
    EXPECT_EQ(header.biXPelsPerMeter, 3200);
    EXPECT_EQ(header.biYPelsPerMeter, 3200);
    EXPECT_EQ(header.biClrUsed, 0u);
    EXPECT_EQ(bitmap.Width(), 3);
    EXPECT_EQ(bitmap.Height(), 2);
    EXPECT_EQ(bitmap.Description().bmBitsPixel, 32);
    ASSERT_NE(bitmap.Pixels(), nullptr);
    EXPECT_EQ(bitmap.Pixels()[0] & 0xFFFFFF, 0x0A141Eu) << "the first row is the top row";
    EXPECT_EQ(bitmap.Pixels()[5] & 0xFFFFFF, 0xC86432u);

    EXPECT_FALSE(bitmap.Load(second.c_str(), 9.0f, 9.0f, false));
    EXPECT_EQ(bitmap.Width(), 3);
    EXPECT_EQ(bitmap.AxisX(), 1.5f);
    EXPECT_EQ(bitmap.AxisY(), 0.25f);
    EXPECT_TRUE(bitmap.Alpha());

    EXPECT_EQ(CGaugeBitmap::PathIn(L"C:\\g", L"a\\b.bmp"), L"C:\\g\\a\\b.bmp");
    EXPECT_EQ(CGaugeBitmap::PathIn(L"C:\\g", nullptr), L"C:\\g\\");
}

class BuiltInGaugeTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(CNuvexServiceInstaller::InstallImages()); }
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
        ASSERT_TRUE(sim.IsLoaded());
    }
    void TearDown() override { CoUninitialize(); }

    CSimConnectStandin sim;
    CSimConnectLibrary simConnect;
    GaugeVariables store{simConnect};
    CGaugeRenderer renderer{simConnect};
};

TEST_F(BuiltInGaugeTest, IsAnAirspeedIndicatorOfFourElementsAndOneKnob) {
    ASSERT_TRUE(renderer.LoadDebugGauge(store));

    const CGaugeBitmap& background = renderer.Background();
    ASSERT_TRUE(background.IsLoaded());
    EXPECT_EQ(background.Width(), 153);
    EXPECT_EQ(background.Height(), 153);
    EXPECT_EQ(renderer.GaugeWidth(), 0);
    EXPECT_EQ(renderer.DesignWidth(), 0);

    struct Expected {
        int x, y;
        bool hasMask;
        float maskAxisX, maskAxisY;
        float imageAxisX, imageAxisY;
        bool hasShift, hasRotation;
        const wchar_t* expression;
    };
    const Expected expected[] = {
        {0, 0, true, 76.5f, 78.09375f, 66.9375f, 58.96875f, false, true, L"(G:Var1) dgrd 2 * "},
        {0, 0, true, 71.71875f, 22.3125f, 204.703125f, 1.6363f, true, false, L"(G:Var1) dgrd 2 * "},
        {73, 76, false, 0.0f, 0.0f, 24.117647f, 6.5f, false, true,
         L"(A:Airspeed select indicated or true,knots)"},
        {122, 127, false, 0.0f, 0.0f, 13.546875f, 14.34375f, false, true, L"(G:Var1) dgrd "},
    };
    ASSERT_EQ(renderer.Elements().size(), std::size(expected));
    for (size_t i = 0; i < std::size(expected); ++i) {
        SCOPED_TRACE(i);
        const CGaugeElement& element = *renderer.Elements()[i];
        const Expected& e = expected[i];
        EXPECT_EQ(element.X(), e.x);
        EXPECT_EQ(element.Y(), e.y);
        EXPECT_EQ(element.LayerWidth(), 153);
        EXPECT_EQ(element.LayerHeight(), 153);
        EXPECT_FALSE(element.HasVisibility());
        EXPECT_EQ(element.HasMask(), e.hasMask);
        if (e.hasMask) {
            EXPECT_TRUE(element.Mask().IsLoaded());
            EXPECT_EQ(element.Mask().Width(), 153) << "the background is the mask";
            EXPECT_EQ(element.Mask().AxisX(), e.maskAxisX);
            EXPECT_EQ(element.Mask().AxisY(), e.maskAxisY);
        }
        ASSERT_TRUE(element.HasImage());
        EXPECT_TRUE(element.Image().IsLoaded());
        EXPECT_EQ(element.Image().AxisX(), e.imageAxisX);
        EXPECT_EQ(element.Image().AxisY(), e.imageAxisY);
        EXPECT_FALSE(element.Image().Alpha());
        EXPECT_EQ(element.HasShift(), e.hasShift);
        EXPECT_EQ(element.HasRotation(), e.hasRotation);
        EXPECT_EQ((e.hasShift ? element.Shift() : element.Rotation()).expression, e.expression);
    }
    EXPECT_EQ(Bits(renderer.Elements()[1]->Image().AxisY()), 0x3FD17247u);
    EXPECT_EQ(Bits(renderer.Elements()[2]->Image().AxisX()), 0x41C0F0F1u);
    EXPECT_EQ(renderer.Elements()[1]->ShiftScaleX(), 50.0f);
    EXPECT_EQ(renderer.Elements()[1]->ShiftScaleY(), 0.0f);
    EXPECT_FALSE(renderer.Elements()[1]->Shift().hasMinimum);

    const CGaugeElement& needle = *renderer.Elements()[2];
    EXPECT_TRUE(needle.Rotation().hasMinimum);
    EXPECT_EQ(needle.Rotation().minimum, 0.0f);
    EXPECT_TRUE(needle.Rotation().hasMaximum);
    EXPECT_EQ(needle.Rotation().maximum, 260.0f);
    const auto& scale = needle.Nonlinearity();
    ASSERT_EQ(scale.size(), 10u);
    const float values[] = {0, 40, 50, 60, 80, 130, 160, 190, 200, 260};
    for (size_t i = 0; i < scale.size(); ++i) {
        EXPECT_EQ(scale[i].value, values[i]);
        EXPECT_EQ(scale[i].degrees, BearingFrom(73, 76, scale[i].x, scale[i].y));
        if (i > 0) {
            EXPECT_GT(scale[i].degrees, scale[i - 1].degrees) << "the scale runs clockwise";
        }
    }
    EXPECT_EQ(scale[5].x, 98.8125f);
    EXPECT_EQ(scale[5].y, 133.875f);

    ASSERT_EQ(renderer.MouseAreas().size(), 1u);
    EXPECT_EQ(renderer.MouseAreas()[0].up.script, L"(G:Var1) 1 - 30 /-/ max d (&gt;G:Var1)");
    EXPECT_EQ(renderer.MouseAreas()[0].down.script, L"(G:Var1) 1 + 30 min d (&gt;G:Var1)");
    EXPECT_EQ(renderer.MouseAreas()[0].up.clientEventId, 0u);
    EXPECT_EQ(renderer.MouseAreas()[0].down.clientEventId, 0u);

    EXPECT_EQ(store.Count(), 1) << "the airspeed is the one simulator variable";
    ASSERT_EQ(sim.Datums().size(), 1u);
    EXPECT_STREQ(sim.Datums()[0].datumName, "Airspeed select indicated or true");
}

// The images are drawn for the way the gauge is put together: the dial lets the TAS ring and the
// inHg strip show through (1, 1, 1) at their anchors, and the needle and knob images are black,
// that is transparent, around their shapes and opaque at their pivots.
TEST_F(BuiltInGaugeTest, ImagesAreSeeThroughWhereTheGaugeNeedsIt) {
    ASSERT_TRUE(renderer.LoadDebugGauge(store));
    const auto pixel = [](const CGaugeBitmap& bitmap, int x, int y) {
        return bitmap.Pixels()[y * bitmap.Width() + x] & 0xFFFFFF;
    };
    const CGaugeBitmap& dial = renderer.Background();
    EXPECT_EQ(pixel(dial, 71, 22), 0x010101u) << "the inHg window";
    EXPECT_EQ(pixel(dial, 76, 106), 0x010101u) << "the TAS window";
    EXPECT_NE(pixel(dial, 73, 76), 0x010101u) << "the dial's centre";
    for (const size_t index : {size_t{2}, size_t{3}}) {
        const CGaugeBitmap& image = renderer.Elements()[index]->Image();
        EXPECT_EQ(pixel(image, 0, 0), 0u);
        EXPECT_NE(pixel(image, static_cast<int>(image.AxisX()), static_cast<int>(image.AxisY())),
                  0u);
    }
}

TEST_F(BuiltInGaugeTest, GoesOnTopOfWhatAFailedGaugeFileLeft) {
    const CScratchFolder folder(L"gauge-builtin");
    folder.WriteBitmap(L"1024\\dial.bmp", 40, 30);
    const auto file = folder.Write(L"gauge.xml", "<Gauge Name=\"Half\"><Image Name=\"dial.bmp\"/>"
                                                 "<Element><Position X=\"5\" Y=\"6\"/></Element>"
                                                 "<Comment/></Gauge>");
    EXPECT_FALSE(renderer.LoadFromFile(store, file.c_str()));
    ASSERT_TRUE(renderer.LoadDebugGauge(store));

    EXPECT_EQ(renderer.Background().Width(), 40) << "the file's background stays";
    ASSERT_EQ(renderer.Elements().size(), 5u);
    EXPECT_EQ(renderer.Elements()[0]->X(), 5);
    EXPECT_EQ(renderer.Elements()[3]->X(), 73);
    EXPECT_EQ(renderer.MouseAreas().size(), 1u);
    EXPECT_EQ(renderer.GetGaugeName(), L"Half");
}

class ButtonLabelTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(sim.IsLoaded()); }

    CTraceCapture trace;
    CSimConnectStandin sim;
    CSimConnectLibrary simConnect;
    CGaugeRenderer renderer{simConnect};
};

TEST_F(ButtonLabelTest, TheFirstLabelOfANumberCountsAndTransmitsItsEvent) {
    renderer.AddButtonLabel(3, L"AP", L"AP_MASTER", 700, RGB(255, 0, 0));
    renderer.AddButtonLabel(3, L"HDG", L"AP_HDG_HOLD", 400, RGB(0, 255, 0));
    renderer.AddButtonLabel(7, L"Hidden", L"GEAR_TOGGLE", 400, RGB(0, 0, 255));

    ASSERT_EQ(renderer.ButtonLabels().size(), 2u);
    const ButtonLabel& label = renderer.ButtonLabels()[0];
    EXPECT_EQ(label.buttonNumber, 3);
    EXPECT_EQ(label.text, L"AP");
    EXPECT_EQ(label.eventName, L"AP_MASTER");
    EXPECT_EQ(label.clientEventId, sim.MappedEventId("AP_MASTER"));
    EXPECT_EQ(label.fontWeight, 700);
    EXPECT_EQ(label.colour, RGB(255, 0, 0));
    EXPECT_EQ(sim.MappedEventId("AP_HDG_HOLD"), 0u) << "an ignored label maps nothing";
    EXPECT_TRUE(renderer.HasButtonLabel(7));
    EXPECT_FALSE(renderer.HasButtonLabel(1));

    trace.Clear();
    renderer.TriggerButtonLabel(3);
    renderer.TriggerButtonLabel(5);
    const auto transmissions = sim.Transmissions();
    ASSERT_EQ(transmissions.size(), 1u);
    EXPECT_EQ(transmissions[0].objectId, 0u);
    EXPECT_EQ(transmissions[0].eventName, "AP_MASTER");
    EXPECT_EQ(transmissions[0].data, 0u);
    EXPECT_EQ(transmissions[0].groupId, 1u);
    EXPECT_EQ(transmissions[0].flags, 0u);
    EXPECT_EQ(trace.Lines(),
              std::vector<std::wstring>{L"  SimConnect_TransmitClientEvent returned 00000000\n"});
}

TEST_F(ButtonLabelTest, WithoutTheSimulatorLibraryTheLabelStillGetsAnIdAndTheFailureIsTraced) {
    CSimConnectLibrary missing(L"NoSuchSimConnect.dll");
    CGaugeRenderer offline(missing);
    offline.AddButtonLabel(1, L"AP", L"AP_MASTER", 400, RGB(255, 255, 255));
    ASSERT_EQ(offline.ButtonLabels().size(), 1u);
    EXPECT_EQ(offline.ButtonLabels()[0].clientEventId, 5u);

    trace.Clear();
    offline.TriggerButtonLabel(1);
    EXPECT_EQ(trace.Lines(),
              std::vector<std::wstring>{L"  SimConnect_TransmitClientEvent returned 80004001\n"});
}

} // namespace
