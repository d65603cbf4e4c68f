#include "pages/joystick/OrvikPageFactories.h"
#include "pages/joystick/Page_Orvik_Adf.h"
#include "pages/joystick/Page_Orvik_Autopilot.h"
#include "pages/joystick/Page_Orvik_Com.h"
#include "pages/joystick/Page_Orvik_Dme.h"
#include "pages/joystick/Page_Orvik_VorHdg.h"
#include "pages/joystick/Page_Orvik_Xpndr.h"
#include "tests/pages/OrvikPageRig.h"
#include "common/UniqueHandle.h"
#include "tests/support/TestPageHost.h"
#include "tests/support/TraceCapture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <typeinfo>

namespace {

using Lines = std::vector<std::wstring>;
using Action = std::function<void()>;

constexpr int kConcurrentSteps = 300;

DWORD WINAPI PressDownRepeatedly(void* page) {
    for (int i = 0; i < kConcurrentSteps; ++i)
        static_cast<CPage_Orvik_Base*>(page)->OnButtonPress(CPage_Orvik_Base::SoftButton_Down);
    return 0;
}

DWORD WINAPI RunAction(void* action) {
    (*static_cast<Action*>(action))();
    return 0;
}

// Runs `action` on a thread of its own and waits for it.
testing::AssertionResult RunOnThread(Action& action) {
    UniqueHandle thread(CreateThread(nullptr, 0, RunAction, &action, 0, nullptr));
    if (!thread)
        return testing::AssertionFailure() << "no thread";
    if (WaitForSingleObject(thread.get(), 10000) != WAIT_OBJECT_0)
        return testing::AssertionFailure() << "the thread did not end";
    return testing::AssertionSuccess();
}

// The page's lines as they are now.
Lines PageLines(COrvikPageRig& rig) {
    return {rig.Page().Line(0), rig.Page().Line(1), rig.Page().Line(2)};
}

// Each line as the display received it: it ends with the page's newest text, and never shows
// the older one after it.
void ExpectNoOlderAfterNewer(COrvikPageRig& rig, const Lines& older) {
    const Lines newer = PageLines(rig);
    std::vector<std::wstring> received[3];
    for (const CFakeNuvex::SentString& sent : rig.Nuvex().SentStrings())
        if (sent.index < 3)
            received[sent.index].push_back(sent.text);
    for (int line = 0; line < 3; ++line) {
        SCOPED_TRACE(line);
        ASSERT_FALSE(received[line].empty());
        EXPECT_EQ(received[line].back(), newer[line]);
        bool newerShown = false;
        for (const std::wstring& text : received[line]) {
            EXPECT_FALSE(newerShown && text != newer[line] && text == older[line])
                << "\"" << std::string(text.begin(), text.end()) << "\" after \""
                << std::string(newer[line].begin(), newer[line].end()) << "\"";
            newerShown = newerShown || text == newer[line];
        }
    }
}

} // namespace

TEST(OrvikPageFactories, CreateEveryKindWithItsClassName) {
    CTestPageHost owner;
    CPageFactories factories;
    AddOrvikPageFactories(factories);
    EXPECT_EQ(factories.Get(PageKind::Gauge), nullptr);

    struct Case {
        PageKind kind;
        const wchar_t* className;
        const std::type_info& type;
    } cases[] = {
        {PageKind::OrvikComNav, L"CPage_Orvik_Com", typeid(CPage_Orvik_Com)},
        {PageKind::OrvikAdf, L"CPage_Orvik_Adf", typeid(CPage_Orvik_Adf)},
        {PageKind::OrvikDme, L"CPage_Orvik_Dme", typeid(CPage_Orvik_Dme)},
        {PageKind::OrvikXpndr, L"CPage_Orvik_Xpndr", typeid(CPage_Orvik_Xpndr)},
        {PageKind::OrvikAutopilot, L"CPage_Orvik_Autopilot", typeid(CPage_Orvik_Autopilot)},
        {PageKind::OrvikVorHdg, L"CPage_Orvik_VorHdg", typeid(CPage_Orvik_VorHdg)},
    };
    DWORD id = 7;
    for (const Case& c : cases) {
        std::unique_ptr<IPage> page(factories.Get(c.kind)({id, &owner, c.className, false}));
        ASSERT_NE(page, nullptr);
        EXPECT_EQ(typeid(*page), c.type);
        EXPECT_EQ(page->PageId(), id);
        EXPECT_EQ(page->Owner(), &owner);
        EXPECT_EQ(dynamic_cast<CPage_Orvik_Base&>(*page).PageName(), c.className);
        ++id;
    }
}

TEST(OrvikPage, AddsItselfToJoystickDisplaysOnly) {
    COrvikPageRig rig(PageKind::OrvikDme);
    // Enumerated at start: added as the active page and sent at once.
    ASSERT_EQ(rig.Nuvex().AddedPages().size(), 1u);
    EXPECT_EQ(rig.Nuvex().AddedPages()[0].device, kJoystick);
    EXPECT_EQ(rig.Nuvex().AddedPages()[0].page, COrvikPageRig::kPageId);
    EXPECT_EQ(rig.Nuvex().AddedPages()[0].flags, 1u);
    EXPECT_EQ(rig.Shown(), (Lines{L" DME     [R1]", L" 0000.0 NM", L" 0000.0 Knots"}));

    rig.Nuvex().ClearRecord();
    CTraceCapture trace;
    bool activated = true;
    EXPECT_FALSE(rig.Page().AddToDevice(kPanel, true, &activated));
    EXPECT_TRUE(activated);
    EXPECT_TRUE(rig.Nuvex().AddedPages().empty());
    EXPECT_EQ(rig.LinesSent(), 0u);
    EXPECT_EQ(trace.Lines(), (Lines{L"  Nuvex_GetDeviceType returned 00000000\n"}));

    EXPECT_TRUE(rig.Page().AddToDevice(kJoystick, false, &activated));
    EXPECT_FALSE(activated);
    EXPECT_EQ(rig.Nuvex().AddedPages()[0].flags, 0u);
}

TEST(OrvikPage, FailedLibraryCallsKeepThePageOffTheDevice) {
    struct Case {
        const char* failing;
        std::wstring trace;
    } cases[] = {
        {"Nuvex_GetDeviceType", L"  Nuvex_GetDeviceType returned 80070006\n"},
        {"Nuvex_AddPage", L"  Nuvex_AddPage returned 80070006\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.failing);
        COrvikPageRig rig(PageKind::OrvikAdf);
        rig.Nuvex().ClearRecord();
        rig.Nuvex().Fail(c.failing, E_HANDLE);
        CTraceCapture trace;
        bool activated = false;
        EXPECT_FALSE(rig.Page().AddToDevice(kJoystick, true, &activated));
        EXPECT_EQ(rig.LinesSent(), 0u);
        EXPECT_TRUE(trace.Contains(c.trace));
    }
}

TEST(OrvikPage, SendsThreeLinesCutAtSixteenCharacters) {
    COrvikPageRig rig(PageKind::OrvikXpndr);
    rig.Nuvex().ClearRecord();
    CTraceCapture trace;
    rig.Page().SendToDevice(kJoystick, kDeviceTypeOrvik);
    rig.Page().SendToDevice(kPanel, kDeviceTypeVexa); // not a joystick display: ignored

    const auto sent = rig.Nuvex().SentStrings();
    ASSERT_EQ(sent.size(), 3u);
    for (DWORD i = 0; i < 3; ++i) {
        EXPECT_EQ(sent[i].index, i);
        EXPECT_EQ(sent[i].cch, 16u);
    }
    EXPECT_EQ(rig.Page().Line(0), L"   Transponder  ");
    EXPECT_EQ(trace.Lines(),
              (Lines{L"  Nuvex_SetString(0, \"   Transponder  \") returned 00000000\n",
                     L"  Nuvex_SetString(1, \"     0000       \") returned 00000000\n",
                     L"  Nuvex_SetString(2, \"     ^          \") returned 00000000\n"}));
}

TEST(OrvikPage, SendsEveryLineWhateverItsLengthOrResult) {
    COrvikPageRig rig(PageKind::OrvikVorHdg);
    rig.Nuvex().ClearRecord();
    rig.Page().SendToDevice(kJoystick, kDeviceTypeOrvik);
    ASSERT_EQ(rig.Nuvex().SentStrings().size(), 3u);
    EXPECT_EQ(rig.Nuvex().SentStrings()[2].cch, 0u);

    rig.Nuvex().ClearRecord();
    rig.Nuvex().Fail("Nuvex_SetString", E_FAIL);
    rig.Page().SendToDevice(kJoystick, kDeviceTypeOrvik);
    EXPECT_EQ(rig.Nuvex().Calls(),
              (std::vector<std::string>{"Nuvex_SetString", "Nuvex_SetString", "Nuvex_SetString"}));
}

TEST(OrvikPage, DataOfTheWrongSizeOrUnchangedIsNotShown) {
    COrvikPageRig rig(PageKind::OrvikAdf);
    CTraceCapture trace;
    const size_t before = rig.LinesSent();

    // A record of the COM/NAV page's size is not an ADF record.
    rig.Feed(CPage_Orvik_Com::Record{0x1850, 0, 0, 0});
    EXPECT_TRUE(trace.Contains(L"  CPage_Orvik_Adf::OnSimRecieveData - Data Format Size Mismatch"));
    // The all-zero record the page starts with.
    rig.Feed(CPage_Orvik_Adf::Record{});
    EXPECT_EQ(rig.LinesSent(), before);

    const CPage_Orvik_Adf::Record on = {1, 0, 0};
    rig.Feed(on);
    EXPECT_EQ(rig.LinesSent(), before + 3);
    EXPECT_EQ(rig.Shown()[0], L" ADF  [ON] ");
    rig.Feed(on);
    EXPECT_EQ(rig.LinesSent(), before + 3);
}

// A press formats its lines and sends them; simulator data arriving on the main thread while
// they are on their way sends newer lines, which the press's older ones must not overwrite.
TEST(OrvikPage, LinesThatChangeWhileBeingSentAreSentAgain) {
    COrvikPageRig rig(PageKind::OrvikComNav, true);
    rig.Feed(CPage_Orvik_Com::Record{0x2150, 0x1970, 0x1050, 0x1390});
    rig.Press("D S");
    rig.Nuvex().BeforeNextSetString([&] {
        rig.Feed(CPage_Orvik_Com::Record{0x2150, 0x1870, 0x1050, 0x1390});
    });
    rig.Press("D");
    EXPECT_EQ(rig.Shown(),
              (Lines{L"  COM1    NAV1  ", L" 121.50  110.50 ", L"\u00BB118.70  113.90 "}));
}

// A soft button (on a library thread) and simulator data (on the main thread) each change the
// page and send its lines. Whichever comes first, the other coming while its three strings are on
// their way, before any one of them, must not leave an older line after a newer one.
TEST(OrvikPage, ADisplayNeverShowsOlderLinesAfterNewerOnes) {
    for (bool buttonFirst : {true, false}) {
        for (size_t stringsBefore = 0; stringsBefore < 3; ++stringsBefore) {
            SCOPED_TRACE(std::string(buttonFirst ? "button" : "data") + " first, " +
                         std::to_string(stringsBefore) + " strings sent");
            COrvikPageRig rig(PageKind::OrvikComNav, true);
            rig.Feed(CPage_Orvik_Com::Record{0x2150, 0x1970, 0x1050, 0x1390});
            rig.Press("D S"); // the COM standby MHz is being edited
            rig.Nuvex().ClearRecord();

            Action press = [&] { rig.Press("S"); }; // the COM standby is only selected
            Action data = [&] {
                rig.Feed(CPage_Orvik_Com::Record{0x2150, 0x1870, 0x1050, 0x1390});
            };
            Action& first = buttonFirst ? press : data;
            Action& second = buttonFirst ? data : press;
            Lines older;
            rig.Nuvex().BeforeSetString(stringsBefore, [&] {
                older = PageLines(rig);
                EXPECT_TRUE(RunOnThread(second));
            });
            ASSERT_TRUE(RunOnThread(first));

            EXPECT_EQ(rig.Shown(),
                      (Lines{L"  COM1    NAV1  ", L" 121.50  110.50 ", L">118.70  113.90 "}));
            ExpectNoOlderAfterNewer(rig, older);
        }
    }
}

// A display whose service stops answering costs one time-out: the page's other lines, and
// every change after them, are refused at once instead of waiting again. Once it answers, it
// gets the latest lines.
TEST(OrvikPage, ASilentDisplayIsNotWaitedForAndGetsTheLatestLinesBack) {
    COrvikPageRig rig(PageKind::OrvikComNav, true);
    rig.Nuvex().ClearRecord();
    rig.Nuvex().Fail("Nuvex_SetString", E_UNEXPECTED);
    CTraceCapture trace;
    rig.Feed(CPage_Orvik_Com::Record{0x2150, 0x1970, 0x1050, 0x1390});
    rig.Feed(CPage_Orvik_Com::Record{0x2150, 0x1870, 0x1050, 0x1390});
    EXPECT_EQ(rig.Nuvex().Calls(), (std::vector<std::string>{"Nuvex_SetString"}));
    EXPECT_EQ(trace.Count(L"  Nuvex_SetString(2, \" 118.70  113.90 \") returned 8000FFFF\n"), 1u);

    rig.Nuvex().ClearFailure("Nuvex_SetString");
    ASSERT_TRUE(rig.Nuvex().WaitForSentStrings(3, 15000));
    EXPECT_EQ(rig.Shown(), (Lines{L"  COM1    NAV1  ", L"[121.50] 110.50 ", L" 118.70  113.90 "}));
}

TEST(OrvikPage, ActivationFormatsTheStoredRecordBeforeItIsSent) {
    COrvikPageRig rig(PageKind::OrvikDme);
    rig.Nuvex().RaisePageChange(kJoystick, 5, true); // the user went to another page
    rig.Feed(CPage_Orvik_Dme::Record{{3.0f, 0}, {90.0f, 0}});
    EXPECT_EQ(rig.Shown()[1], L" 0000.0 NM"); // refreshed nowhere: not shown

    CTraceCapture trace;
    rig.Nuvex().RaisePageChange(kJoystick, COrvikPageRig::kPageId, true);
    EXPECT_TRUE(trace.Contains(L"  \nPAGE_ACTIVATED : CPage_Orvik_Dme\n"));
    EXPECT_EQ(rig.Shown(), (Lines{L" DME     [R1]", L" 0003.0 NM", L" 0090.0 Knots"}));
}

TEST(OrvikPage, ButtonsOfTheShownPageReachIt) {
    COrvikPageRig rig(PageKind::OrvikComNav, true);
    rig.Nuvex().RaiseSoftButtons(kJoystick, CPage_Orvik_Base::SoftButton_Down);
    rig.Nuvex().RaiseSoftButtons(kJoystick, 0);
    rig.Nuvex().RaiseSoftButtons(kJoystick, CPage_Orvik_Base::SoftButton_Select);
    rig.Nuvex().RaiseSoftButtons(kJoystick, CPage_Orvik_Base::SoftButton_Select |
                                                CPage_Orvik_Base::SoftButton_Down);
    EXPECT_EQ(rig.Page().SelectionState(), 6u);
    EXPECT_EQ(rig.Events(), (std::vector<std::string>{"COM_RADIO_WHOLE_DEC"}));
    EXPECT_EQ(rig.Shown()[2], L"\u00BB100.00  100.00 ");
}

TEST(OrvikPage, StartRequestsThePageData) {
    COrvikPageRig rig(PageKind::OrvikXpndr);
    const size_t before = Simulator().Requests().size();
    rig.Page().OnSimStart();
    const auto requests = Simulator().Requests();
    ASSERT_EQ(requests.size(), before + 1);
    const standin::Request& request = requests.back();
    EXPECT_EQ(request.requestId, COrvikPageRig::kPageId);
    ASSERT_FALSE(rig.Datums().empty());
    EXPECT_EQ(request.defineId, rig.Datums()[0].defineId);
    EXPECT_EQ(request.objectId, 0u);
    EXPECT_EQ(request.period, 3u);
    EXPECT_EQ(request.flags, 1u);
}

TEST(OrvikPage, DataDefinitions) {
    struct Datum {
        const char* name;
        const char* units;
        DWORD type;
        float epsilon;
    };
    struct Case {
        PageKind kind;
        bool radio1;
        std::vector<Datum> datums;
    } cases[] = {
        {PageKind::OrvikComNav,
         true,
         {{"com active frequency:1", "Frequency BCD16", 1, 0},
          {"com standby frequency:1", "Frequency BCD16", 1, 0},
          {"nav active frequency:1", "Frequency BCD16", 1, 0},
          {"nav standby frequency:1", "Frequency BCD16", 1, 0}}},
        {PageKind::OrvikComNav,
         false,
         {{"com active frequency:2", "Frequency BCD16", 1, 0},
          {"com standby frequency:2", "Frequency BCD16", 1, 0},
          {"nav active frequency:2", "Frequency BCD16", 1, 0},
          {"nav standby frequency:2", "Frequency BCD16", 1, 0}}},
        {PageKind::OrvikAdf,
         false,
         {{"ADF SOUND:1", "Bool", 1, 0},
          {"adf active frequency:1", "Frequency ADF BCD32", 1, 0},
          {"adf radial:1", "Degrees", 3, 0.1f}}},
        {PageKind::OrvikDme,
         false,
         {{"nav dme:1", "nmiles", 3, 0},
          {"nav dme:2", "nmiles", 3, 0},
          {"nav dmespeed:1", "Knots", 3, 0},
          {"nav dmespeed:2", "Knots", 3, 0}}},
        {PageKind::OrvikVorHdg,
         false,
         {{"NAV1 OBS", "radians", 4, 0}, {"Autopilot heading lock dir", "radians", 4, 0}}},
        {PageKind::OrvikXpndr, false, {{"transponder code:1", "BCO16", 1, 0}}},
        {PageKind::OrvikAutopilot,
         false,
         {{"autopilot master", "Bool", 1, 0},
          {"autopilot heading lock", "Bool", 1, 0},
          {"autopilot nav1 lock", "Bool", 1, 0},
          {"autopilot approach hold", "Bool", 1, 0},
          {"autopilot backcourse hold", "Bool", 1, 0},
          {"autopilot altitude lock", "Bool", 1, 0},
          {"autopilot altitude lock var", "Feet", 1, 0},
          {"autopilot vertical hold var", "Feet/minute", 1, 0}}},
    };
    for (const Case& c : cases) {
        COrvikPageRig rig(c.kind, c.radio1);
        const auto datums = rig.Datums();
        ASSERT_EQ(datums.size(), c.datums.size());
        for (size_t i = 0; i < datums.size(); ++i) {
            SCOPED_TRACE(c.datums[i].name);
            EXPECT_STREQ(datums[i].datumName, c.datums[i].name);
            EXPECT_STREQ(datums[i].unitsName, c.datums[i].units);
            EXPECT_EQ(datums[i].datumType, c.datums[i].type);
            EXPECT_EQ(datums[i].epsilon, c.datums[i].epsilon);
            EXPECT_EQ(datums[i].datumId, i);
            EXPECT_EQ(datums[i].defineId, datums[0].defineId);
        }
    }
}

TEST(OrvikPage, InitializationTraces) {
    CTraceCapture trace;
    COrvikPageRig rig(PageKind::OrvikAutopilot);
    EXPECT_TRUE(trace.Contains(L"  CPage_Orvik_Autopilot::OnSimInitialize"));
    EXPECT_TRUE(trace.Contains(L"  CPage_Orvik_Autopilot::OnSimInitialize - "
                               L"SimConnect_AddToDataDefinition(autopilot altitude lock var) "
                               L"returned 00000000\n"));
    EXPECT_TRUE(trace.Contains(L"  CPage_Orvik_Autopilot::OnSimInitialize - "
                               L"SimConnect_SetNotificationGroupPriority returned 00000000\n"));
}

TEST(OrvikPage, ButtonsAndDataFromTwoThreads) {
    COrvikPageRig rig(PageKind::OrvikComNav, true);
    UniqueHandle presser(CreateThread(nullptr, 0, PressDownRepeatedly, &rig.Page(), 0, nullptr));
    ASSERT_TRUE(presser);
    for (int i = 0; i < kConcurrentSteps; ++i)
        rig.Feed(CPage_Orvik_Com::Record{0x1800 + (i & 0xFF), 0, 0, 0});
    ASSERT_EQ(WaitForSingleObject(presser.get(), 10000), WAIT_OBJECT_0);

    // Down cycles through the six selections without events.
    EXPECT_EQ(rig.Page().SelectionState(), static_cast<DWORD>(kConcurrentSteps % 6));
    EXPECT_TRUE(rig.Events().empty());
    EXPECT_EQ(rig.Shown(), (Lines{rig.Page().Line(0), rig.Page().Line(1), rig.Page().Line(2)}));
}
