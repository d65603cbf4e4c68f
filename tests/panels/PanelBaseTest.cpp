#include "panels/PanelClass.h"
#include "panels/PanelIds.h"
#include "tests/panels/PanelTestSupport.h"
#include "tests/support/FakeHidDevice.h"
#include "tests/support/FakePanelSimConnect.h"
#include "tests/support/TraceCapture.h"

#include <gtest/gtest.h>

using paneltest::Bytes;

namespace {

const wchar_t kPath[] = L"\\\\?\\hid#vid_2f3a&pid_0101#7&1a2b3c4d&0&0000#{4d1e55b2}";

// A panel that records what the base class calls on it.
class RecordingPanel final : public CPanelClass {
public:
    RecordingPanel(IHidDriver& hid, IPanelSimConnect& sim, bool readThread = true)
        : CPanelClass(hid, sim), m_readThread(readThread) {}
    ~RecordingPanel() { CloseAllDevices(); }

    void OnSimInitialize(DWORD&) override {
        m_defineid = static_cast<LONG>(SimConnect().NextDefineId());
        DWORD counter = 0;
        AddPowerDefinitions(counter);
        datumsAfterPower = counter;
    }
    void OnSimRecieveData(DWORD requestId, const void* data, DWORD) override {
        std::lock_guard<std::mutex> lock(PanelLock());
        if (StoreData(requestId, data, &power, sizeof(power)))
            ++dataChanges;
    }
    using CPanelClass::IsAvionicsPowered;
    using CPanelClass::TransmitEvent;

    int attached = 0;
    int detached = 0;
    // Per report: the byte count, previous[0..3], current[0..3].
    std::vector<Bytes> inputs;
    PanelPowerItems power = {};
    int dataChanges = 0;
    DWORD datumsAfterPower = 0;

private:
    bool IsPanelDevice(const wchar_t* path) override {
        return IsDeviceOfProduct(path, kRadioPanelProductId);
    }
    bool NeedsReadThread() override { return m_readThread; }
    void OnDeviceAttached(CPanelDevice&) override { ++attached; }
    void OnDeviceDetached(CPanelDevice&) override { ++detached; }
    void OnInputReport(CPanelDevice&, DWORD count, const BYTE* previous,
                       const BYTE* current) override {
        Bytes seen = {static_cast<BYTE>(count)};
        seen.insert(seen.end(), previous, previous + 4);
        seen.insert(seen.end(), current, current + 4);
        inputs.push_back(seen);
    }

    bool m_readThread;
};

class PanelBaseTest : public ::testing::Test {
protected:
    FakeHidDriver hid;
    FakePanelSimConnect sim;
};

} // namespace

TEST_F(PanelBaseTest, RecognisesOnlyItsVendorAndProduct) {
    FakeHidDevice& otherVendor = hid.AddDevice(L"path-a", 0x1234, kRadioPanelProductId);
    FakeHidDevice& otherProduct = hid.AddDevice(L"path-b", kPanelVendorId, kMultiPanelProductId);
    RecordingPanel panel(hid, sim);

    panel.OnDeviceArrival(L"path-a");
    panel.OnDeviceArrival(L"path-b");
    panel.OnDeviceArrival(L"no-such-path");

    EXPECT_EQ(1, otherVendor.AttributeReads());
    EXPECT_EQ(1, otherProduct.AttributeReads());
    EXPECT_EQ(0, otherVendor.FeatureOpens() + otherProduct.FeatureOpens());
    EXPECT_EQ(0, panel.attached);
}

TEST_F(PanelBaseTest, OpensADevicePathOnceWhateverItsCase) {
    FakeHidDevice& device = hid.AddDevice(kPath, kPanelVendorId, kRadioPanelProductId);
    RecordingPanel panel(hid, sim);

    panel.OnDeviceArrival(kPath);
    panel.OnDeviceArrival(kPath);
    std::wstring upper = kPath;
    for (wchar_t& c : upper)
        c = towupper(c);
    panel.OnDeviceArrival(upper.c_str());

    EXPECT_EQ(1, device.FeatureOpens());
    EXPECT_EQ(1, panel.attached);
    ASSERT_TRUE(device.WaitUntilIdle());
    EXPECT_EQ(1, device.OpenInputHandles());
}

TEST_F(PanelBaseTest, ReadThreadHandsEachReportWithThePreviousOne) {
    FakeHidDevice& device = hid.AddDevice(kPath, kPanelVendorId, kRadioPanelProductId);
    RecordingPanel panel(hid, sim);
    panel.OnDeviceArrival(kPath);

    device.QueueInputReport({0x00, 0x81, 0x02, 0x03});
    device.QueueFailedRead();
    device.QueueInputReport({0x00, 0x01, 0x00});
    ASSERT_TRUE(device.WaitUntilIdle());

    // The first report is compared with zeros; a failed read is skipped; a short read leaves
    // the rest of the buffer as it was.
    ASSERT_EQ(2u, panel.inputs.size());
    EXPECT_EQ((Bytes{4, 0, 0, 0, 0, 0x00, 0x81, 0x02, 0x03}), panel.inputs[0]);
    EXPECT_EQ((Bytes{3, 0x00, 0x81, 0x02, 0x03, 0x00, 0x01, 0x00, 0x03}), panel.inputs[1]);
}

TEST_F(PanelBaseTest, UnplugEndsTheReadThreadAndDetachesOnce) {
    FakeHidDevice& device = hid.AddDevice(kPath, kPanelVendorId, kRadioPanelProductId);
    RecordingPanel panel(hid, sim);
    panel.OnDeviceArrival(kPath);
    ASSERT_TRUE(device.WaitUntilIdle());

    device.Remove();
    std::wstring upper = kPath;
    for (wchar_t& c : upper)
        c = towupper(c);
    panel.OnDeviceRemoval(upper.c_str());
    panel.OnDeviceRemoval(kPath);

    EXPECT_EQ(1, panel.detached);
    EXPECT_EQ(0, device.OpenInputHandles());
    EXPECT_EQ(0, device.OpenFeatureHandles());

    // When the device returns, the same path opens again.
    device.Reinsert();
    panel.OnDeviceArrival(kPath);
    EXPECT_EQ(2, panel.attached);
    EXPECT_EQ(1, device.OpenFeatureHandles());
}

TEST_F(PanelBaseTest, CloseAllDevicesAndDestructionReleaseEverything) {
    FakeHidDevice& first = hid.AddDevice(L"path-1", kPanelVendorId, kRadioPanelProductId);
    FakeHidDevice& second = hid.AddDevice(L"path-2", kPanelVendorId, kRadioPanelProductId);
    {
        RecordingPanel panel(hid, sim);
        panel.OnDeviceArrival(L"path-1");
        panel.OnDeviceArrival(L"path-2");
        ASSERT_TRUE(first.WaitUntilIdle());
        ASSERT_TRUE(second.WaitUntilIdle());

        panel.CloseAllDevices();
        EXPECT_EQ(2, panel.detached);
        EXPECT_EQ(0, first.OpenInputHandles() + second.OpenInputHandles());
        EXPECT_EQ(0, first.OpenFeatureHandles() + second.OpenFeatureHandles());

        panel.OnDeviceArrival(L"path-1");
    }
    EXPECT_EQ(0, first.OpenInputHandles());
    EXPECT_EQ(0, first.OpenFeatureHandles());
}

TEST_F(PanelBaseTest, APanelWithoutInputStartsNoReadThread) {
    FakeHidDevice& device = hid.AddDevice(kPath, kPanelVendorId, kRadioPanelProductId);
    RecordingPanel panel(hid, sim, false);
    panel.OnDeviceArrival(kPath);
    device.QueueInputReport({0x00, 0x01, 0x00, 0x00});

    EXPECT_EQ(1, panel.attached);
    EXPECT_EQ(0, device.OpenInputHandles());
    EXPECT_FALSE(device.WaitUntilIdle(50));
    panel.CloseAllDevices();
    EXPECT_EQ(1, panel.detached);
    EXPECT_TRUE(panel.inputs.empty());
}

TEST_F(PanelBaseTest, PowerDefinitionsTraceTheFirstFailureAndStop) {
    RecordingPanel panel(hid, sim);
    DWORD pages = 7;
    panel.OnSimInitialize(pages);
    std::vector<FakePanelSimConnect::Datum> datums = sim.Datums();
    const char* names[] = {"AVIONICS MASTER SWITCH",          "ELECTRICAL MASTER BATTERY",
                           "GENERAL ENG MASTER ALTERNATOR:1", "GENERAL ENG MASTER ALTERNATOR:2",
                           "GENERAL ENG MASTER ALTERNATOR:3", "GENERAL ENG MASTER ALTERNATOR:4"};
    ASSERT_EQ(6u, datums.size());
    for (DWORD i = 0; i < 6; ++i) {
        EXPECT_EQ(static_cast<DWORD>(panel.DefineId()), datums[i].defineId);
        EXPECT_EQ(names[i], datums[i].name);
        EXPECT_EQ("Bool", datums[i].units);
        EXPECT_EQ(simconnect::DataTypeInt32, datums[i].type);
        EXPECT_EQ(0.0f, datums[i].epsilon);
        EXPECT_EQ(i, datums[i].datumId);
    }

    FakePanelSimConnect failing;
    failing.FailAddToDefinitionAt(2, E_FAIL);
    RecordingPanel failingPanel(hid, failing);
    CTraceCapture trace;
    failingPanel.OnSimInitialize(pages);
    EXPECT_EQ(3u, failing.Datums().size());
    EXPECT_EQ(3u, failingPanel.datumsAfterPower);
    EXPECT_EQ((std::vector<std::wstring>{L"  AddToDataDefinition(m_defineid, GENERAL ENG MASTER "
                                         L"ALTERNATOR:1,...) returned 80004005\n"}),
              trace.Lines());
}

TEST_F(PanelBaseTest, AvionicsNeedTheMasterSwitchAndOneSource) {
    struct Case {
        PanelPowerItems power;
        bool powered;
    } cases[] = {
        {{0, 0, {0, 0, 0, 0}}, false}, {{1, 0, {0, 0, 0, 0}}, false}, {{1, 1, {0, 0, 0, 0}}, true},
        {{1, 0, {0, 0, 0, 1}}, true},  {{0, 1, {1, 1, 1, 1}}, false}, {{-1, 0, {0, 2, 0, 0}}, true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.powered, RecordingPanel::IsAvionicsPowered(c.power));
}

TEST_F(PanelBaseTest, DataIsKeptOnlyForItsRequestIdAndWhenItChanged) {
    RecordingPanel panel(hid, sim);
    DWORD pages = 0;
    panel.OnSimInitialize(pages);
    DWORD id = static_cast<DWORD>(panel.DefineId());
    PanelPowerItems power = {1, 1, {0, 0, 0, 0}};

    panel.OnSimRecieveData(id + 1, &power, sizeof(power));
    panel.OnSimRecieveData(id, &power, sizeof(power));
    panel.OnSimRecieveData(id, &power, sizeof(power));

    EXPECT_EQ(1, panel.dataChanges);
    EXPECT_EQ(1, panel.power.battery);
}

TEST_F(PanelBaseTest, SimStartRequestsThePanelsDataEveryFrameWhenChanged) {
    RecordingPanel panel(hid, sim);
    DWORD pages = 0;
    panel.OnSimInitialize(pages);
    panel.OnSimStart();
    std::vector<FakePanelSimConnect::Request> requests = sim.Requests();
    ASSERT_EQ(1u, requests.size());
    DWORD id = static_cast<DWORD>(panel.DefineId());
    EXPECT_EQ(id, requests[0].requestId);
    EXPECT_EQ(id, requests[0].defineId);
    EXPECT_EQ(0u, requests[0].objectId);
    EXPECT_EQ(simconnect::kPeriodSimFrame, requests[0].period);
    EXPECT_EQ(simconnect::kDataRequestFlagChanged, requests[0].flags);
}

TEST_F(PanelBaseTest, TransmitEventSendsToTheUserAircraftAndTracesTheResult) {
    RecordingPanel panel(hid, sim);
    CTraceCapture trace;
    sim.SetTransmitResult(E_NOTIMPL);

    panel.TransmitEvent(0, 5);
    panel.TransmitEvent(42, 16383);

    std::vector<FakePanelSimConnect::Transmission> sent = sim.Transmissions();
    ASSERT_EQ(1u, sent.size());
    EXPECT_EQ(42u, sent[0].eventId);
    EXPECT_EQ(16383u, sent[0].data);
    EXPECT_EQ(0u, sent[0].objectId);
    EXPECT_EQ(simconnect::kGroupDefault, sent[0].groupId);
    EXPECT_EQ(0u, sent[0].flags);
    EXPECT_EQ((std::vector<std::wstring>{
                  L"  Calling SimConnect_TransmitClientEvent with event 42 returns hr = 0x80004001",
                  L"  TransmitClientEvent returned 80004001\n"}),
              trace.Lines());
}

TEST_F(PanelBaseTest, NoTransmitStopsEveryTransmissionSilently) {
    const INT32 one = 1;
    const INT32 two = 2;
    const wchar_t oneAsText[] = L"\x0001";
    struct Case {
        const char* what;
        DWORD type;
        const void* data;
        DWORD size;
        bool transmits;
    } cases[] = {
        {"dword 1", REG_DWORD, &one, sizeof(one), false},
        {"dword 2", REG_DWORD, &two, sizeof(two), true},
        {"text whose bytes read as 1", REG_SZ, oneAsText, sizeof(oneAsText), false},
        {"no key", 0, nullptr, 0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FakePanelSimConnect local;
        std::unique_ptr<paneltest::NoTransmitSwitch> setting;
        if (c.data)
            setting = std::make_unique<paneltest::NoTransmitSwitch>(c.type, c.data, c.size);
        RecordingPanel panel(hid, local);
        CTraceCapture trace;
        panel.TransmitEvent(42, 0);
        EXPECT_EQ(c.transmits, panel.IsTransmitting());
        EXPECT_EQ(c.transmits ? 1u : 0u, local.Transmissions().size());
        EXPECT_EQ(c.transmits ? 1u : 0u, trace.Lines().size());
    }
}
