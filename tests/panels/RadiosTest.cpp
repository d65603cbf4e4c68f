#include "panels/PanelClass_Radios.h"
#include "panels/PanelIds.h"
#include "tests/panels/PanelTestSupport.h"
#include "tests/support/FakeHidDevice.h"
#include "tests/support/FakePanelSimConnect.h"
#include "tests/support/TraceCapture.h"

#include "common/UniqueHandle.h"

#include <gtest/gtest.h>

#include <atomic>

using paneltest::Bytes;
using paneltest::Hex;
using Data = CPanelClass_Radios::Data;

namespace {

std::atomic<DWORD> g_now{100000};
DWORD WINAPI TestClock() {
    return g_now;
}

enum Mode { COM1, COM2, NAV1, NAV2, ADF, DME, XPDR };

// What one half shows in each mode for SampleData(): left display, then right display.
const Bytes kShown[] = {
    {0x01, 0x01, 0xD8, 0x00, 0x00, 0x01, 0x02, 0xD1, 0x05, 0x00}, // COM1 118.00 / 121.50
    {0x01, 0x01, 0xD2, 0x02, 0x05, 0x01, 0x03, 0xD6, 0x09, 0x07}, // COM2 112.25 / 136.97
    {0x01, 0x01, 0xD0, 0x08, 0x00, 0x01, 0x01, 0xD1, 0x05, 0x00}, // NAV1 110.80 / 111.50
    {0x01, 0x00, 0xD9, 0x09, 0x05, 0x01, 0x01, 0xD1, 0x07, 0x00}, // NAV2 109.95 / 111.70
    {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x03, 0x04, 0xD4, 0x00}, // ADF 0344.0
    {0xFF, 0x00, 0x01, 0xD2, 0x03, 0xFF, 0x01, 0x04, 0xD0, 0x00}, // DME 012.3 nm, 140.0 kt
    {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x01, 0x02, 0x00, 0x00}, // XPDR 1200
};
const Bytes kDarkHalf(10, 0xFF);

Data SampleData() {
    Data data = {};
    data.power.avionicsMaster = 1;
    data.power.battery = 1;
    const INT32 frequencies[] = {0x1800, 0x2150, 0x1225, 0x3697, 0x1080, 0x1150, 0x0995, 0x1170};
    std::copy(std::begin(frequencies), std::end(frequencies), data.frequency);
    data.adfActive = 0x03440000;
    data.adfStandby = 0x03990000;
    data.transponder = 0x1200;
    data.dmeDistance = 12.3f;
    data.dmeSpeed = 140.0f;
    return data;
}

// The feature report of a panel whose selectors stand at `upper` and `lower`.
Bytes SelectorReport(int upper, int lower) {
    Bytes report(23, 0);
    report[1] = static_cast<BYTE>(1 << upper);
    if (lower == COM1)
        report[1] |= 0x80;
    else
        report[2] = static_cast<BYTE>(1 << (lower - 1));
    return report;
}

Bytes Upper(const Bytes& report) {
    return Bytes(report.begin() + 1, report.begin() + 11);
}
Bytes Lower(const Bytes& report) {
    return Bytes(report.begin() + 11, report.begin() + 21);
}

struct DataDelivery {
    CPanelClass_Radios* panel;
    Data data;
};

// The simulator's data as the main thread hands it over.
DWORD WINAPI DeliverData(void* context) {
    auto* delivery = static_cast<DataDelivery*>(context);
    delivery->panel->OnSimRecieveData(static_cast<DWORD>(delivery->panel->DefineId()),
                                      &delivery->data, sizeof(delivery->data));
    return 0;
}

class RadiosTest : public ::testing::Test {
protected:
    RadiosTest() {
        panel.SetTickSource(&TestClock);
        DWORD pages = 3;
        panel.OnSimInitialize(pages);
    }

    FakeHidDevice& Plug(const Bytes& feature) {
        std::wstring path = L"radio-" + std::to_wstring(++m_devices);
        FakeHidDevice& device = hid.AddDevice(path, kPanelVendorId, kRadioPanelProductId);
        device.SetFeatureReport(feature);
        panel.OnDeviceArrival(path.c_str());
        EXPECT_TRUE(device.WaitUntilIdle());
        return device;
    }

    void Send(const Data& data) {
        panel.OnSimRecieveData(static_cast<DWORD>(panel.DefineId()), &data, sizeof(data));
    }

    // One press: the report, then everything released. Each press is a second later than the
    // last, so the knob filters let it through.
    void Press(FakeHidDevice& device, BYTE b1, BYTE b2, BYTE b3) {
        g_now += 1000;
        device.QueueInputReport({0x00, b1, b2, b3});
        device.QueueInputReport({0x00, 0x00, 0x00, 0x00});
        ASSERT_TRUE(device.WaitUntilIdle());
    }

    void Step(FakeHidDevice& device, DWORD atMs, BYTE b3) {
        g_now = atMs;
        device.QueueInputReport({0x00, 0x00, 0x00, b3});
        device.QueueInputReport({0x00, 0x00, 0x00, 0x00});
        ASSERT_TRUE(device.WaitUntilIdle());
    }

    static Bytes Last(const FakeHidDevice& device) {
        std::vector<Bytes> written = device.WrittenFeatureReports();
        return written.empty() ? Bytes{} : written.back();
    }

    FakeHidDriver hid;
    FakePanelSimConnect sim;
    CPanelClass_Radios panel{hid, sim};

private:
    int m_devices = 0;
};

} // namespace

TEST_F(RadiosTest, DefinesItsDatumsAndMapsItsEventsInOrder) {
    struct Expected {
        const char* name;
        const char* units;
        simconnect::DataType type;
    } expected[] = {
        {"com active frequency:1", "Frequency BCD16", simconnect::DataTypeInt32},
        {"com standby frequency:1", "Frequency BCD16", simconnect::DataTypeInt32},
        {"com active frequency:2", "Frequency BCD16", simconnect::DataTypeInt32},
        {"com standby frequency:2", "Frequency BCD16", simconnect::DataTypeInt32},
        {"nav active frequency:1", "Frequency BCD16", simconnect::DataTypeInt32},
        {"nav standby frequency:1", "Frequency BCD16", simconnect::DataTypeInt32},
        {"nav active frequency:2", "Frequency BCD16", simconnect::DataTypeInt32},
        {"nav standby frequency:2", "Frequency BCD16", simconnect::DataTypeInt32},
        {"adf active frequency:1", "Frequency ADF BCD32", simconnect::DataTypeInt32},
        {"adf standby frequency:1", "Frequency ADF BCD32", simconnect::DataTypeInt32},
        {"transponder code:1", "BCO16", simconnect::DataTypeInt32},
        {"nav dme:1", "nmiles", simconnect::DataTypeFloat32},
        {"nav dmespeed:1", "Knots", simconnect::DataTypeFloat32},
        {"PARTIAL PANEL ELECTRICAL", "ENUM", simconnect::DataTypeInt32},
        {"COM STATUS:1", "ENUM", simconnect::DataTypeInt32},
        {"COM STATUS:2", "ENUM", simconnect::DataTypeInt32},
        {"PARTIAL PANEL AVIONICS", "ENUM", simconnect::DataTypeInt32},
        {"PARTIAL PANEL AVIONICS", "ENUM", simconnect::DataTypeInt32},
        {"PARTIAL PANEL AVIONICS", "ENUM", simconnect::DataTypeInt32},
        {"PARTIAL PANEL TRANSPONDER", "ENUM", simconnect::DataTypeInt32},
        {"PARTIAL PANEL AVIONICS", "ENUM", simconnect::DataTypeInt32},
    };
    std::vector<FakePanelSimConnect::Datum> datums = sim.Datums();
    ASSERT_EQ(27u, datums.size());
    EXPECT_EQ("AVIONICS MASTER SWITCH", datums[0].name);
    for (size_t i = 0; i < datums.size(); ++i) {
        EXPECT_EQ(i, datums[i].datumId);
        EXPECT_EQ(static_cast<DWORD>(panel.DefineId()), datums[i].defineId);
        EXPECT_EQ(0.0f, datums[i].epsilon);
    }
    for (size_t i = 0; i < std::size(expected); ++i) {
        EXPECT_EQ(expected[i].name, datums[6 + i].name);
        EXPECT_EQ(expected[i].units, datums[6 + i].units);
        EXPECT_EQ(expected[i].type, datums[6 + i].type);
    }

    std::vector<std::string> events = {
        "COM_RADIO_WHOLE_INC",   "COM_RADIO_WHOLE_DEC",   "COM_RADIO_FRACT_INC",
        "COM_RADIO_FRACT_DEC",   "COM_STBY_RADIO_SWAP",   "COM2_RADIO_WHOLE_INC",
        "COM2_RADIO_WHOLE_DEC",  "COM2_RADIO_FRACT_INC",  "COM2_RADIO_FRACT_DEC",
        "COM2_RADIO_SWAP",       "NAV1_RADIO_WHOLE_INC",  "NAV1_RADIO_WHOLE_DEC",
        "NAV1_RADIO_FRACT_INC",  "NAV1_RADIO_FRACT_DEC",  "NAV1_RADIO_SWAP",
        "NAV2_RADIO_WHOLE_INC",  "NAV2_RADIO_WHOLE_DEC",  "NAV2_RADIO_FRACT_INC",
        "NAV2_RADIO_FRACT_DEC",  "NAV2_RADIO_SWAP",       "XPNDR_1000_INC",
        "XPNDR_1000_DEC",        "XPNDR_100_INC",         "XPNDR_100_DEC",
        "XPNDR_10_INC",          "XPNDR_10_DEC",          "XPNDR_1_INC",
        "XPNDR_1_DEC",           "ADF1_WHOLE_INC",        "ADF1_WHOLE_DEC",
        "ADF1_RADIO_TENTHS_INC", "ADF1_RADIO_TENTHS_DEC", "ADF1_RADIO_SWAP",
    };
    EXPECT_EQ(events, sim.MappedEventNames());
    EXPECT_EQ(1, sim.GroupPriorityCalls());
}

TEST_F(RadiosTest, DefinitionFailuresAreTracedWithTheirLabels) {
    struct Case {
        size_t failingCall;
        const wchar_t* line;
        bool eventsMapped;
    } cases[] = {
        {0, L"  AddToDataDefinition(m_defineid, AVIONICS MASTER SWITCH,...) returned 80004001\n",
         true},
        {6, L"  AddToDataDefinition(m_defineid, com active frequency:1, ...) returned 80004001\n",
         false},
        {17, L"  AddToDataDefinition(m_defineid, nav1 dme, ...) returned 80004001\n", false},
        {18, L"  AddToDataDefinition(m_defineid, nav1 dmespeed, ...) returned 80004001\n", false},
        {21, L"  AddToDataDefinition(m_defineid, PARTIAL PANEL COMM, ...) returned 80004001\n",
         false},
        {25,
         L"  AddToDataDefinition(m_defineid, PARTIAL PANEL TRANSPONDER, ...) returned 80004001\n",
         false},
        {26, L"  AddToDataDefinition(m_defineid, PARTIAL PANEL AVIONICS, ...) returned 80004001\n",
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.failingCall);
        FakePanelSimConnect failing;
        failing.FailAddToDefinitionAt(c.failingCall, E_NOTIMPL);
        failing.FailSetGroupPriority(E_FAIL);
        CPanelClass_Radios radios(hid, failing);
        CTraceCapture trace;
        DWORD pages = 0;
        radios.OnSimInitialize(pages);
        std::vector<std::wstring> lines = {c.line};
        if (c.eventsMapped)
            lines.push_back(L"  SetNotificationGroupPriority(m_groupid, "
                            L"SIMCONNECT_GROUP_PRIORITY_HIGHEST) returned 80004005\n");
        EXPECT_EQ(lines, trace.Lines());
        EXPECT_EQ(c.eventsMapped, !failing.MappedEventNames().empty());
    }
}

TEST_F(RadiosTest, EachModeShowsItsRadioOnEitherHalf) {
    Send(SampleData());
    for (int mode = COM1; mode <= XPDR; ++mode) {
        SCOPED_TRACE(mode);
        FakeHidDevice& device = Plug(SelectorReport(mode, (mode + 3) % 7));
        Bytes report = Last(device);
        ASSERT_EQ(23u, report.size());
        EXPECT_EQ(0x00, report[0]);
        EXPECT_EQ(Hex(kShown[mode]), Hex(Upper(report)));
        EXPECT_EQ(Hex(kShown[(mode + 3) % 7]), Hex(Lower(report)));
        EXPECT_EQ(0x00, report[21]);
        EXPECT_EQ(0x00, report[22]);
    }
}

TEST_F(RadiosTest, AFailedRadioBlanksItsOwnDisplays) {
    struct Case {
        int mode;
        int failedPosition;
        Bytes shown;
    } cases[] = {
        {COM1, COM1, kDarkHalf},
        {COM1, COM2, kShown[COM1]},
        {NAV2, NAV2, kDarkHalf},
        {ADF, ADF, kDarkHalf},
        {DME, DME, Bytes{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x01, 0x04, 0xD0, 0x00}},
        {DME, XPDR, Bytes{0xFF, 0x00, 0x01, 0xD2, 0x03, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}},
        // The transponder display follows the failure flag of the DME position.
        {XPDR, DME, kDarkHalf},
        {XPDR, XPDR, kShown[XPDR]},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.mode << " failed " << c.failedPosition);
        Data data = SampleData();
        data.failure[c.failedPosition] = 1;
        Send(data);
        FakeHidDevice& device = Plug(SelectorReport(c.mode, COM2));
        EXPECT_EQ(Hex(c.shown), Hex(Upper(Last(device))));
    }
}

TEST_F(RadiosTest, AttachReadsTheSelectorPositions) {
    struct Case {
        BYTE b1;
        BYTE b2;
        int upper;
        int lower;
    } cases[] = {
        {0x01, 0x01, COM1, COM2},
        {0x40, 0x20, XPDR, XPDR},
        {0x84, 0x00, NAV1, COM1},
        {0x00, 0x00, COM2, COM2},
        {0x03, 0x00, COM2, COM2},
        // A swap bit beside the lower selector's bit hides the position.
        {0x10, 0x42, ADF, COM2},
    };
    Send(SampleData());
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << int(c.b1) << " " << int(c.b2));
        Bytes feature(23, 0);
        feature[1] = c.b1;
        feature[2] = c.b2;
        FakeHidDevice& device = Plug(feature);
        EXPECT_EQ(Hex(kShown[c.upper]), Hex(Upper(Last(device))));
        EXPECT_EQ(Hex(kShown[c.lower]), Hex(Lower(Last(device))));
    }

    // A device whose feature report cannot be read starts in COM2 on both halves.
    FakeHidDevice& unreadable = Plug({});
    EXPECT_EQ(Hex(kShown[COM2]), Hex(Upper(Last(unreadable))));
    EXPECT_EQ(Hex(kShown[COM2]), Hex(Lower(Last(unreadable))));
}

TEST_F(RadiosTest, DisplaysFollowThePowerAndDarkenOnDetach) {
    FakeHidDevice& device = Plug(SelectorReport(COM1, NAV1));
    Bytes dark(23, 0xFF);
    dark[0] = dark[21] = dark[22] = 0x00;
    ASSERT_EQ(1u, device.WrittenFeatureReports().size());
    EXPECT_EQ(Hex(dark), Hex(Last(device)));

    Data data = SampleData();
    data.power.battery = 0;
    data.power.alternator[2] = 1;
    Send(data);
    EXPECT_EQ(Hex(kShown[COM1]), Hex(Upper(Last(device))));
    EXPECT_EQ(Hex(kShown[NAV1]), Hex(Lower(Last(device))));

    data.power.avionicsMaster = 0;
    Send(data);
    EXPECT_EQ(Hex(dark), Hex(Last(device)));

    panel.CloseAllDevices();
    Bytes detached(23, 0xFF);
    detached[0] = 0x00;
    EXPECT_EQ(Hex(detached), Hex(Last(device)));
}

// A device that hangs while its read thread writes to it must not hold up the simulator's data
// (nor any other device of the panel), and the report the data makes still reaches it after
// the one it was writing.
TEST_F(RadiosTest, DataIsNotHeldUpByAReadThreadWaitingOnItsDevice) {
    FakeHidDevice& device = Plug(SelectorReport(COM1, COM2));
    Send(SampleData());
    device.HoldFeatureWrites();
    g_now += 1000;
    device.QueueInputReport({0x00, 1 << NAV1, 0x00, 0x00}); // upper selector to NAV1
    ASSERT_TRUE(device.WaitUntilWriteHeld());

    DataDelivery delivery = {&panel, SampleData()};
    delivery.data.frequency[4] = 0x1090; // NAV1 active 110.90
    UniqueHandle main(CreateThread(nullptr, 0, DeliverData, &delivery, 0, nullptr));
    ASSERT_TRUE(main);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(main.get(), 5000))
        << "the data waited for the device the read thread writes to";
    device.ReleaseFeatureWrites();
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(main.get(), 10000));
    ASSERT_TRUE(device.WaitUntilIdle());

    std::vector<Bytes> written = device.WrittenFeatureReports();
    ASSERT_GE(written.size(), 2u);
    Bytes newer = kShown[NAV1];
    newer[3] = 0x09;
    EXPECT_EQ(Hex(kShown[NAV1]), Hex(Upper(written[written.size() - 2])));
    EXPECT_EQ(Hex(newer), Hex(Upper(written.back())));
}

TEST_F(RadiosTest, AnUnchangedReportIsWrittenOnlyWhenForced) {
    FakeHidDevice& device = Plug(SelectorReport(COM1, COM2));
    Data unpowered = SampleData();
    unpowered.power.avionicsMaster = 0;
    Send(unpowered);
    EXPECT_EQ(1u, device.WrittenFeatureReports().size());

    // Dark either way, but a mode change rewrites the report.
    Press(device, 0x02, 0x00, 0x00);
    EXPECT_EQ(2u, device.WrittenFeatureReports().size());
    Press(device, 0x00, 0x00, 0x00);
    EXPECT_EQ(2u, device.WrittenFeatureReports().size());
}

TEST_F(RadiosTest, KnobsAndSwapSendTheEventsOfTheSelectedRadio) {
    struct Case {
        int upper;
        int lower;
        BYTE b2;
        BYTE b3;
        std::vector<std::string> events;
    } cases[] = {
        {COM1, COM2, 0x00, 0x04, {"COM_RADIO_WHOLE_INC"}},
        {COM1, COM2, 0x00, 0x08, {"COM_RADIO_WHOLE_DEC"}},
        {COM1, COM2, 0x00, 0x01, {"COM_RADIO_FRACT_INC"}},
        {COM1, COM2, 0x00, 0x02, {"COM_RADIO_FRACT_DEC"}},
        {COM1, COM2, 0x40, 0x00, {"COM_STBY_RADIO_SWAP"}},
        {COM2, NAV2, 0x00, 0x08, {"COM2_RADIO_WHOLE_DEC"}},
        {COM2, NAV2, 0x00, 0x40, {"NAV2_RADIO_WHOLE_INC"}},
        {COM2, NAV2, 0x00, 0x80, {"NAV2_RADIO_WHOLE_DEC"}},
        {COM2, NAV2, 0x00, 0x10, {"NAV2_RADIO_FRACT_INC"}},
        {COM2, NAV2, 0x00, 0x20, {"NAV2_RADIO_FRACT_DEC"}},
        {COM2, NAV2, 0x80, 0x00, {"NAV2_RADIO_SWAP"}},
        {NAV1, NAV1, 0x00, 0x22, {"NAV1_RADIO_FRACT_DEC", "NAV1_RADIO_FRACT_DEC"}},
        // ADF: the standby frequency is never shown, yet the swap button sends its event.
        {ADF, COM1, 0x40, 0x05, {"ADF1_RADIO_SWAP", "ADF1_WHOLE_INC", "ADF1_RADIO_TENTHS_INC"}},
        {COM1, ADF, 0x80, 0x00, {"ADF1_RADIO_SWAP"}},
        {DME, DME, 0xC0, 0x0F, {}},
    };
    Send(SampleData());
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.upper << "/" << c.lower << " " << std::hex << int(c.b2)
                                        << " " << int(c.b3));
        FakeHidDevice& device = Plug(SelectorReport(c.upper, c.lower));
        Bytes feature = SelectorReport(c.upper, c.lower);
        sim.ClearTransmissions();
        // The selectors' own bits stay set, as the hardware reports them.
        Press(device, 0x00, 0x00, 0x00);
        Press(device, feature[1], static_cast<BYTE>(feature[2] | c.b2), c.b3);
        EXPECT_EQ(c.events, sim.TransmittedNames());
    }
}

TEST_F(RadiosTest, TheTransponderSwapChoosesTheDigitPairOfEachHalf) {
    Send(SampleData());
    FakeHidDevice& device = Plug(SelectorReport(XPDR, XPDR));
    Press(device, 0x00, 0x00, 0x01);
    Press(device, 0x00, 0x00, 0x04);
    Press(device, 0x00, 0x40, 0x00); // upper swap: thousands and hundreds
    Press(device, 0x00, 0x00, 0x01);
    Press(device, 0x00, 0x00, 0x08);
    Press(device, 0x00, 0x00, 0x10); // the lower half keeps the low pair
    Press(device, 0x00, 0x40, 0x00); // upper swap again: back to the low pair
    Press(device, 0x00, 0x00, 0x02);
    Press(device, 0x00, 0x80, 0x00); // lower swap
    Press(device, 0x00, 0x00, 0x80);
    EXPECT_EQ(
        (std::vector<std::string>{"XPNDR_1_INC", "XPNDR_10_INC", "XPNDR_100_INC", "XPNDR_1000_DEC",
                                  "XPNDR_1_INC", "XPNDR_1_DEC", "XPNDR_1000_DEC"}),
        sim.TransmittedNames());
}

TEST_F(RadiosTest, WithoutPowerOrWithAFailedRadioNothingIsSent) {
    Data unpowered = SampleData();
    unpowered.power.battery = 0;
    Send(unpowered);
    FakeHidDevice& device = Plug(SelectorReport(COM1, XPDR));
    Press(device, 0x00, 0xC0, 0x11);
    // The selector and the transponder pair still follow the controls.
    Press(device, 0x04, 0x00, 0x00);
    EXPECT_TRUE(sim.TransmittedNames().empty());

    Send(SampleData());
    EXPECT_EQ(Hex(kShown[NAV1]), Hex(Upper(Last(device))));
    Press(device, 0x00, 0x00, 0x10);
    EXPECT_EQ((std::vector<std::string>{"XPNDR_100_INC"}), sim.TransmittedNames());

    sim.ClearTransmissions();
    Data failed = SampleData();
    failed.failure[NAV1] = 1;
    Send(failed);
    Press(device, 0x00, 0x00, 0x24);
    EXPECT_EQ((std::vector<std::string>{"XPNDR_100_DEC"}), sim.TransmittedNames());
}

TEST_F(RadiosTest, AKnobStepActsOnTheRadioSelectedInTheSameReport) {
    Send(SampleData());
    FakeHidDevice& device = Plug(SelectorReport(COM1, COM2));
    Press(device, 0x04, 0x00, 0x01);
    EXPECT_EQ((std::vector<std::string>{"NAV1_RADIO_FRACT_INC"}), sim.TransmittedNames());
    EXPECT_EQ(Hex(kShown[NAV1]), Hex(Upper(Last(device))));
}

TEST_F(RadiosTest, AKnobBitStillSetIsNotANewStep) {
    Send(SampleData());
    FakeHidDevice& device = Plug(SelectorReport(COM1, COM2));
    g_now += 1000;
    device.QueueInputReport({0x00, 0x00, 0x00, 0x01});
    device.QueueInputReport({0x00, 0x00, 0x00, 0x01});
    ASSERT_TRUE(device.WaitUntilIdle());
    EXPECT_EQ(1u, sim.TransmittedNames().size());
}

TEST_F(RadiosTest, TheKnobFiltersDropReversalsAndHalveFastTurns) {
    struct Case {
        const char* what;
        std::vector<std::pair<DWORD, BYTE>> steps; // time, knob bits
        std::vector<std::string> events;
    } cases[] = {
        {"fast steps up", {{0, 0x01}, {50, 0x01}}, {"COM_RADIO_FRACT_INC"}},
        {"slow steps up", {{0, 0x01}, {200, 0x01}}, {"COM_RADIO_FRACT_INC", "COM_RADIO_FRACT_INC"}},
        {"reversal", {{0, 0x01}, {50, 0x02}}, {"COM_RADIO_FRACT_INC"}},
        {"late reversal", {{0, 0x01}, {120, 0x02}}, {"COM_RADIO_FRACT_INC", "COM_RADIO_FRACT_DEC"}},
        {"every second fast step",
         {{0, 0x01}, {40, 0x01}, {80, 0x01}, {120, 0x01}},
         {"COM_RADIO_FRACT_INC", "COM_RADIO_FRACT_INC"}},
        {"knobs apart", {{0, 0x01}, {20, 0x04}}, {"COM_RADIO_FRACT_INC", "COM_RADIO_WHOLE_INC"}},
        {"two knobs at once are not filtered",
         {{0, 0x05}, {10, 0x05}},
         {"COM_RADIO_WHOLE_INC", "COM_RADIO_FRACT_INC", "COM_RADIO_WHOLE_INC",
          "COM_RADIO_FRACT_INC"}},
    };
    Send(SampleData());
    DWORD start = 1000000;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CPanelClass_Radios radios(hid, sim);
        radios.SetTickSource(&TestClock);
        DWORD pages = 0;
        radios.OnSimInitialize(pages);
        Data data = SampleData();
        radios.OnSimRecieveData(static_cast<DWORD>(radios.DefineId()), &data, sizeof(data));
        FakeHidDevice& device = hid.AddDevice(L"filtered", kPanelVendorId, kRadioPanelProductId);
        device.SetFeatureReport(SelectorReport(COM1, COM2));
        radios.OnDeviceArrival(L"filtered");
        sim.ClearTransmissions();
        start += 100000;
        for (const auto& step : c.steps)
            Step(device, start + step.first, step.second);
        EXPECT_EQ(c.events, sim.TransmittedNames());
    }
}

TEST_F(RadiosTest, TheFiltersBelongToThePanelNotToADevice) {
    Send(SampleData());
    FakeHidDevice& first = Plug(SelectorReport(COM1, COM2));
    FakeHidDevice& second = Plug(SelectorReport(NAV1, COM2));
    Step(first, 5000000, 0x01);
    Step(second, 5000050, 0x01);
    Step(second, 5000300, 0x01);
    EXPECT_EQ((std::vector<std::string>{"COM_RADIO_FRACT_INC", "NAV1_RADIO_FRACT_INC"}),
              sim.TransmittedNames());
    // Data reaches every device.
    Data data = SampleData();
    data.frequency[4] = 0x1085;
    Send(data);
    EXPECT_EQ(0x05, Last(second)[5]);
    EXPECT_EQ(Hex(kShown[COM1]), Hex(Upper(Last(first))));
}
