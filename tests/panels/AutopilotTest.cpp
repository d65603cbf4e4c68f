#include "panels/PanelClass_Autopilot.h"
#include "panels/PanelIds.h"
#include "tests/panels/PanelTestSupport.h"
#include "tests/support/FakeHidDevice.h"
#include "tests/support/FakePanelSimConnect.h"
#include "tests/support/TraceCapture.h"

#include <gtest/gtest.h>

using paneltest::Bytes;
using paneltest::Hex;
using Data = CPanelClass_Autopilot::Data;

namespace {

enum Mode { Altitude, VerticalSpeed, Airspeed, Heading, Course };
const Bytes kDark(5, 0xFF);

Data Powered() {
    Data data = {};
    data.power.avionicsMaster = 1;
    data.power.battery = 1;
    return data;
}

Bytes Selector(int mode) {
    Bytes report(13, 0);
    report[1] = static_cast<BYTE>(1 << mode);
    return report;
}

Bytes Upper(const Bytes& report) {
    return Bytes(report.begin() + 1, report.begin() + 6);
}
Bytes Lower(const Bytes& report) {
    return Bytes(report.begin() + 6, report.begin() + 11);
}

class AutopilotTest : public ::testing::Test {
protected:
    AutopilotTest() {
        DWORD pages = 0;
        panel.OnSimInitialize(pages);
    }

    FakeHidDevice& Plug(const Bytes& feature) {
        std::wstring path = L"multi-" + std::to_wstring(++m_devices);
        FakeHidDevice& device = hid.AddDevice(path, kPanelVendorId, kMultiPanelProductId);
        device.SetFeatureReport(feature);
        panel.OnDeviceArrival(path.c_str());
        EXPECT_TRUE(device.WaitUntilIdle());
        return device;
    }

    void Send(const Data& data) {
        panel.OnSimRecieveData(static_cast<DWORD>(panel.DefineId()), &data, sizeof(data));
    }

    std::vector<std::string> Feed(FakeHidDevice& device, const std::vector<Bytes>& reports) {
        sim.ClearTransmissions();
        for (const Bytes& report : reports)
            device.QueueInputReport(report);
        EXPECT_TRUE(device.WaitUntilIdle());
        return sim.TransmittedNames();
    }

    static Bytes Last(const FakeHidDevice& device) {
        std::vector<Bytes> written = device.WrittenFeatureReports();
        return written.empty() ? Bytes{} : written.back();
    }

    FakeHidDriver hid;
    FakePanelSimConnect sim;
    CPanelClass_Autopilot panel{hid, sim};

private:
    int m_devices = 0;
};

} // namespace

TEST_F(AutopilotTest, DefinesItsDatumsAndMapsItsEvents) {
    std::vector<FakePanelSimConnect::Datum> datums = sim.Datums();
    ASSERT_EQ(22u, datums.size());
    EXPECT_EQ("AUTOPILOT ALTITUDE LOCK VAR", datums[6].name);
    EXPECT_EQ("Feet", datums[6].units);
    EXPECT_EQ(simconnect::DataTypeFloat32, datums[10].type);
    EXPECT_EQ("AUTOPILOT THROTTLE ARM", datums[11].name);
    EXPECT_EQ("BOOL", datums[11].units);
    EXPECT_EQ(simconnect::DataTypeInt32, datums[11].type);
    EXPECT_EQ("PARTIAL PANEL AVIONICS", datums[21].name);
    EXPECT_EQ(
        (std::vector<std::string>{
            "AP_ALT_VAR_INC", "AP_ALT_VAR_DEC",      "AP_VS_VAR_INC",     "AP_VS_VAR_DEC",
            "AP_SPD_VAR_INC", "AP_SPD_VAR_DEC",      "HEADING_BUG_INC",   "HEADING_BUG_DEC",
            "VOR1_OBI_INC",   "VOR1_OBI_DEC",        "AP_MASTER",         "AP_PANEL_HEADING_HOLD",
            "AP_NAV1_HOLD",   "AP_APR_HOLD",         "AP_BC_HOLD",        "AP_PANEL_ALTITUDE_HOLD",
            "AP_VS_HOLD",     "AP_PANEL_SPEED_HOLD", "AUTO_THROTTLE_ARM", "FLAPS_INCR",
            "FLAPS_DECR",     "ELEV_TRIM_UP",        "ELEV_TRIM_DN"}),
        sim.MappedEventNames());

    struct Case {
        size_t failingCall;
        const wchar_t* line;
    } cases[] = {
        {7, L"  AddToDataDefinition(m_defineid, AUTOPILOT HOLD LOCK VAR, ...) returned 80004001\n"},
        {11, L"  AddToDataDefinition(m_defineid, AUTOPILOT THROTTLE LOCK VAR, ...) returned "
             L"80004001\n"},
        {14, L"  AddToDataDefinition(m_defineid, AUTOPILOT AV1 LOCK, ...) returned 80004001\n"},
    };
    for (const Case& c : cases) {
        FakePanelSimConnect failing;
        failing.FailAddToDefinitionAt(c.failingCall, E_NOTIMPL);
        CPanelClass_Autopilot multi(hid, failing);
        CTraceCapture trace;
        DWORD pages = 0;
        multi.OnSimInitialize(pages);
        EXPECT_EQ(std::vector<std::wstring>{c.line}, trace.Lines());
        EXPECT_TRUE(failing.MappedEventNames().empty());
    }
}

TEST_F(AutopilotTest, DisplayFormats) {
    struct Case {
        int mode;
        float value;
        float verticalSpeed;
        Bytes upper;
        Bytes lower;
    } cases[] = {
        {Altitude, 35000, -1500, {0x03, 0x05, 0x00, 0x00, 0x00}, {0x0E, 0x01, 0x05, 0x00, 0x00}},
        {Altitude, 12500, -500, {0x01, 0x02, 0x05, 0x00, 0x00}, {0xFF, 0x0E, 0x05, 0x00, 0x00}},
        {Altitude, 800, 700, {0x00, 0x00, 0x08, 0x00, 0x00}, {0xFF, 0xFF, 0x07, 0x00, 0x00}},
        {Altitude, -800, 0, {0x00, 0x00, 0x08, 0x00, 0x00}, {0xFF, 0xFF, 0x00, 0x00, 0x00}},
        {VerticalSpeed, 0, 2300, {0x00, 0x00, 0x00, 0x00, 0x00}, {0xFF, 0x02, 0x03, 0x00, 0x00}},
        {VerticalSpeed, 0, -999.9f, {0x00, 0x00, 0x00, 0x00, 0x00}, {0xFF, 0x0E, 0x09, 0x00, 0x00}},
        {VerticalSpeed, 0, 999.9f, {0x00, 0x00, 0x00, 0x00, 0x00}, {0xFF, 0xFF, 0x09, 0x00, 0x00}},
        {VerticalSpeed, 0, 1000, {0x00, 0x00, 0x00, 0x00, 0x00}, {0xFF, 0x01, 0x00, 0x00, 0x00}},
        {Airspeed, 250.9f, 0, {0xFF, 0xFF, 0x02, 0x05, 0x00}, kDark},
        {Heading, 45.7f, 0, {0xFF, 0xFF, 0x00, 0x04, 0x05}, kDark},
        {Course, 359, 0, {0xFF, 0xFF, 0x03, 0x05, 0x09}, kDark},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.mode << " " << c.value << " " << c.verticalSpeed);
        Data data = Powered();
        data.verticalSpeed = c.verticalSpeed;
        float* values[] = {&data.altitude, &data.altitude, &data.airspeed, &data.heading,
                           &data.course};
        *values[c.mode] = c.value;
        Send(data);
        FakeHidDevice& device = Plug(Selector(c.mode));
        Bytes report = Last(device);
        ASSERT_EQ(13u, report.size());
        EXPECT_EQ(Hex(c.upper), Hex(Upper(report)));
        EXPECT_EQ(Hex(c.lower), Hex(Lower(report)));
        EXPECT_EQ(0x00, report[0]);
        EXPECT_EQ(0x00, report[12]);
    }
}

TEST_F(AutopilotTest, LampsAndDarknessFollowPowerAndPartialPanel) {
    Data data = Powered();
    data.altitude = 12500;
    data.master = 1;
    data.nav1Lock = 1;
    data.altitudeLock = 1;
    data.backcourseHold = 1;
    Send(data);
    CTraceCapture trace;
    FakeHidDevice& device = Plug(Selector(Altitude));
    EXPECT_EQ("00 01 02 05 00 00 FF FF 00 00 00 95 00", Hex(Last(device)));
    EXPECT_EQ(
        (std::vector<std::wstring>{L"  Altimeter value: 12500.000000 failed: 0 pb: 1 2 5 0",
                                   L"  Vertical Speed value: 0.000000 failed: 0 pb: 255 255 0 0",
                                   L"  The report[11] will be set: 0x95"}),
        trace.Lines());

    trace.Clear();
    data.partialPanelAvionics = 1;
    Send(data);
    EXPECT_EQ("00 FF FF FF FF FF FF FF FF FF FF 00 00", Hex(Last(device)));
    EXPECT_TRUE(trace.Contains(L"  Altimeter value: 12500.000000 failed: 1 pb: 255 255 255 255"));

    data.partialPanelAvionics = 0;
    data.power.avionicsMaster = 0;
    data.altitude = 9000;
    Send(data);
    EXPECT_EQ("00 FF FF FF FF FF FF FF FF FF FF 00 00", Hex(Last(device)));

    panel.CloseAllDevices();
    EXPECT_EQ("00 0F 0F 0F 0F 0F 0F 0F 0F 0F 0F 00 00", Hex(Last(device)));
}

TEST_F(AutopilotTest, AttachReadsTheSelectorAndOnlyNewEdgesMoveIt) {
    Data data = Powered();
    data.airspeed = 120;
    data.heading = 270;
    data.altitude = 5000;
    Send(data);
    EXPECT_EQ("FF FF 01 02 00", Hex(Upper(Last(Plug(Selector(Airspeed))))));
    Bytes twoPositions(13, 0);
    twoPositions[1] = 0x06;
    EXPECT_EQ("00 05 00 00 00", Hex(Upper(Last(Plug(twoPositions)))));
    EXPECT_EQ("00 05 00 00 00", Hex(Upper(Last(Plug({})))));

    FakeHidDevice& device = Plug(Selector(Airspeed));
    Feed(device, {{0x00, 0x04, 0x00, 0x00}});
    EXPECT_EQ("FF FF 01 02 00", Hex(Upper(Last(device))));
    EXPECT_EQ((std::vector<std::string>{"HEADING_BUG_INC"}),
              Feed(device, {{0x00, 0x08, 0x00, 0x00}, {0x00, 0x28, 0x00, 0x00}}));
    EXPECT_EQ("FF FF 02 07 00", Hex(Upper(Last(device))));
}

TEST_F(AutopilotTest, ButtonsKnobAndLevers) {
    struct Case {
        int mode;
        Bytes report;
        std::vector<std::string> events;
    } cases[] = {
        {Altitude, {0, 0x21, 0, 0}, {"AP_ALT_VAR_INC"}},
        {VerticalSpeed, {0, 0x42, 0, 0}, {"AP_VS_VAR_DEC"}},
        {Airspeed, {0, 0x24, 0, 0}, {"AP_SPD_VAR_INC"}},
        {Course, {0, 0x50, 0, 0}, {"VOR1_OBI_DEC"}},
        {Altitude, {0, 0x81, 0, 0}, {"AP_MASTER"}},
        {Altitude,
         {0, 0x01, 0x7F, 0},
         {"AP_PANEL_HEADING_HOLD", "AP_NAV1_HOLD", "AP_PANEL_SPEED_HOLD", "AP_PANEL_ALTITUDE_HOLD",
          "AP_VS_HOLD", "AP_APR_HOLD", "AP_BC_HOLD"}},
        {Altitude,
         {0, 0x01, 0, 0x0F},
         {"FLAPS_DECR", "FLAPS_INCR", "ELEV_TRIM_DN", "ELEV_TRIM_UP"}},
    };
    Send(Powered());
    for (const Case& c : cases) {
        SCOPED_TRACE(Hex(c.report));
        FakeHidDevice& device = Plug(Selector(c.mode));
        Bytes held(4, 0);
        held[1] = static_cast<BYTE>(1 << c.mode);
        Feed(device, {held});
        EXPECT_EQ(c.events, Feed(device, {c.report, held}));
    }
}

TEST_F(AutopilotTest, WithoutLiveControlsOnlyThrottleFlapsAndTrimAct) {
    Data unpowered = Powered();
    unpowered.power.battery = 0;
    Data partialPanel = Powered();
    partialPanel.partialPanelElectrical = 1;
    for (const Data& data : {unpowered, partialPanel}) {
        Send(data);
        FakeHidDevice& device = Plug(Selector(Altitude));
        Feed(device, {{0x00, 0x01, 0x00, 0x00}});
        EXPECT_EQ((std::vector<std::string>{"AUTO_THROTTLE_ARM", "FLAPS_INCR", "ELEV_TRIM_UP"}),
                  Feed(device, {{0x00, 0xE1, 0xFF, 0x0A}}));
        // The selector still moves.
        Feed(device, {{0x00, 0x10, 0x80, 0x00}});
        Send(Powered());
        EXPECT_EQ(Hex(Bytes{0xFF, 0xFF, 0x00, 0x00, 0x00}), Hex(Upper(Last(device))));
    }
}

TEST_F(AutopilotTest, TheArmSwitchOnlyBringsTheSimulatorInLine) {
    struct Case {
        INT32 simulatorArmed;
        BYTE from;
        BYTE to;
        bool sent;
    } cases[] = {
        {1, 0x00, 0x80, false}, {0, 0x00, 0x80, true},  {1, 0x80, 0x00, true},
        {0, 0x80, 0x00, false}, {0, 0x80, 0x80, false},
    };
    for (const Case& c : cases) {
        Data data = Powered();
        data.throttleArm = c.simulatorArmed;
        Send(data);
        FakeHidDevice& device = Plug(Selector(Altitude));
        Feed(device, {{0x00, 0x01, c.from, 0x00}});
        EXPECT_EQ(c.sent ? 1u : 0u, Feed(device, {{0x00, 0x01, c.to, 0x00}}).size());
    }
}

TEST_F(AutopilotTest, AnUnchangedReportIsWrittenOnceUnlessTheModeChanged) {
    Send(Powered());
    FakeHidDevice& device = Plug(Selector(Airspeed));
    Feed(device, {{0x00, 0x04, 0x00, 0x00}, {0x00, 0x04, 0x00, 0x00}});
    Send(Powered());
    EXPECT_EQ(1u, device.WrittenFeatureReports().size());

    // Airspeed, heading and course of zero look alike: the mode change still writes.
    Feed(device, {{0x00, 0x08, 0x00, 0x00}});
    EXPECT_EQ(2u, device.WrittenFeatureReports().size());
    EXPECT_EQ(device.WrittenFeatureReports()[0], device.WrittenFeatureReports()[1]);
}
