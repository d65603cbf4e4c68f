#include "pages/joystick/Page_Orvik_Adf.h"
#include "pages/joystick/Page_Orvik_Autopilot.h"
#include "pages/joystick/Page_Orvik_Com.h"
#include "pages/joystick/Page_Orvik_Dme.h"
#include "pages/joystick/Page_Orvik_VorHdg.h"
#include "pages/joystick/Page_Orvik_Xpndr.h"
#include "tests/pages/OrvikPageRig.h"

#include <gtest/gtest.h>

#include <limits>
#include <numbers>

namespace {

using Lines = std::vector<std::wstring>;
using Events = std::vector<std::string>;

// A record fed to a fresh page, the presses that reach a state, and what the display shows.
template <typename Record> struct LinesCase {
    Record record;
    const char* presses;
    Lines shown;
};

template <typename Record>
void ExpectLines(PageKind kind, bool radio1, const std::vector<LinesCase<Record>>& cases) {
    for (const LinesCase<Record>& c : cases) {
        SCOPED_TRACE(c.presses);
        COrvikPageRig rig(kind, radio1);
        rig.Feed(c.record);
        rig.Press(c.presses);
        EXPECT_EQ(rig.Shown(), c.shown);
    }
}

// Presses on a fresh page, the state they leave and the events they trigger.
struct ButtonCase {
    const char* presses;
    DWORD state;
    Events events;
};

void ExpectButtons(PageKind kind, bool radio1, const std::vector<ButtonCase>& cases) {
    for (const ButtonCase& c : cases) {
        SCOPED_TRACE(c.presses);
        COrvikPageRig rig(kind, radio1);
        rig.Press(c.presses);
        EXPECT_EQ(rig.Page().SelectionState(), c.state);
        EXPECT_EQ(rig.Events(), c.events);
    }
}

} // namespace

TEST(ComNavPage, Lines) {
    const CPage_Orvik_Com::Record tuned = {0x1850, 0x1920, 0x1030, 0x0815};
    ExpectLines<CPage_Orvik_Com::Record>(
        PageKind::OrvikComNav, true,
        {
            {{}, "", {L"  COM1    NAV1  ", L"[100.00] 100.00 ", L" 100.00  100.00 "}},
            {tuned, "", {L"  COM1    NAV1  ", L"[118.50] 110.30 ", L" 119.20  108.15 "}},
            {tuned, "D", {L"  COM1    NAV1  ", L" 118.50  110.30 ", L">119.20  108.15 "}},
            {tuned, "D D", {L"  COM1    NAV1  ", L" 118.50  110.30 ", L" 119.20< 108.15 "}},
            {tuned, "D D D", {L"  COM1    NAV1  ", L" 118.50 [110.30]", L" 119.20  108.15 "}},
            {tuned, "U U", {L"  COM1    NAV1  ", L" 118.50  110.30 ", L" 119.20 >108.15 "}},
            {tuned, "U", {L"  COM1    NAV1  ", L" 118.50  110.30 ", L" 119.20  108.15<"}},
            {tuned, "D S", {L"  COM1    NAV1  ", L" 118.50  110.30 ", L"\u00BB119.20  108.15 "}},
            {tuned, "D D S", {L"  COM1    NAV1  ", L" 118.50  110.30 ", L" 119.20\u00AB 108.15 "}},
            {tuned, "U U S", {L"  COM1    NAV1  ", L" 118.50  110.30 ", L" 119.20 \u00BB108.15 "}},
            {tuned, "U S", {L"  COM1    NAV1  ", L" 118.50  110.30 ", L" 119.20  108.15\u00AB"}},
            // A nibble above 9 writes two digits; the display shows the first 16 characters.
            {{0x1A50, 0x1850, 0x1850, 0x1850},
             "D",
             {L"  COM1    NAV1  ", L" 1110.50  118.50", L">118.50  118.50 "}},
        });
    ExpectLines<CPage_Orvik_Com::Record>(
        PageKind::OrvikComNav, false,
        {{tuned, "", {L"  COM2    NAV2  ", L"[118.50] 110.30 ", L" 119.20  108.15 "}}});
}

TEST(ComNavPage, ButtonsOfRadio1) {
    ExpectButtons(PageKind::OrvikComNav, true,
                  {
                      {"S", 0, {"COM_STBY_RADIO_SWAP"}},
                      {"U", 5, {}},
                      {"D", 1, {}},
                      {"D S", 6, {}},
                      {"D U", 0, {}},
                      {"D D", 2, {}},
                      {"D D S", 7, {}},
                      {"D D U", 1, {}},
                      {"D D D", 3, {}},
                      {"D D D S", 3, {"NAV1_RADIO_SWAP"}},
                      {"D D D U", 2, {}},
                      {"D D D D", 4, {}},
                      {"U U S", 8, {}},
                      {"U U U", 3, {}},
                      {"U U D", 5, {}},
                      {"U S", 9, {}},
                      {"U D", 0, {}},
                      {"D S S", 1, {}},
                      {"D S U", 6, {"COM_RADIO_WHOLE_INC"}},
                      {"D S D", 6, {"COM_RADIO_WHOLE_DEC"}},
                      {"D D S S", 2, {}},
                      {"D D S U", 7, {"COM_RADIO_FRACT_INC_CARRY"}},
                      {"D D S D", 7, {"COM_RADIO_FRACT_DEC_CARRY"}},
                      {"U U S S", 4, {}},
                      {"U U S U", 8, {"NAV1_RADIO_WHOLE_INC"}},
                      {"U U S D", 8, {"NAV1_RADIO_WHOLE_DEC"}},
                      {"U S S", 5, {}},
                      {"U S U", 9, {"NAV1_RADIO_FRACT_INC_CARRY"}},
                      {"U S D", 9, {"NAV1_RADIO_FRACT_DEC_CARRY"}},
                      // Select, Up, Down in that order, each on the state the last one left.
                      {"D SD", 6, {"COM_RADIO_WHOLE_DEC"}},
                      {"SU", 5, {"COM_STBY_RADIO_SWAP"}},
                  });
}

TEST(ComNavPage, ButtonsOfRadio2) {
    ExpectButtons(
        PageKind::OrvikComNav, false,
        {
            {"S", 0, {"COM2_RADIO_SWAP"}},
            {"D D D S", 3, {"NAV2_RADIO_SWAP"}},
            {"D S U D", 6, {"COM2_RADIO_WHOLE_INC", "COM2_RADIO_WHOLE_DEC"}},
            {"D D S U D", 7, {"COM2_RADIO_FRACT_INC_CARRY", "COM2_RADIO_FRACT_DEC_CARRY"}},
            {"U U S U D", 8, {"NAV2_RADIO_WHOLE_INC", "NAV2_RADIO_WHOLE_DEC"}},
            {"U S U D", 9, {"NAV2_RADIO_FRACT_INC_CARRY", "NAV2_RADIO_FRACT_DEC_CARRY"}},
        });
}

TEST(ComNavPage, APressWithoutBitsStillRefreshes) {
    COrvikPageRig rig(PageKind::OrvikComNav, true);
    const size_t before = rig.LinesSent();
    rig.Press("-");
    EXPECT_EQ(rig.LinesSent(), before + 3);
}

TEST(AdfPage, Lines) {
    // Frequency nibbles from the top: 0, 3, 4, 4, 1.
    const CPage_Orvik_Adf::Record on = {1, 0x03441000, 365.5f};
    ExpectLines<CPage_Orvik_Adf::Record>(
        PageKind::OrvikAdf, false,
        {
            {{}, "", {L" ADF  [OFF] ", L" 0000.0 ", L" 000.00\u00B0"}},
            {on, "", {L" ADF  [ON] ", L" 0344.1 ", L" 005.50\u00B0"}},
            {on, "D", {L" ADF   ON  ", L">0344.1 ", L" 005.50\u00B0"}},
            {on, "U", {L" ADF   ON  ", L" 0344.1<", L" 005.50\u00B0"}},
            {on, "D S", {L" ADF   ON  ", L"\u00BB0344.1 ", L" 005.50\u00B0"}},
            {on, "U S", {L" ADF   ON  ", L" 0344.1\u00AB", L" 005.50\u00B0"}},
            {{0, 0x10000000, -10.0f}, "", {L" ADF  [OFF] ", L" 1000.0 ", L" 350.00\u00B0"}},
            {{0, 0, 360.0f}, "", {L" ADF  [OFF] ", L" 0000.0 ", L" 360.00\u00B0"}},
            {{0, 0, 720.0f}, "", {L" ADF  [OFF] ", L" 0000.0 ", L" 360.00\u00B0"}},
            {{0, 0, -360.0f}, "", {L" ADF  [OFF] ", L" 0000.0 ", L" 000.00\u00B0"}},
            // Far out of range, where taking 360 off changes nothing, it still reduces.
            {{0, 0, 1e30f}, "", {L" ADF  [OFF] ", L" 0000.0 ", L" 120.00\u00B0"}},
            {{0, 0, -1e30f}, "", {L" ADF  [OFF] ", L" 0000.0 ", L" 240.00\u00B0"}},
        });
}

TEST(AdfPage, Buttons) {
    ExpectButtons(PageKind::OrvikAdf, false,
                  {
                      {"S", 0, {"RADIO_ADF_IDENT_TOGGLE"}},
                      {"U", 2, {}},
                      {"D", 1, {}},
                      {"D S", 3, {}},
                      {"D U", 0, {}},
                      {"D D", 2, {}},
                      {"U S", 4, {}},
                      {"U U", 1, {}},
                      {"U D", 0, {}},
                      {"D S S", 1, {}},
                      {"D S U D", 3, {"ADF1_WHOLE_INC", "ADF1_WHOLE_DEC"}},
                      {"U S S", 2, {}},
                      {"U S U D", 4, {"ADF1_RADIO_TENTHS_INC", "ADF1_RADIO_TENTHS_DEC"}},
                  });
}

TEST(DmePage, Lines) {
    const CPage_Orvik_Dme::Record receiving = {{12.34f, -1.0f}, {120.0f, -1.0f}};
    ExpectLines<CPage_Orvik_Dme::Record>(
        PageKind::OrvikDme, false,
        {
            {{}, "", {L" DME     [R1]", L" 0000.0 NM", L" 0000.0 Knots"}},
            {receiving, "", {L" DME     [R1]", L" 0012.3 NM", L" 0120.0 Knots"}},
            {receiving, "S", {L" DME     [R2]", L" ---- NM", L" --- Knots"}},
            {receiving, "S S", {L" DME     [R1]", L" 0012.3 NM", L" 0120.0 Knots"}},
        });
}

TEST(DmePage, OnlySelectActs) {
    COrvikPageRig rig(PageKind::OrvikDme);
    const size_t before = rig.LinesSent();
    rig.Press("U D UD -");
    EXPECT_EQ(rig.LinesSent(), before);
    EXPECT_EQ(rig.Page().SelectionState(), 0u);

    rig.Press("SU");
    EXPECT_EQ(rig.Page().SelectionState(), 1u);
    EXPECT_EQ(rig.LinesSent(), before + 3);
    EXPECT_TRUE(rig.Events().empty());
}

TEST(VorHdgPage, Lines) {
    const double pi = std::numbers::pi;
    const CPage_Orvik_VorHdg::Record set = {pi, -0.5};
    ExpectLines<CPage_Orvik_VorHdg::Record>(
        PageKind::OrvikVorHdg, false,
        {
            {{}, "", {L"  VOR     HDG   ", L" >000\u00B0    000\u00B0  ", L""}},
            {set, "", {L"  VOR     HDG   ", L" >180\u00B0    331\u00B0  ", L""}},
            {set, "S", {L"  VOR     HDG   ", L" \u00BB180\u00B0    331\u00B0  ", L""}},
            {set, "U", {L"  VOR     HDG   ", L"  180\u00B0    331\u00B0< ", L""}},
            {set, "U S", {L"  VOR     HDG   ", L"  180\u00B0    331\u00B0\u00AB ", L""}},
            // Two pi radians is just above 360 degrees after the conversion.
            {{2 * pi, 1.0}, "", {L"  VOR     HDG   ", L" >000\u00B0    057\u00B0  ", L""}},
            // An angle that is no number shows as 000 rather than whatever the cast makes of it.
            {{std::numeric_limits<double>::quiet_NaN(), 0},
             "",
             {L"  VOR     HDG   ", L" >000\u00B0    000\u00B0  ", L""}},
        });
}

TEST(VorHdgPage, Buttons) {
    ExpectButtons(PageKind::OrvikVorHdg, false,
                  {
                      {"S", 1, {}},
                      {"U", 2, {}},
                      {"D", 2, {}},
                      {"S S", 0, {}},
                      {"S U D", 1, {"VOR1_OBI_INC", "VOR1_OBI_DEC"}},
                      {"U S", 3, {}},
                      {"U U", 0, {}},
                      {"U D", 0, {}},
                      {"U S S", 2, {}},
                      {"U S U D", 3, {"HEADING_BUG_INC", "HEADING_BUG_DEC"}},
                  });
}

TEST(XpndrPage, Lines) {
    ExpectLines<CPage_Orvik_Xpndr::Record>(
        PageKind::OrvikXpndr, false,
        {
            // The 17-character title reaches the display as its first 16 characters.
            {{0x7700}, "", {L"   Transponder  ", L"     7700       ", L"     ^          "}},
            {{0x1200}, "U S", {L"   Transponder  ", L"     1200       ", L"      -         "}},
            {{0x1234}, "D", {L"   Transponder  ", L"     1234       ", L"        ^       "}},
            {{0x1234}, "D S", {L"   Transponder  ", L"     1234       ", L"        -       "}},
        });
}

TEST(XpndrPage, Buttons) {
    ExpectButtons(PageKind::OrvikXpndr, false,
                  {
                      {"S", 4, {}},
                      {"U", 1, {}},
                      {"D", 3, {}},
                      {"U U", 2, {}},
                      {"U U U", 3, {}},
                      {"D U", 0, {}},
                      {"D D", 2, {}},
                      {"U D", 0, {}},
                      {"U S", 5, {}},
                      {"U U S", 6, {}},
                      {"D S", 7, {}},
                      {"S S", 0, {}},
                      {"U S S", 1, {}},
                      {"U U S S", 2, {}},
                      {"D S S", 3, {}},
                      {"S U D", 4, {"XPNDR_1000_INC", "XPNDR_1000_DEC"}},
                      {"U S U D", 5, {"XPNDR_100_INC", "XPNDR_100_DEC"}},
                      {"U U S U D", 6, {"XPNDR_10_INC", "XPNDR_10_DEC"}},
                      {"D S U D", 7, {"XPNDR_1_INC", "XPNDR_1_DEC"}},
                      {"SD", 4, {"XPNDR_1000_DEC"}},
                  });
}

TEST(AutopilotPage, Lines) {
    // Master, HDG, NAV, APR, BC, altitude hold, target altitude, target vertical speed.
    const CPage_Orvik_Autopilot::Record flying = {1, 0, 1, 1, 0, 1, 1000, -500};
    ExpectLines<CPage_Orvik_Autopilot::Record>(
        PageKind::OrvikAutopilot, false,
        {
            {{}, "", {L"[---]   000000 ", L" VS      00000 ", L" --      --- "}},
            {flying, "", {L"[ALT]   001000 ", L" VS      -0500 ", L" AP      NAV "}},
            {flying, "D", {L" ALT    001000<", L" VS      -0500 ", L" AP      NAV "}},
            {flying, "D S", {L" ALT    001000\u00AB", L" VS      -0500 ", L" AP      NAV "}},
            {flying, "D D", {L" ALT    001000 ", L" VS      -0500<", L" AP      NAV "}},
            {flying, "D D S", {L" ALT    001000 ", L" VS      -0500\u00AB", L" AP      NAV "}},
            {flying, "D D D", {L" ALT    001000 ", L" VS      -0500 ", L"[AP]     NAV "}},
            {flying, "U", {L" ALT    001000 ", L" VS      -0500 ", L" AP     <NAV>"}},
            {flying, "U S", {L" ALT    001000 ", L" VS      -0500 ", L" AP     \u00ABNAV\u00BB"}},
            {{0, 1, 1, 1, 1, 0, 0, 0},
             "",
             {L"[---]   000000 ", L" VS      00000 ", L" --      HDG "}},
            {{0, 0, 0, 1, 1, 0, 0, 0},
             "",
             {L"[---]   000000 ", L" VS      00000 ", L" --      APR "}},
            {{0, 0, 0, 0, 1, 0, 0, 0},
             "",
             {L"[---]   000000 ", L" VS      00000 ", L" --      BC  "}},
        });
}

TEST(AutopilotPage, Buttons) {
    const Events heading = {"AP_HDG_HOLD_ON", "AP_NAV1_HOLD_OFF", "AP_APR_HOLD_OFF",
                            "AP_BC_HOLD_OFF"};
    const Events nav1 = {"AP_HDG_HOLD_OFF", "AP_NAV1_HOLD_ON", "AP_APR_HOLD_OFF", "AP_BC_HOLD_OFF"};
    const Events approach = {"AP_HDG_HOLD_OFF", "AP_NAV1_HOLD_OFF", "AP_APR_HOLD_ON",
                             "AP_BC_HOLD_OFF"};
    const Events backcourse = {"AP_HDG_HOLD_OFF", "AP_NAV1_HOLD_OFF", "AP_APR_HOLD_OFF",
                               "AP_BC_HOLD_ON"};
    const Events none = {"AP_HDG_HOLD_OFF", "AP_NAV1_HOLD_OFF", "AP_APR_HOLD_OFF",
                         "AP_BC_HOLD_OFF"};
    auto join = [](std::initializer_list<Events> parts) {
        Events all;
        for (const Events& part : parts)
            all.insert(all.end(), part.begin(), part.end());
        return all;
    };
    ExpectButtons(PageKind::OrvikAutopilot, false,
                  {
                      {"S", 0, {"AP_ALT_HOLD"}},
                      {"U", 5, {}},
                      {"D", 1, {}},
                      {"D S", 6, {}},
                      {"D U", 0, {}},
                      {"D D", 3, {}},
                      {"D D S", 7, {}},
                      {"D D U", 1, {}},
                      {"D D D", 4, {}},
                      {"D D D S", 4, {"AP_MASTER"}},
                      {"D D D U", 3, {}},
                      {"D D D D", 5, {}},
                      {"U S", 8, {}},
                      {"U U", 4, {}},
                      {"U D", 0, {}},
                      {"D S S", 1, {}},
                      {"D S U D", 6, {"AP_ALT_VAR_INC", "AP_ALT_VAR_DEC"}},
                      {"D D S S", 3, {}},
                      {"D D S U D", 7, {"AP_VS_VAR_INC", "AP_VS_VAR_DEC"}},
                      {"U S S", 5, {}},
                      // The lateral mode index starts at none, whatever the aircraft flies.
                      {"U S U", 8, heading},
                      {"U S D", 8, backcourse},
                      {"U S U U U U U", 8, join({heading, nav1, approach, backcourse, none})},
                      {"U S D D D D D", 8, join({backcourse, approach, nav1, heading, none})},
                      // Anything but a single button does nothing.
                      {"SD", 0, {}},
                      {"D SU", 1, {}},
                      {"-", 0, {}},
                  });
}

TEST(AutopilotPage, OnlyASingleButtonRefreshes) {
    COrvikPageRig rig(PageKind::OrvikAutopilot);
    const size_t before = rig.LinesSent();
    rig.Press("SD - UD");
    EXPECT_EQ(rig.LinesSent(), before);
    rig.Press("U");
    EXPECT_EQ(rig.LinesSent(), before + 3);
}
