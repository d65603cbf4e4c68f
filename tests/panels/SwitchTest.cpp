#include "panels/PanelClass_Switch.h"
#include "panels/PanelIds.h"
#include "tests/panels/PanelTestSupport.h"
#include "tests/support/FakeHidDevice.h"
#include "tests/support/FakePanelSimConnect.h"
#include "tests/support/TraceCapture.h"

#include <gtest/gtest.h>

#include <bit>

using paneltest::Bytes;
using Data = CPanelClass_Switch::Data;

namespace {

using Sent = std::vector<std::pair<std::string, DWORD>>;

class SwitchTest : public ::testing::Test {
protected:
    SwitchTest() {
        DWORD pages = 0;
        panel.OnSimInitialize(pages);
    }

    FakeHidDevice& Plug() {
        std::wstring path = L"switch-" + std::to_wstring(++m_devices);
        FakeHidDevice& device = hid.AddDevice(path, kPanelVendorId, kSwitchPanelProductId);
        panel.OnDeviceArrival(path.c_str());
        EXPECT_TRUE(device.WaitUntilIdle());
        return device;
    }

    void Send(const Data& data) {
        panel.OnSimRecieveData(static_cast<DWORD>(panel.DefineId()), &data, sizeof(data));
    }

    Sent Feed(FakeHidDevice& device, const std::vector<Bytes>& reports) {
        sim.ClearTransmissions();
        for (const Bytes& report : reports)
            device.QueueInputReport(report);
        EXPECT_TRUE(device.WaitUntilIdle());
        Sent sent;
        for (const auto& t : sim.Transmissions())
            sent.emplace_back(t.eventName, t.data);
        return sent;
    }

    FakeHidDriver hid;
    FakePanelSimConnect sim;
    CPanelClass_Switch panel{hid, sim};

private:
    int m_devices = 0;
};

} // namespace

TEST_F(SwitchTest, DefinesItsDatumsAndMapsItsEvents) {
    std::vector<FakePanelSimConnect::Datum> datums = sim.Datums();
    ASSERT_EQ(27u, datums.size());
    EXPECT_EQ("ELECTRICAL MASTER BATTERY", datums[0].name);
    EXPECT_EQ("RECIP ENG COWL FLAP POSITION:1", datums[12].name);
    EXPECT_EQ("Percent", datums[12].units);
    EXPECT_EQ(simconnect::DataTypeFloat32, datums[12].type);
    EXPECT_EQ(0x3D4CCCCDu, std::bit_cast<UINT32>(datums[15].epsilon));
    EXPECT_EQ(0.0f, datums[16].epsilon);
    EXPECT_EQ("GEAR RIGHT POSITION", datums[26].name);
    EXPECT_EQ("Percent Over 100", datums[26].units);
    for (DWORD i = 0; i < datums.size(); ++i)
        EXPECT_EQ(i, datums[i].datumId);
    std::vector<std::string> events = sim.MappedEventNames();
    ASSERT_EQ(28u, events.size());
    EXPECT_EQ("GEAR_UP", events[0]);
    EXPECT_EQ("LANDING_LIGHTS_TOGGLE", events[23]);
    EXPECT_EQ("MAGNETO4_SET", events[27]);

    FakePanelSimConnect failing;
    failing.FailAddToDefinitionAt(20, E_FAIL);
    CPanelClass_Switch failingPanel(hid, failing);
    CTraceCapture trace;
    DWORD pages = 0;
    failingPanel.OnSimInitialize(pages);
    EXPECT_EQ((std::vector<std::wstring>{
                  L"  AddToDataDefinition(m_defineid, LIGHT TAXI,...) returned 80004005\n"}),
              trace.Lines());
    EXPECT_TRUE(failing.MappedEventNames().empty());
}

TEST_F(SwitchTest, SwitchesBringTheSimulatorToTheirPosition) {
    Data data = {};
    data.battery = 1;
    data.alternator[0] = 1;
    data.alternator[2] = 1;
    data.pitotHeat = 1;
    data.lightTaxi = 1;
    Send(data);
    struct Case {
        const char* what;
        Bytes from;
        Bytes to;
        Sent sent;
    } cases[] = {
        {"battery on, already on", {0, 0x00, 0, 0}, {0, 0x01, 0, 0}, {}},
        {"battery off", {0, 0x01, 0, 0}, {0, 0x00, 0, 0}, {{"TOGGLE_MASTER_BATTERY", 0}}},
        {"alternators on, 1 and 3 already on",
         {0, 0x00, 0, 0},
         {0, 0x02, 0, 0},
         {{"TOGGLE_ALTERNATOR2", 0}, {"TOGGLE_ALTERNATOR4", 0}}},
        {"avionics on", {0, 0x00, 0, 0}, {0, 0x04, 0, 0}, {{"TOGGLE_AVIONICS_MASTER", 0}}},
        {"fuel pumps on",
         {0, 0x00, 0, 0},
         {0, 0x08, 0, 0},
         {{"TOGGLE_ELECT_FUEL_PUMP1", 0},
          {"TOGGLE_ELECT_FUEL_PUMP2", 0},
          {"TOGGLE_ELECT_FUEL_PUMP3", 0},
          {"TOGGLE_ELECT_FUEL_PUMP4", 0}}},
        {"de-ice on", {0, 0x00, 0, 0}, {0, 0x10, 0, 0}, {{"ANTI_ICE_SET", 1}}},
        {"de-ice off", {0, 0x10, 0, 0}, {0, 0x00, 0, 0}, {{"ANTI_ICE_SET", 0}}},
        {"pitot heat on, already on", {0, 0x00, 0, 0}, {0, 0x20, 0, 0}, {}},
        {"cowl flaps open",
         {0, 0x00, 0, 0},
         {0, 0x40, 0, 0},
         {{"COWLFLAP1_SET", 0}, {"COWLFLAP2_SET", 0}, {"COWLFLAP3_SET", 0}, {"COWLFLAP4_SET", 0}}},
        {"cowl flaps closed",
         {0, 0x40, 0, 0},
         {0, 0x00, 0, 0},
         {{"COWLFLAP1_SET", 16383},
          {"COWLFLAP2_SET", 16383},
          {"COWLFLAP3_SET", 16383},
          {"COWLFLAP4_SET", 16383}}},
        {"panel lights", {0, 0x00, 0, 0}, {0, 0x80, 0, 0}, {{"PANEL_LIGHTS_TOGGLE", 0}}},
        {"beacon, nav, strobe, landing on; taxi already on",
         {0, 0, 0x00, 0},
         {0, 0, 0x1F, 0},
         {{"TOGGLE_BEACON_LIGHTS", 0},
          {"TOGGLE_NAV_LIGHTS", 0},
          {"STROBES_TOGGLE", 0},
          {"LANDING_LIGHTS_TOGGLE", 0}}},
        {"taxi off", {0, 0, 0x08, 0}, {0, 0, 0x00, 0}, {{"TOGGLE_TAXI_LIGHTS", 0}}},
        {"unchanged levels", {0, 0x50, 0x01, 0}, {0, 0x50, 0x01, 0}, {}},
    };
    FakeHidDevice& device = Plug();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Feed(device, {c.from});
        EXPECT_EQ(c.sent, Feed(device, {c.to}));
    }
}

TEST_F(SwitchTest, MagnetoAndGearLever) {
    struct Case {
        const char* what;
        Bytes from;
        Bytes to;
        Sent sent;
    } cases[] = {
        {"magneto 3 to 4",
         {0, 0, 0x80, 0x00},
         {0, 0, 0x00, 0x01},
         {{"MAGNETO1_SET", 3}, {"MAGNETO2_SET", 3}, {"MAGNETO3_SET", 3}, {"MAGNETO4_SET", 3}}},
        {"magneto to no position", {0, 0, 0x20, 0x00}, {0, 0, 0x00, 0x00}, {}},
        {"magneto back from no position",
         {0, 0, 0x00, 0x00},
         {0, 0, 0x20, 0x00},
         {{"MAGNETO1_SET", 0}, {"MAGNETO2_SET", 0}, {"MAGNETO3_SET", 0}, {"MAGNETO4_SET", 0}}},
        {"magneto 5",
         {0, 0, 0x40, 0x00},
         {0, 0, 0x00, 0x02},
         {{"MAGNETO1_SET", 4}, {"MAGNETO2_SET", 4}, {"MAGNETO3_SET", 4}, {"MAGNETO4_SET", 4}}},
        {"gear down", {0, 0, 0, 0x04}, {0, 0, 0, 0x08}, {{"GEAR_DOWN", 0}}},
        {"gear up", {0, 0, 0, 0x08}, {0, 0, 0, 0x04}, {{"GEAR_UP", 0}}},
        {"both lever bits new", {0, 0, 0, 0x00}, {0, 0, 0, 0x0C}, {{"GEAR_UP", 0}}},
        {"lever released", {0, 0, 0, 0x08}, {0, 0, 0, 0x00}, {}},
    };
    FakeHidDevice& device = Plug();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Feed(device, {c.from});
        EXPECT_EQ(c.sent, Feed(device, {c.to}));
    }
}

TEST_F(SwitchTest, TheFirstReportActsAsSwitchedAndOtherLengthsAreIgnored) {
    FakeHidDevice& device = Plug();
    EXPECT_EQ((Sent{{"TOGGLE_MASTER_BATTERY", 0}, {"ANTI_ICE_SET", 1}}),
              Feed(device, {{0x00, 0x11, 0x00, 0x00}}));
    // A short report is skipped, yet becomes the previous report of the next one.
    EXPECT_EQ(Sent{}, Feed(device, {{0x00, 0x00, 0x08}}));
    EXPECT_EQ(Sent{}, Feed(device, {{0x00, 0x00, 0x08, 0x00}}));
}

TEST_F(SwitchTest, GearLampsFollowTheGearWithPower) {
    struct Case {
        const char* what;
        INT32 battery;
        INT32 alternator4;
        INT32 retractable;
        float centre, left, right;
        BYTE lamps;
    } cases[] = {
        {"in transit", 1, 0, 1, 0.5f, 0.5f, 0.5f, 0x38},
        {"down", 1, 0, 1, 1.0f, 1.0f, 1.0f, 0x07},
        {"no power", 0, 0, 1, 0.5f, 1.0f, 1.0f, 0x00},
        {"alternator only", 0, 1, 1, 1.0f, 0.5f, 0.0f, 0x11},
        {"fixed gear", 1, 0, 0, 1.0f, 1.0f, 1.0f, 0x00},
        {"thresholds", 1, 0, 1, 0.99f, 0.01f, 0.0099f, 0x18},
    };
    FakeHidDevice& device = Plug();
    EXPECT_EQ((std::vector<Bytes>{{0x00, 0x00}}), device.WrittenFeatureReports());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Data data = {};
        data.battery = c.battery;
        data.alternator[3] = c.alternator4;
        data.gearRetractable = c.retractable;
        data.gear[0] = c.centre;
        data.gear[1] = c.left;
        data.gear[2] = c.right;
        device.ClearWrittenFeatureReports();
        Send(data);
        EXPECT_EQ((std::vector<Bytes>{{0x00, c.lamps}}), device.WrittenFeatureReports());
    }

    // Every change of the block writes the lamps, even when they stay the same.
    Data data = {};
    data.battery = 1;
    data.gearHandle = 1;
    device.ClearWrittenFeatureReports();
    Send(data);
    data.cowlFlap[1] = 0.5f;
    Send(data);
    Send(data);
    EXPECT_EQ(2u, device.WrittenFeatureReports().size());

    panel.CloseAllDevices();
    EXPECT_EQ((Bytes{0x00, 0x00}), device.WrittenFeatureReports().back());
}
