#include "tests/app/DravikFixture.h"
#include "tests/support/TraceCapture.h"

#include <dbt.h>

#include <vector>

namespace {

using Strings = std::vector<std::string>;
using WStrings = std::vector<std::wstring>;

struct ExpectedPage {
    DWORD id;
    PageKind kind;
    std::wstring className;
    bool radio1;
};

void ExpectPages(const CDravik& application, const std::vector<ExpectedPage>& expected) {
    ASSERT_EQ(application.Pages().size(), expected.size());
    auto page = application.Pages().begin();
    for (const ExpectedPage& want : expected) {
        SCOPED_TRACE(want.id);
        EXPECT_EQ(page->first, want.id);
        auto* testPage = dynamic_cast<const CTestPage*>(page->second.get());
        ASSERT_NE(testPage, nullptr);
        EXPECT_EQ(testPage->PageId(), want.id);
        EXPECT_EQ(testPage->Owner(), &application);
        EXPECT_EQ(testPage->Kind(), want.kind);
        EXPECT_EQ(testPage->ClassName(), want.className);
        EXPECT_EQ(testPage->Radio1(), want.radio1);
        ++page;
    }
}

constexpr const char* kTwoOrvikPages = "<Pages><Orvik><Adf/><Dme/></Orvik></Pages>";

} // namespace

TEST_F(DravikTest, PagesAreNumberedInDocumentOrderAcrossGroups) {
    WritePagesFile("<?xml version=\"1.0\"?>\n"
                   "<AnyRoot>\n"
                   "  <Orvik><comnav Radio1=\"TRUE\"/><Adf/><Unknown/><DME/></Orvik>\n"
                   "  some text\n"
                   "  <Other><Adf/></Other>\n"
                   "  <GAUGE Timeout=\"100\"><Button Id=\"1\"/></GAUGE>\n"
                   "  <orvik><ComNav Radio1=\"yes\"/><xpndr/><Autopilot/><VorHdg/><ComNav/>"
                   "</orvik>\n"
                   "</AnyRoot>\n");
    CDravikUnderTest application;
    CTraceCapture capture;
    TestCallLog().Clear();

    DWORD nextPageId = 0;
    ASSERT_TRUE(application.InitializePages(nextPageId));
    EXPECT_EQ(nextPageId, 10u);
    ExpectPages(application, {{1, PageKind::OrvikComNav, L"CPage_Orvik_Com", true},
                              {2, PageKind::OrvikAdf, L"CPage_Orvik_Adf", false},
                              {3, PageKind::OrvikDme, L"CPage_Orvik_Dme", false},
                              {4, PageKind::Gauge, L"", false},
                              {5, PageKind::OrvikComNav, L"CPage_Orvik_Com", false},
                              {6, PageKind::OrvikXpndr, L"CPage_Orvik_Xpndr", false},
                              {7, PageKind::OrvikAutopilot, L"CPage_Orvik_Autopilot", false},
                              {8, PageKind::OrvikVorHdg, L"CPage_Orvik_VorHdg", false},
                              {9, PageKind::OrvikComNav, L"CPage_Orvik_Com", false}});
    // Each page is initialised once, the gauge page with its own element.
    EXPECT_EQ(
        TestCallLog().Entries(),
        (Strings{"page 1 OnSimInitialize -", "page 2 OnSimInitialize -", "page 3 OnSimInitialize -",
                 "page 4 OnSimInitialize GAUGE", "page 5 OnSimInitialize -",
                 "page 6 OnSimInitialize -", "page 7 OnSimInitialize -", "page 8 OnSimInitialize -",
                 "page 9 OnSimInitialize -"}));
    const std::wstring add = L"  CDravik::AddPage\n";
    EXPECT_EQ(capture.Lines(), (WStrings{L"  CDravik::LoadOrvikPages - COM Page", add,
                                         L"  CDravik::LoadOrvikPages - ADF Page", add,
                                         L"  CDravik::LoadOrvikPages - DME Page", add,
                                         L"  CDravik::InitializePages - Gauge Page", add,
                                         L"  CDravik::LoadOrvikPages - COM Page", add,
                                         L"  CDravik::LoadOrvikPages - XPNDR Page", add,
                                         L"  CDravik::LoadOrvikPages - AUTOPILOT Page", add,
                                         L"  CDravik::LoadOrvikPages - VOR/HDG Page", add,
                                         L"  CDravik::LoadOrvikPages - COM Page", add}));
}

TEST_F(DravikTest, PagesFileThatCannotBeReadGivesNoPages) {
    struct Case {
        const char* content; // null: no file
        bool result;
        DWORD nextPageId;
        WStrings traces;
    };
    const Case cases[] = {
        {nullptr, false, 0, {L"  CDravik::InitializePages - Failed to parse file"}},
        {"<Pages><Orvik><Adf/></Orvik>",
         false,
         0,
         {L"  CDravik::InitializePages - Failed to parse file"}},
        {"<Pages/>", true, 1, {}},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.content ? test.content : "no file");
        std::filesystem::remove("Dravik.xml");
        if (test.content)
            WritePagesFile(test.content);
        CDravikUnderTest application;
        CTraceCapture capture;
        DWORD nextPageId = 0;
        EXPECT_EQ(application.InitializePages(nextPageId), test.result);
        EXPECT_EQ(nextPageId, test.nextPageId);
        EXPECT_TRUE(application.Pages().empty());
        EXPECT_EQ(capture.Lines(), test.traces);
    }
}

TEST_F(DravikTest, PageWithoutMemoryTakesNoId) {
    WritePagesFile("<Pages><Orvik><Adf/><Dme/></Orvik></Pages>");
    CDravikUnderTest application;
    CTraceCapture capture;
    FailNextTestPageCreations(1);

    DWORD nextPageId = 0;
    ASSERT_TRUE(application.InitializePages(nextPageId));
    EXPECT_EQ(nextPageId, 2u);
    ExpectPages(application, {{1, PageKind::OrvikDme, L"CPage_Orvik_Dme", false}});
    EXPECT_EQ(capture.Lines(),
              (WStrings{L"  CDravik::LoadOrvikPages - ADF Page", L"  CDravik::AddPage\n",
                        L"  CDravik::AddPage - Page pointer invalid\n",
                        L"  CDravik::LoadOrvikPages - DME Page", L"  CDravik::AddPage\n"}));
}

TEST_F(DravikTest, DuplicatePageIdIsDestroyedUninitialised) {
    CDravikUnderTest application;
    CTraceCapture capture;
    TestCallLog().Clear();
    PageArguments arguments{1, &application, L"First", false};

    EXPECT_TRUE(application.AddPage(new CTestPage(arguments, PageKind::OrvikAdf), nullptr));
    arguments.className = L"Second";
    EXPECT_FALSE(application.AddPage(new CTestPage(arguments, PageKind::OrvikDme), nullptr));

    EXPECT_EQ(TestCallLog().Entries(), (Strings{"page 1 OnSimInitialize -", "page 1 destroyed"}));
    ExpectPages(application, {{1, PageKind::OrvikAdf, L"First", false}});
    EXPECT_EQ(capture.Lines(), (WStrings{L"  CDravik::AddPage\n", L"  CDravik::AddPage\n",
                                         L"  CDravik::AddPage - Page already Exists\n"}));
}

TEST_F(DravikTest, StartStopAndDataFanOutInOrder) {
    WritePagesFile(kTwoOrvikPages);
    CDravikUnderTest application;
    DWORD nextPageId = 0;
    ASSERT_TRUE(application.InitializePages(nextPageId));
    CTraceCapture capture;
    TestCallLog().Clear();

    application.OnSimStart();
    application.OnSimStop();
    const BYTE data[3] = {9, 8, 7};
    application.OnSimObjectData(2, data, sizeof(data));
    application.OnSimObjectData(kRadioRequestId, data, sizeof(data));

    EXPECT_EQ(
        TestCallLog().Entries(),
        (Strings{"page 1 OnSimStart", "page 2 OnSimStart", "panel multi OnSimStart",
                 "panel radio OnSimStart", "panel switch OnSimStart",
                 "panel annunciator OnSimStart",
                 // a stop saves the assignments first; panels are not told
                 "devices SaveGaugeAssignments", "page 1 OnSimStop", "page 2 OnSimStop",
                 // data goes to the page with the request id, then to every panel
                 "page 2 OnSimRecieveData 3 9", "panel multi OnSimRecieveData 2",
                 "panel radio OnSimRecieveData 2", "panel switch OnSimRecieveData 2",
                 "panel annunciator OnSimRecieveData 2", "panel multi OnSimRecieveData 1002",
                 "panel radio OnSimRecieveData 1002 own", "panel switch OnSimRecieveData 1002",
                 "panel annunciator OnSimRecieveData 1002"}));
    EXPECT_EQ(capture.Lines(), (WStrings{L"  CDravik::OnSimStart", L"  CDravik::OnSimStop"}));
}

TEST_F(DravikTest, DeviceChangeMessagesReachThePanels) {
    CDravikUnderTest application;
    TestCallLog().Clear();

    const wchar_t path[] = L"\\\\?\\hid#vid_1234&pid_5678#1";
    std::vector<BYTE> buffer(sizeof(DEV_BROADCAST_DEVICEINTERFACE_W) + sizeof(path));
    auto* broadcast = reinterpret_cast<DEV_BROADCAST_DEVICEINTERFACE_W*>(buffer.data());
    broadcast->dbcc_size = static_cast<DWORD>(buffer.size());
    broadcast->dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    memcpy(broadcast->dbcc_name, path, sizeof(path));
    DEV_BROADCAST_HDR volume = {sizeof(volume), DBT_DEVTYP_VOLUME, 0};
    auto lParam = [](const void* header) { return reinterpret_cast<LPARAM>(header); };

    struct Case {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
        LRESULT result;
        const char* operation; // what every panel is told, in order; null for nothing
    };
    const Case cases[] = {
        {WM_DEVICECHANGE, DBT_DEVICEARRIVAL, lParam(broadcast), 1, "OnDeviceArrival"},
        {WM_DEVICECHANGE, DBT_DEVICEQUERYREMOVE, lParam(broadcast), 1, "OnDeviceRemoval"},
        {WM_DEVICECHANGE, DBT_DEVICEREMOVECOMPLETE, lParam(broadcast), 1, "OnDeviceRemoval"},
        {WM_DEVICECHANGE, DBT_DEVICEREMOVEPENDING, lParam(broadcast), 1, nullptr},
        {WM_DEVICECHANGE, DBT_DEVNODES_CHANGED, 0, 1, nullptr},
        {WM_DEVICECHANGE, DBT_DEVICEARRIVAL, lParam(&volume), 1, nullptr},
        {WM_DEVICECHANGE, DBT_DEVICEARRIVAL, 0, 1, nullptr},
        {WM_USER, DBT_DEVICEARRIVAL, lParam(broadcast), 0, nullptr},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.wParam);
        TestCallLog().Clear();
        EXPECT_EQ(application.OnWindowMessage(test.message, test.wParam, test.lParam), test.result);
        Strings expected;
        if (test.operation) {
            for (const char* panel : {"multi", "radio", "switch", "annunciator"})
                expected.push_back(std::string("panel ") + panel + " " + test.operation +
                                   " \\\\?\\hid#vid_1234&pid_5678#1");
        }
        EXPECT_EQ(TestCallLog().Entries(), expected);
    }
}

TEST_F(DravikTest, FinalizeReleasesDevicesPagesAndPanelsInOrder) {
    struct Case {
        DisplayDevicesIn displayDevices;
        bool finalizesNuvex;
    };
    for (const Case& test :
         {Case{DisplayDevicesIn::ServiceRunning, true},
          Case{DisplayDevicesIn::ServiceStopped, false}, Case{DisplayDevicesIn::None, false}}) {
        SCOPED_TRACE(static_cast<int>(test.displayDevices));
        WritePagesFile(kTwoOrvikPages);
        CDravikUnderTest application(test.displayDevices);
        DWORD nextPageId = 0;
        ASSERT_TRUE(application.InitializePages(nextPageId));
        CTraceCapture capture;
        TestCallLog().Clear();

        application.OnFinalize();

        Strings expected;
        if (test.finalizesNuvex)
            expected.push_back("devices FinalizeNuvex");
        for (const char* entry :
             {"page 1 destroyed", "page 2 destroyed", "panel multi CloseAllDevices",
              "panel radio CloseAllDevices", "panel switch CloseAllDevices",
              "panel annunciator CloseAllDevices"})
            expected.push_back(entry);
        EXPECT_EQ(TestCallLog().Entries(), expected);
        EXPECT_TRUE(application.Pages().empty());
        EXPECT_EQ(capture.Lines(),
                  (WStrings{L"  CDravik::OnFinalize", L"  CDravik::OnFinalize returned TRUE\n"}));
    }
}

TEST_F(DravikTest, AssignmentsAreLoadedAtConstructionAndServicesForwarded) {
    {
        CDravikUnderTest application;
        NuvexDevice device = reinterpret_cast<NuvexDevice>(0x10);
        application.RefreshPage(nullptr);
        EXPECT_EQ(application.GetAssignedGauge(device), L"Assigned");
        application.SetAssignedGauge(device, L"Altimeter");
    }
    EXPECT_EQ(TestCallLog().Entries(),
              (Strings{"devices LoadGaugeAssignments", "devices RefreshPage 0",
                       "devices GetAssignedGauge", "devices SetAssignedGauge Altimeter"}));

    TestCallLog().Clear();
    CDravikUnderTest withoutDisplayDevices(DisplayDevicesIn::None);
    EXPECT_EQ(withoutDisplayDevices.GetAssignedGauge(nullptr), L"");
    withoutDisplayDevices.SetAssignedGauge(nullptr, L"Altimeter");
    withoutDisplayDevices.RefreshPage(nullptr);
    withoutDisplayDevices.OnSimStop();
    EXPECT_TRUE(TestCallLog().Entries().empty());
}

TEST_F(DravikTest, PagesLeftAtDestructionAreDestroyed) {
    WritePagesFile(kTwoOrvikPages);
    {
        CDravikUnderTest application;
        DWORD nextPageId = 0;
        ASSERT_TRUE(application.InitializePages(nextPageId));
        TestCallLog().Clear();
    }
    EXPECT_EQ(TestCallLog().Entries(), (Strings{"page 1 destroyed", "page 2 destroyed"}));
}

// Without a window to receive them the HID notifications cannot be registered: the start fails
// after pages and panels were initialised.
TEST_F(DravikTest, InitializeFailsWhenHidNotificationsCannotBeRegistered) {
    WritePagesFile(kTwoOrvikPages);
    CDravikUnderTest application(DisplayDevicesIn::ServiceStopped);
    CTraceCapture capture;
    TestCallLog().Clear();

    EXPECT_FALSE(application.OnInitialize());

    EXPECT_EQ(TestCallLog().Entries(),
              (Strings{"page 1 OnSimInitialize -", "page 2 OnSimInitialize -",
                       "panel multi OnSimInitialize 3", "panel radio OnSimInitialize 3",
                       "panel switch OnSimInitialize 3", "panel annunciator OnSimInitialize 3"}));
    WStrings lines = capture.Lines();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.front(), L"  CDravik::OnInitialize");
    EXPECT_EQ(lines.back(), L"  CDravik::OnInitialize returned FALSE\n");
}

namespace {
// A page that implements only what every page must.
class CMinimalPage : public IPage {
public:
    using IPage::IPage;
    void OnPageActivated(NuvexDevice) override {}
};
} // namespace

TEST_F(DravikTest, PageWithOnlyTheRequiredOperationIsNeverAddedAndIgnoresTheSimulator) {
    CDravikUnderTest application;
    auto* page = new CMinimalPage(5, &application);
    ASSERT_TRUE(application.AddPage(page, nullptr));

    bool activated = true;
    EXPECT_FALSE(page->AddToDevice(reinterpret_cast<NuvexDevice>(1), true, &activated));
    EXPECT_TRUE(activated);
    const BYTE data[4] = {};
    application.OnSimStart();
    application.OnSimObjectData(5, data, sizeof(data));
    application.OnSimStop();
    EXPECT_EQ(application.Pages().count(5), 1u);
}
