#include "tests/app/DravikFixture.h"
#include "tests/app/StandinSession.h"
#include "tests/support/TraceCapture.h"

#include <dbt.h>

#include <algorithm>
#include <vector>

namespace {

using Strings = std::vector<std::string>;

// Runs the application's own start-up inside a real loop, then lets the simulator quit.
class CDravikRun : public CDravikUnderTest {
public:
    CDravikRun(CSimConnectStandin& sim, DisplayDevicesIn displayDevices)
        : CDravikUnderTest(displayDevices), m_sim(sim) {}

    bool initializeResult = false;
    LRESULT deviceArrivalResult = -1;

protected:
    bool OnInitialize() override {
        initializeResult = CDravik::OnInitialize();
        TestCallLog().Add("initialized");
        SendDeviceArrival();
        m_sim.Quit();
        return initializeResult;
    }

private:
    // A HID arrival as the system sends it to the registered window.
    void SendDeviceArrival() {
        const wchar_t path[] = L"\\\\?\\hid#test";
        std::vector<BYTE> buffer(sizeof(DEV_BROADCAST_DEVICEINTERFACE_W) + sizeof(path));
        auto* broadcast = reinterpret_cast<DEV_BROADCAST_DEVICEINTERFACE_W*>(buffer.data());
        broadcast->dbcc_size = static_cast<DWORD>(buffer.size());
        broadcast->dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
        memcpy(broadcast->dbcc_name, path, sizeof(path));
        deviceArrivalResult = SendMessageW(MessageWindow(), WM_DEVICECHANGE, DBT_DEVICEARRIVAL,
                                           reinterpret_cast<LPARAM>(broadcast));
    }

    CSimConnectStandin& m_sim;
};

Strings PanelEntries(const std::string& operation) {
    Strings entries;
    for (const char* panel : {"multi", "radio", "switch", "annunciator"})
        entries.push_back(std::string("panel ") + panel + " " + operation);
    return entries;
}

// Takes out the arrivals of the HID devices present on this machine (offered during start-up,
// before "initialized"), checking that each path went to the four panels in order.
Strings WithoutPresentDevices(const Strings& entries) {
    const std::string arrival = " OnDeviceArrival ";
    Strings kept;
    bool started = true;
    for (size_t i = 0; i < entries.size(); ++i) {
        if (entries[i] == "initialized")
            started = false;
        size_t at = entries[i].find(arrival);
        if (!started || at == std::string::npos) {
            kept.push_back(entries[i]);
            continue;
        }
        std::string path = entries[i].substr(at + arrival.size());
        Strings group(entries.begin() + i, entries.begin() + std::min(i + 4, entries.size()));
        EXPECT_EQ(group, PanelEntries("OnDeviceArrival " + path));
        i += 3;
    }
    return kept;
}

Strings Concat(std::initializer_list<Strings> parts) {
    Strings all;
    for (const Strings& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

} // namespace

TEST_F(DravikTest, RunStartsPagesDisplayDevicesAndPanelsThenReleasesThem) {
    WritePagesFile("<Pages><Orvik><Adf/><Dme/></Orvik></Pages>");
    CStandinSession session;
    CTraceCapture capture;
    CDravikRun application(session.Sim(), DisplayDevicesIn::ServiceRunning);

    EXPECT_TRUE(application.Run(GetModuleHandleW(nullptr)));

    EXPECT_TRUE(application.initializeResult);
    EXPECT_EQ(application.deviceArrivalResult, 0);
    EXPECT_EQ(WithoutPresentDevices(TestCallLog().Entries()),
              Concat({{"devices LoadGaugeAssignments", "page 1 OnSimInitialize -",
                       "page 2 OnSimInitialize -", "devices InitializeNuvex 1,2"},
                      PanelEntries("OnSimInitialize 3"),
                      {"initialized"},
                      PanelEntries("OnDeviceArrival \\\\?\\hid#test"),
                      {"devices FinalizeNuvex", "page 1 destroyed", "page 2 destroyed"},
                      PanelEntries("CloseAllDevices")}));
    EXPECT_EQ(capture.Count(L"  CDravik::OnInitialize"), 1u);
    EXPECT_EQ(capture.Count(L"  CDravik::OnInitialize returned TRUE\n"), 1u);
    EXPECT_EQ(capture.Count(L"  CDravik::OnFinalize returned TRUE\n"), 1u);
}

TEST_F(DravikTest, RunWithoutPagesOrServiceStillStartsThePanels) {
    struct Case {
        const char* pagesFile; // null: none
        DisplayDevicesIn displayDevices;
        Strings displayDeviceStart;
        const char* panelCounter;
    };
    const Case cases[] = {
        {nullptr, DisplayDevicesIn::ServiceRunning, {}, "OnSimInitialize 0"},
        {"<Pages/>",
         DisplayDevicesIn::ServiceRunning,
         {"devices InitializeNuvex "},
         "OnSimInitialize 1"},
        {"<Pages><Orvik><Adf/></Orvik></Pages>",
         DisplayDevicesIn::ServiceStopped,
         {"page 1 OnSimInitialize -"},
         "OnSimInitialize 2"},
        {"<Pages><Orvik><Adf/></Orvik></Pages>",
         DisplayDevicesIn::None,
         {"page 1 OnSimInitialize -"},
         "OnSimInitialize 2"},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.pagesFile ? test.pagesFile : "no file");
        std::filesystem::remove("Dravik.xml");
        if (test.pagesFile)
            WritePagesFile(test.pagesFile);
        TestCallLog().Clear();
        CStandinSession session;
        CDravikRun application(session.Sim(), test.displayDevices);

        EXPECT_TRUE(application.Run(GetModuleHandleW(nullptr)));

        Strings started = WithoutPresentDevices(TestCallLog().Entries());
        started.erase(std::find(started.begin(), started.end(), "initialized"), started.end());
        if (test.displayDevices != DisplayDevicesIn::None)
            started.erase(started.begin()); // the assignments loaded at construction
        EXPECT_EQ(started, Concat({test.displayDeviceStart, PanelEntries(test.panelCounter)}));
    }
}
