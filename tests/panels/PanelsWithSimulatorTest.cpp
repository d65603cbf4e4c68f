// The panels against the stand-in simulator, through the program's own simulator binding.

#include "app/simconnect/SimConnectLibrary.h"
#include "panels/PanelClass_Radios.h"
#include "panels/PanelClass_Switch.h"
#include "panels/PanelIds.h"
#include "tests/panels/PanelTestSupport.h"
#include "tests/support/FakeHidDevice.h"
#include "tests/support/SimConnectStandin.h"

#include <gtest/gtest.h>

using paneltest::Bytes;
using paneltest::Hex;

namespace {

struct DispatchTarget {
    CPanelClass* panels[2];
};

// Hands every object-data message to the panels, as the application does.
void CALLBACK DispatchToPanels(simconnect::Recv* message, DWORD size, void* context) {
    if (message->dwID != simconnect::RecvIdSimObjectData)
        return;
    auto* data = reinterpret_cast<simconnect::RecvSimObjectData*>(message);
    for (CPanelClass* panel : static_cast<DispatchTarget*>(context)->panels)
        panel->OnSimRecieveData(data->dwRequestID, &data->dwData,
                                size - simconnect::kObjectDataHeaderSize);
}

class PanelsWithSimulatorTest : public ::testing::Test {
protected:
    PanelsWithSimulatorTest() : m_messages(CreateEventW(nullptr, FALSE, FALSE, nullptr)) {}
    ~PanelsWithSimulatorTest() override {
        radios.CloseAllDevices();
        switches.CloseAllDevices();
        GetSimConnectLibrary().Close();
    }

    void Dispatch() { GetSimConnectLibrary().CallDispatch(&DispatchToPanels, &m_target); }

    static Bytes UpperHalf(const Bytes& report) {
        return report.size() < 11 ? Bytes{} : Bytes(report.begin() + 1, report.begin() + 11);
    }

    static Bytes Last(const FakeHidDevice& device) {
        std::vector<Bytes> written = device.WrittenFeatureReports();
        return written.empty() ? Bytes{} : written.back();
    }

    CSimConnectStandin sim;
    FakeHidDriver hid;
    CPanelClass_Radios radios{hid};
    CPanelClass_Switch switches{hid};

private:
    UniqueHandle m_messages;
    DispatchTarget m_target = {{&radios, &switches}};

protected:
    bool Open() {
        return GetSimConnectLibrary().Open("Harmel FSX Plugin", nullptr, 0, m_messages.get(), 0) ==
               S_OK;
    }
};

} // namespace

TEST_F(PanelsWithSimulatorTest, KnobsTuneTheSimulatorAndTheDisplaysFollow) {
    ASSERT_TRUE(sim.IsLoaded());
    ASSERT_TRUE(Open());
    sim.SetVariable("AVIONICS MASTER SWITCH", "Bool", 1);
    sim.SetVariable("ELECTRICAL MASTER BATTERY", "Bool", 1);
    sim.SetVariable("COM ACTIVE FREQUENCY:1", "MHz", 118.0);
    sim.SetVariable("COM STANDBY FREQUENCY:1", "MHz", 121.5);
    DWORD pages = 1;
    radios.OnSimInitialize(pages);
    switches.OnSimInitialize(pages);
    radios.OnSimStart();
    switches.OnSimStart();
    Dispatch();

    FakeHidDevice& radio = hid.AddDevice(L"radio", kPanelVendorId, kRadioPanelProductId);
    Bytes selectors(23, 0);
    selectors[1] = 0x81; // COM1 above and below
    radio.SetFeatureReport(selectors);
    radios.OnDeviceArrival(L"radio");
    ASSERT_TRUE(radio.WaitUntilIdle());
    EXPECT_EQ("01 01 D8 00 00 01 02 D1 05 00", Hex(UpperHalf(Last(radio))));

    radio.QueueInputReport({0x00, 0x81, 0x00, 0x04});
    ASSERT_TRUE(radio.WaitUntilIdle());
    ASSERT_TRUE(sim.WaitForTransmissions(1));
    std::vector<CSimConnectStandin::Transmission> sent = sim.Transmissions();
    ASSERT_EQ(1u, sent.size());
    EXPECT_EQ("COM_RADIO_WHOLE_INC", sent[0].eventName);
    EXPECT_EQ(0u, sent[0].objectId);
    EXPECT_EQ(1u, sent[0].groupId);
    EXPECT_EQ(0u, sent[0].data);

    Dispatch();
    EXPECT_EQ("01 01 D8 00 00 01 02 D2 05 00", Hex(UpperHalf(Last(radio))));

    // The switch panel's battery switch, on while the simulator's battery is already on, sends
    // nothing; its avionics switch off sends the toggle.
    FakeHidDevice& panel = hid.AddDevice(L"switch", kPanelVendorId, kSwitchPanelProductId);
    switches.OnDeviceArrival(L"switch");
    panel.QueueInputReport({0x00, 0x05, 0x00, 0x00});
    panel.QueueInputReport({0x00, 0x01, 0x00, 0x00});
    ASSERT_TRUE(panel.WaitUntilIdle());
    ASSERT_TRUE(sim.WaitForTransmissions(2));
    sent = sim.Transmissions();
    ASSERT_EQ(2u, sent.size());
    EXPECT_EQ("TOGGLE_AVIONICS_MASTER", sent[1].eventName);
}
