// The gauge page as the program runs it: the stand-in simulator's values through the program's
// simulator binding, the real library over the pipe, the stand-in service's instrument panels.

#include "tests/pages/GaugePageRig.h"
#include "tests/pages/OrvikPageRig.h"
#include "tests/support/NuvexServiceInstaller.h"
#include "tests/support/TraceCapture.h"

#include <gtest/gtest.h>

#include <map>

namespace {

constexpr const char* kAirspeed = "Airspeed select indicated or true";

std::vector<std::string> EventsSince(size_t first) {
    std::vector<std::string> names;
    const auto transmissions = Simulator().Transmissions();
    for (size_t i = first; i < transmissions.size(); ++i)
        names.push_back(transmissions[i].eventName);
    return names;
}

class GaugePageOverPipe : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(CNuvexServiceInstaller::InstallImages()); }
};

} // namespace

// The built-in gauge on a panel: added as the panel's only page, drawn again when the simulator's
// airspeed moves, and the knob's scripts turn its dial at the next redraw. A joystick display
// beside it gets nothing of the gauge page.
TEST_F(GaugePageOverPipe, FollowsTheSimulatorAndTheKnobs) {
    CReferenceGauge reference;
    reference.Renderer().LoadDebugGauge(reference.Store());
    const std::vector<BYTE> firstFrame = reference.Draw();
    reference.Store().CurrentValues()[0] = 120;
    const std::vector<BYTE> at120 = reference.Draw();
    reference.Store().CurrentValues()[0] = 135;
    reference.Store().SetValue(L'G', L"Var1", L"", 3);
    const std::vector<BYTE> at135Turned = reference.Draw();

    Simulator().SetVariable(kAirspeed, "knots", 0);
    CGaugePageRig rig({L"JOY-1", L"VEXA-1"});
    CPage_VEXA_Gauge& page = rig.AddPage("<Gauge Timeout=\"10\"/>");
    ASSERT_TRUE(rig.Start());

    const std::optional<StandinDeviceState> panel = rig.Service().Device(L"VEXA-1");
    ASSERT_TRUE(panel);
    ASSERT_EQ(panel->pages.count(1), 1u);
    EXPECT_EQ(panel->pages.at(1).flags, 1u);
    EXPECT_EQ(panel->activePage, 1u);
    EXPECT_EQ(rig.ShownImage(L"VEXA-1", 1), firstFrame);
    EXPECT_TRUE(rig.Service().Device(L"JOY-1")->pages.empty());

    const DWORD requests = Simulator().Count(standin::CallRequestData);
    page.OnSimStart();
    page.OnSimStart(); // requests again, keeps its one render thread
    ASSERT_EQ(Simulator().Count(standin::CallRequestData), requests + 2);
    const standin::Request request = Simulator().Requests().back();
    EXPECT_EQ(request.requestId, 1u);
    EXPECT_EQ(request.defineId, page.DataDefinitionId());
    EXPECT_EQ(request.period, 3u);
    EXPECT_EQ(request.flags, 1u);
    rig.Dispatch();

    Simulator().SetVariable(kAirspeed, "knots", 120);
    rig.Dispatch();
    EXPECT_TRUE(rig.WaitForImage(L"VEXA-1", 1, at120));
    EXPECT_EQ(page.SentImage(), at120);

    for (int press = 0; press < 3; ++press) {
        EXPECT_EQ(rig.Service().PressSoftButtons(L"VEXA-1", CPage_VEXA_Gauge::SoftButton_Down),
                  S_OK);
        EXPECT_EQ(rig.Service().PressSoftButtons(L"VEXA-1", 0), S_OK);
    }
    EXPECT_EQ(page.LocalValue(L"Var1"), 3.0f);
    Simulator().SetVariable(kAirspeed, "knots", 135);
    rig.Dispatch();
    EXPECT_TRUE(rig.WaitForImage(L"VEXA-1", 1, at135Turned));

    page.OnSimStop();
    EXPECT_FALSE(page.HasRenderThread());
    page.OnSimStop();
}

// LEDs 1 to 6 are lit for the buttons that have a label; a "Button" lacking "Id", "Name" or
// "Event" is no label, and one numbered 7 is kept but lights nothing.
TEST_F(GaugePageOverPipe, LightsTheLedsOfTheLabelledButtons) {
    CGaugePageRig rig({L"VEXA-1"});
    CPage_VEXA_Gauge& page =
        rig.AddPage("<Gauge>"
                    "<Button Id=\"1\" Name=\"GEAR\" Event=\"GEAR_TOGGLE\"/>"
                    "<button Id=\"0x3\" Name=\"FLAPS\" Event=\"FLAPS_INCR\"/>"
                    "<Button Id=\"2\" Name=\"NO EVENT\"/>"
                    "<Button Id=\"4\" Event=\"FLAPS_DECR\"/>"
                    "<Button Name=\"NO ID\" Event=\"FLAPS_DECR\"/>"
                    "<Button Id=\"7\" Name=\"HIDDEN\" Event=\"STROBES_TOGGLE\"/>"
                    "</Gauge>");
    EXPECT_EQ(page.Renderer().ButtonLabels().size(), 3u);
    ASSERT_TRUE(rig.Start());
    const std::map<DWORD, DWORD> leds = rig.Service().Device(L"VEXA-1")->pages.at(1).leds;
    EXPECT_EQ(leds, (std::map<DWORD, DWORD>{{1, 1}, {2, 0}, {3, 1}, {4, 0}, {5, 0}, {6, 0}}));
}

// Every soft-button bit in one report, in the table's order: the knob's Up and Down act on the
// first mouse area, Left and Right on the second, buttons 1 to 6 transmit their labels' events.
// Other bits only reach nothing; a press draws nothing by itself.
TEST_F(GaugePageOverPipe, EachSoftButtonBitReachesItsAction) {
    CGaugePageRig rig({L"VEXA-1"});
    const auto gauge = rig.WriteFile(
        L"knobs.xml",
        "<SimBase.Document><SimGauge.Gauge><MouseArea>"
        "<MouseArea>"
        "<MouseArea><CursorType>UpArrow</CursorType>"
        "<MouseClick><KeyEvent>AP_ALT_VAR_INC</KeyEvent></MouseClick></MouseArea>"
        "<MouseArea><CursorType>DownArrow</CursorType>"
        "<MouseClick><Script>(G:Down) 1 + (&amp;gt;G:Down)</Script></MouseClick></MouseArea>"
        "</MouseArea>"
        "<MouseArea>"
        "<MouseArea><CursorType>Hand</CursorType>"
        "<MouseClick><Script>(G:Left) 1 + (&amp;gt;G:Left)</Script></MouseClick></MouseArea>"
        "<MouseArea><CursorType>DownArrow</CursorType>"
        "<MouseClick><KeyEvent>HEADING_BUG_INC</KeyEvent></MouseClick></MouseArea>"
        "</MouseArea>"
        "</MouseArea></SimGauge.Gauge></SimBase.Document>");
    std::string labels;
    for (int id = 1; id <= 7; ++id)
        labels += "<Button Id=\"" + std::to_string(id) + "\" Name=\"B" + std::to_string(id) +
                  "\" Event=\"EVENT_" + std::to_string(id) + "\"/>";
    CPage_VEXA_Gauge& page = rig.AddPage("<Gauge RootFolder=\"Absolute\" File=\"" + gauge.string() +
                                         "\">" + labels + "</Gauge>");
    ASSERT_EQ(page.Renderer().MouseAreas().size(), 2u);
    ASSERT_TRUE(rig.Start());
    const std::vector<BYTE> shown = rig.ShownImage(L"VEXA-1", 1);
    const size_t firstEvent = Simulator().Transmissions().size();
    CTraceCapture capture;

    ASSERT_EQ(rig.Service().PressSoftButtons(L"VEXA-1", 0xFFFFFFFF), S_OK);

    EXPECT_EQ(EventsSince(firstEvent),
              (std::vector<std::string>{"AP_ALT_VAR_INC", "HEADING_BUG_INC", "EVENT_1", "EVENT_2",
                                        "EVENT_3", "EVENT_4", "EVENT_5", "EVENT_6"}));
    const std::wstring sent = L"  SimConnect_TransmitClientEvent returned 00000000\n";
    const std::wstring press = L"  CPage_VEXA_Gauge::OnButtonPress(SoftButton_";
    std::vector<std::wstring> expected = {
        press + L"Up)", sent, press + L"Down)", press + L"Left)", press + L"Right)", sent};
    for (int id = 1; id <= 6; ++id) {
        expected.push_back(press + std::to_wstring(id) + L")");
        expected.push_back(sent);
    }
    EXPECT_EQ(capture.Lines(), expected);
    EXPECT_EQ(page.LocalValue(L"Down"), 1.0f);
    EXPECT_EQ(page.LocalValue(L"Left"), 1.0f);
    EXPECT_EQ(rig.ShownImage(L"VEXA-1", 1), shown);
}

// With a single mouse area Left and Right only write their trace lines; without labels the
// number buttons do nothing more either.
TEST_F(GaugePageOverPipe, ButtonsWithoutTheirAreaOrLabelOnlyTrace) {
    CGaugePageRig rig({L"VEXA-1"});
    CPage_VEXA_Gauge& page = rig.AddPage("<Gauge/>");
    ASSERT_TRUE(rig.Start());
    const size_t firstEvent = Simulator().Transmissions().size();
    CTraceCapture capture;
    ASSERT_EQ(rig.Service().PressSoftButtons(L"VEXA-1", CPage_VEXA_Gauge::SoftButton_Left |
                                                            CPage_VEXA_Gauge::SoftButton_Right |
                                                            CPage_VEXA_Gauge::SoftButton_1),
              S_OK);
    EXPECT_EQ(capture.Lines(),
              (std::vector<std::wstring>{L"  CPage_VEXA_Gauge::OnButtonPress(SoftButton_Left)",
                                         L"  CPage_VEXA_Gauge::OnButtonPress(SoftButton_Right)",
                                         L"  CPage_VEXA_Gauge::OnButtonPress(SoftButton_1)"}));
    EXPECT_TRUE(EventsSince(firstEvent).empty());
    EXPECT_EQ(page.LocalValue(L"Var1"), 0.0f);
}

// Each panel is known by its serial number: it starts on the gauge remembered for it, remembers
// the gauge it switches to, and after a restart comes back on that gauge. The names are the
// older schema's gauge names.
TEST_F(GaugePageOverPipe, EachPanelComesBackOnItsGauge) {
    const std::string gear = "<Gauge File=\"samples\\gauges\\LandingGear\\LandingGear.xml\"/>";
    const std::string altimeter = "<Gauge File=\"samples\\gauges\\Altimeter\\Altimeter.xml\"/>";
    // The rig's scratch files go with it: the saved assignments are kept here for the restart.
    const std::filesystem::path saved =
        std::filesystem::temp_directory_path() /
        ("gauge-assignments-" + std::to_string(GetCurrentProcessId()) + ".xml");
    {
        CGaugePageRig rig({L"PANEL-A", L"PANEL-B"});
        rig.Assignments().Set(L"PANEL-A", L"Landing Gear");
        rig.Assignments().Set(L"PANEL-B", L"Altimeter");
        rig.AddPage(gear);
        rig.AddPage(altimeter);
        ASSERT_TRUE(rig.Start());
        const auto a = rig.Service().Device(L"PANEL-A");
        const auto b = rig.Service().Device(L"PANEL-B");
        EXPECT_EQ(a->pages.at(1).flags, 1u);
        EXPECT_EQ(a->pages.at(2).flags, 0u);
        EXPECT_EQ(b->pages.at(1).flags, 0u);
        EXPECT_EQ(b->pages.at(2).flags, 1u);

        ASSERT_EQ(rig.Service().ChangePage(L"PANEL-A", 2), S_OK);
        EXPECT_EQ(rig.Assignments().Get(L"PANEL-A"), L"Altimeter");
        EXPECT_EQ(rig.Assignments().Get(L"PANEL-B"), L"Altimeter");
        rig.Assignments().Save();
        std::filesystem::copy_file(rig.AssignmentFile(), saved,
                                   std::filesystem::copy_options::overwrite_existing);
    }
    CGaugePageRig restarted({L"PANEL-A"}, saved);
    restarted.AddPage(gear);
    restarted.AddPage(altimeter);
    ASSERT_TRUE(restarted.Start());
    const auto a = restarted.Service().Device(L"PANEL-A");
    EXPECT_EQ(a->pages.at(1).flags, 0u);
    EXPECT_EQ(a->pages.at(2).flags, 1u);
    EXPECT_EQ(a->activePage, 2u);
    std::error_code ignored;
    std::filesystem::remove(saved, ignored);
}
