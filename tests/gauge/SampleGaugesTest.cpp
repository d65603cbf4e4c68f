#include "pages/gauge/expression/ExpressionEngine.h"
#include "pages/gauge/model/GaugeRenderer.h"
#include "pages/gauge/expression/GaugeVariables.h"
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

// A visibility expression does not register its simulator variables; the samples read them in
// still shifts, so that their lamps and flags follow what the page receives.
TEST_F(SampleGaugesTest, VisibilityFollowsTheSimulatorVariables) {
    struct Case {
        const wchar_t* file;
        size_t element;
        const wchar_t* name;
        const wchar_t* units;
        float value;
        bool visible;
    };
    const Case cases[] = {
        {L"LandingGear\\LandingGear.xml", 0, L"Gear center position", L"percent", 100.0f, true},
        {L"LandingGear\\LandingGear.xml", 1, L"Gear center position", L"percent", 100.0f, false},
        {L"LandingGear\\LandingGear.xml", 3, L"Gear left position", L"percent", 50.0f, true},
        {L"Attitude\\Attitude.xml", 3, L"Electrical master battery", L"bool", 1.0f, false},
        {L"Attitude\\Attitude.xml", 3, L"Electrical master battery", L"bool", 0.0f, true},
        {L"EngineCluster\\EngineCluster.xml", 13, L"Electrical main bus voltage", L"volts", 28.0f,
         false},
        {L"EngineCluster\\EngineCluster.xml", 17, L"Exit open:0", L"percent", 50.0f, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::wstring(c.file) + L" " + c.name);
        GaugeVariables variables(simConnect);
        CGaugeRenderer gauge(simConnect);
        ASSERT_TRUE(gauge.LoadFromFile(variables, SamplePath(c.file).c_str()));
        variables.SetValue(L'A', c.name, c.units, c.value);
        ASSERT_LT(c.element, gauge.Elements().size());
        const CGaugeElement& element = *gauge.Elements()[c.element];
        ASSERT_TRUE(element.HasVisibility());
        EXPECT_EQ(Evaluate(variables, element.Visibility()) > 0.1f, c.visible);
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
