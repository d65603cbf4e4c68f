// The demo's virtual panels driven by the program's own panel classes: what they present, how
// the demo's commands reach the panels, and what the log keeps of the reports written to them.

#include "panels/LampProgrammingFile.h"
#include "panels/PanelClass_Autopilot.h"
#include "panels/PanelClass_Radios.h"
#include "standins/hid-panels/DemoComponents.h"
#include "standins/hid-panels/VirtualHidPanels.h"
#include "standins/nuvex-service/StandinControlClient.h"
#include "tests/support/FakePanelSimConnect.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<BYTE>;

const wchar_t kRadio[] = L"DEMO-RADIO";

std::wstring PathOf(CVirtualHidPanels& panels, const wchar_t* serial) {
    return panels.Driver().FindBySerial(serial)->Path();
}

// The reports the program wrote to one panel, in order.
std::vector<Bytes> ReportsOf(CVirtualHidPanels& panels, const std::wstring& serial) {
    std::vector<Bytes> reports;
    for (const CFeatureReportLog::Entry& entry : panels.Log().Entries()) {
        if (entry.serial == serial)
            reports.push_back(entry.report);
    }
    return reports;
}

// The radio's displays: upper left and right, lower left and right, as digit bytes.
Bytes Displays(const Bytes& report) {
    return report.size() == 23 ? Bytes(report.begin() + 1, report.begin() + 21) : Bytes{};
}

Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

const Bytes kCom1 = {0x01, 0x01, 0xD8, 0x00, 0x00, 0x01, 0x02, 0xD1, 0x05, 0x00}; // 118.00 121.50
const Bytes kCom2 = {0x01, 0x02, 0xD2, 0x08, 0x00, 0x01, 0x02, 0xD4, 0x03, 0x05}; // 122.80 124.35
const Bytes kNav1 = {0x01, 0x01, 0xD0, 0x03, 0x00, 0x01, 0x01, 0xD3, 0x09, 0x00}; // 110.30 113.90

CPanelClass_Radios::Data PoweredRadios() {
    CPanelClass_Radios::Data data = {};
    data.power.avionicsMaster = 1;
    data.power.battery = 1;
    const INT32 frequencies[] = {0x1800, 0x2150, 0x2280, 0x2435, 0x1030, 0x1390, 0x0890, 0x1570};
    std::copy(std::begin(frequencies), std::end(frequencies), data.frequency);
    return data;
}

class VirtualHidPanelsTest : public ::testing::Test {
protected:
    ~VirtualHidPanelsTest() override { radios.CloseAllDevices(); }

    // The radio panel, powered and tuned, with the virtual radio plugged in.
    void PlugInRadio() {
        DWORD pages = 1;
        radios.OnSimInitialize(pages);
        const CPanelClass_Radios::Data data = PoweredRadios();
        radios.OnSimRecieveData(radios.DefineId(), &data, sizeof(data));
        radios.OnDeviceArrival(PathOf(panels, kRadio).c_str());
    }

    Bytes LastRadioDisplays() {
        const std::vector<Bytes> reports = ReportsOf(panels, kRadio);
        return reports.empty() ? Bytes{} : Displays(reports.back());
    }

    CVirtualHidPanels panels;
    FakePanelSimConnect sim;
    CPanelClass_Radios radios{panels.Driver(), sim};
};

} // namespace

// The demo build hands every virtual device to every panel once it is initialised; each panel
// opens its own one, as its attach reports show, and closes it at the end.
TEST(DemoComponentsTest, EachPanelOfTheProgramOpensItsOwnVirtualPanel) {
    CVirtualHidPanels panels;
    DravikComponents components = DemoComponents(panels.Driver());
    ASSERT_EQ(components.panels.size(), 4u);
    DWORD pages = 1;
    for (auto& panel : components.panels)
        panel->OnSimInitialize(pages);

    std::vector<std::pair<std::wstring, size_t>> attached;
    for (const CFeatureReportLog::Entry& entry : panels.Log().Entries())
        attached.emplace_back(entry.serial, entry.report.size());
    const std::vector<std::pair<std::wstring, size_t>> expected = {
        {L"DEMO-MULTI", 13},      {L"DEMO-RADIO", 23},
        {L"DEMO-SWITCH", 2},      {L"DEMO-ANNUNCIATOR", 2}, // brightness
        {L"DEMO-ANNUNCIATOR", 7},                           // lamps dark
    };
    EXPECT_EQ(attached, expected);

    for (auto& panel : components.panels)
        panel->CloseAllDevices();
    const std::vector<CFeatureReportLog::Entry> entries = panels.Log().Entries();
    ASSERT_EQ(entries.size(), expected.size() + 4);
    EXPECT_EQ(entries[5].report, Bytes({0x00, 0x0F, 0x0F, 0x0F, 0x0F, 0x0F, 0x0F, 0x0F, 0x0F, 0x0F,
                                        0x0F, 0x00, 0x00}));
    EXPECT_EQ(entries[8].report, Bytes({0xB8, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}));
}

TEST(DemoComponentsTest, TheAnnunciatorAnswersWithItsSerialNumber) {
    CVirtualHidPanels panels;
    auto feature = panels.Driver().OpenFeatureDevice(PathOf(panels, L"DEMO-ANNUNCIATOR").c_str());
    ASSERT_TRUE(feature);
    EXPECT_EQ(ReadSerialNumber(*feature), L"DEMO-ANNUNCIATOR");
    EXPECT_FALSE(panels.Driver().OpenFeatureDevice(L"\\\\?\\hid#vid_2f3a&pid_0101#other"));
}

// The selectors stand where the virtual panel holds them when it is plugged in, and a command
// answers only once the panel has handled its report, so the display already shows the change.
TEST_F(VirtualHidPanelsTest, SelectorsAreReadAtAttachAndMovedByCommands) {
    PlugInRadio();
    EXPECT_EQ(LastRadioDisplays(), Concat({kCom1, kNav1}));

    EXPECT_EQ(panels.Control().Execute(L"switch DEMO-RADIO 1 0x7f 0x02"), L"OK");
    EXPECT_EQ(LastRadioDisplays(), Concat({kCom2, kNav1}));

    // The lower selector spans two bytes: COM1 is bit 0x80 of byte 1, COM2 bit 0x01 of byte 2.
    EXPECT_EQ(panels.Control().Execute(L"switch DEMO-RADIO 1 0x80 0x00 2 0x3f 0x01"), L"OK");
    EXPECT_EQ(LastRadioDisplays(), Concat({kCom2, kCom2}));
}

// Knob steps are paced so that the radio's filter, which drops every second step of a knob
// turned faster than a step per 150 ms, takes every one.
TEST_F(VirtualHidPanelsTest, EveryKnobStepAndButtonPressReachesTheSimulator) {
    PlugInRadio();
    EXPECT_EQ(panels.Control().Execute(L"press DEMO-RADIO 3 0x04 3"), L"OK");
    EXPECT_EQ(panels.Control().Execute(L"press DEMO-RADIO 3 0x02"), L"OK");
    EXPECT_EQ(panels.Control().Execute(L"press DEMO-RADIO 2 0x40"), L"OK");
    EXPECT_EQ(sim.TransmittedNames(),
              std::vector<std::string>({"COM_RADIO_WHOLE_INC", "COM_RADIO_WHOLE_INC",
                                        "COM_RADIO_WHOLE_INC", "COM_RADIO_FRACT_DEC",
                                        "COM_STBY_RADIO_SWAP"}));
}

TEST_F(VirtualHidPanelsTest, CommandsThatCannotBeCarriedOutAnswerWithAnError) {
    const wchar_t* const refused[] = {
        L"press DEMO-RADIO 3 0x04",       // the radio is not open yet: no one takes the report
        L"press DEMO-ANNUNCIATOR 1 0x01", // a panel without input
        L"press DEMO-NOTHING 1 0x01",
        L"press DEMO-RADIO 4 0x01",
        L"press DEMO-RADIO 1 0x100",
        L"press DEMO-RADIO 1 0x01 0",
        L"switch DEMO-RADIO 1 0x7f",
        L"quiet",
        L"turn DEMO-RADIO",
        L"",
    };
    for (const wchar_t* command : refused)
        EXPECT_EQ(panels.Control().Execute(command).rfind(L"ERROR", 0), 0u) << command;
}

TEST_F(VirtualHidPanelsTest, CommandsArriveThroughTheControlPipe) {
    const std::wstring pipe = L"\\\\.\\pipe\\DravikHidPanelsTest";
    ASSERT_TRUE(panels.StartControl(pipe));
    PlugInRadio();
    std::wstring reply;
    ASSERT_TRUE(CStandinControlClient::Send(L"switch DEMO-RADIO 1 0x7f 0x02", reply, 5000, pipe));
    EXPECT_EQ(reply, L"OK");
    EXPECT_EQ(LastRadioDisplays(), Concat({kCom2, kNav1}));
    ASSERT_TRUE(CStandinControlClient::Send(L"quiet 50", reply, 5000, pipe));
    EXPECT_EQ(reply, L"OK");
}

// The demo reads the file while the program runs: every report is a line as soon as it is
// written.
TEST_F(VirtualHidPanelsTest, TheLogFileHoldsEveryReportAsItIsWritten) {
    wchar_t folder[MAX_PATH] = {};
    ASSERT_NE(GetTempPathW(MAX_PATH, folder), 0u);
    const std::wstring path = std::wstring(folder) + L"virtual-panels-test.log";
    {
        CVirtualHidPanels logged(path);
        FakePanelSimConnect loggedSim;
        CPanelClass_Autopilot multi(logged.Driver(), loggedSim);
        multi.OnDeviceArrival(PathOf(logged, L"DEMO-MULTI").c_str());

        std::ifstream file(std::filesystem::path(path), std::ios::binary);
        std::stringstream text;
        text << file.rdbuf();
        EXPECT_EQ(text.str(), "DEMO-MULTI 00 FF FF FF FF FF FF FF FF FF FF 00 00\r\n");
        multi.CloseAllDevices();
    }
    DeleteFileW(path.c_str());
}
