#include "pages/gauge/ExpressionEngine.h"
#include "pages/gauge/GaugeRenderer.h"
#include "pages/gauge/GaugeVariables.h"
#include "tests/support/SimConnectStandin.h"

#include <gtest/gtest.h>

#include <objbase.h>

#include <cmath>
#include <string>

namespace {

// The project's sample gauges, laid out beside the test executable by the build.
std::wstring SamplePath(const wchar_t* relative) {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path);
    folder.erase(folder.find_last_of(L'\\') + 1);
    return folder + L"samples\\gauges\\" + relative;
}

class SampleGaugesTest : public ::testing::Test {
protected:
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

TEST_F(SampleGaugesTest, EverySampleLoadsWithAllItsImages) {
    struct Sample {
        const wchar_t* file;
        const wchar_t* name;
        size_t elements;
        size_t mouseAreas;
        int gaugeWidth;
    };
    const Sample samples[] = {
        {L"Altimeter\\Altimeter.xml", L"Altimeter", 4, 1, 160},
        {L"Attitude\\Attitude.xml", L"", 4, 0, 0},
        {L"Heading\\Heading.xml", L"", 3, 1, 0},
        {L"LandingGear\\LandingGear.xml", L"Landing Gear", 7, 2, 160},
        {L"EngineCluster\\EngineCluster.xml", L"Engine Cluster", 21, 1, 240},
    };
    for (const Sample& sample : samples) {
        SCOPED_TRACE(std::wstring(sample.file));
        CGaugeRenderer gauge(simConnect);
        ASSERT_TRUE(gauge.LoadFromFile(store, SamplePath(sample.file).c_str()));
        EXPECT_EQ(gauge.GetGaugeName(), sample.name);
        EXPECT_EQ(gauge.GaugeWidth(), sample.gaugeWidth);
        EXPECT_TRUE(gauge.Background().IsLoaded());
        EXPECT_EQ(gauge.Elements().size(), sample.elements);
        EXPECT_EQ(gauge.MouseAreas().size(), sample.mouseAreas);
        for (const auto& element : gauge.Elements()) {
            EXPECT_TRUE(element->HasImage() && element->Image().IsLoaded());
            EXPECT_TRUE(!element->HasMask() || element->Mask().IsLoaded());
        }
    }
}

// The long hand reads its table from the numerals' positions in the design frame: scaled to the
// gauge they lie every 36 degrees, the last back at north.
TEST_F(SampleGaugesTest, AltimeterHandPointsAtTheNumerals) {
    ASSERT_TRUE(renderer.LoadFromFile(store, SamplePath(L"Altimeter\\Altimeter.xml").c_str()));
    const CGaugeElement& hand = *renderer.Elements()[3];
    EXPECT_EQ(hand.X(), 80);
    EXPECT_EQ(hand.Y(), 80);
    const auto& table = hand.Nonlinearity();
    ASSERT_EQ(table.size(), 11u);
    for (size_t i = 0; i < table.size(); ++i)
        EXPECT_NEAR(table[i].degrees, static_cast<float>(i % 10) * 36.0f, 0.01f) << i;
}

// The file writes the assignment's greater-than sign as an escaped entity, so that the script
// holds the entity spelling the engine takes for an assignment.
TEST_F(SampleGaugesTest, LandingGearLampTestScriptsAssignTheirVariable) {
    ASSERT_TRUE(renderer.LoadFromFile(store, SamplePath(L"LandingGear\\LandingGear.xml").c_str()));
    const CMouseArea& lampTest = renderer.MouseAreas()[1];
    EXPECT_EQ(lampTest.up.script, L"1 (&gt;L:Lamp test,bool)");
    Evaluate(store, lampTest.up.script);
    EXPECT_EQ(store.GetValue(L'L', L"Lamp test", L"bool"), 1.0f);
    Evaluate(store, lampTest.down.script);
    EXPECT_EQ(store.GetValue(L'L', L"Lamp test", L"bool"), 0.0f);
}

} // namespace
