// A Down press on the COM/NAV page being edited: the service sends the press over the pipe, the
// library hands it to the program, the page sends "COM_RADIO_WHOLE_DEC", the simulator tunes the
// standby frequency and sends new data, and the joystick display receives the new line.

#include "tests/endtoend/ProgramSession.h"

namespace {

bool Transmitted(const CSimConnectStandin& simulator, const std::string& eventName) {
    for (const auto& transmission : simulator.Transmissions())
        if (transmission.eventName == eventName)
            return true;
    return false;
}

} // namespace

TEST(SoftButtonRoad, DownOnTheEditedComStandbyTunesTheSimulatorAndTheDisplayFollows) {
    CSimConnectStandin simulator;
    ASSERT_TRUE(simulator.IsLoaded());
    simulator.SetVariable("COM ACTIVE FREQUENCY:1", "MHz", 121.5);
    simulator.SetVariable("COM STANDBY FREQUENCY:1", "MHz", 119.7);
    simulator.SetVariable("NAV ACTIVE FREQUENCY:1", "MHz", 110.5);
    simulator.SetVariable("NAV STANDBY FREQUENCY:1", "MHz", 113.9);

    CProgramSession program(simulator,
                            "<Dravik><Orvik><ComNav Radio1=\"true\"/><Adf/></Orvik></Dravik>\n");
    ASSERT_TRUE(program.Started());

    EXPECT_TRUE(program.WaitLine(0, L"  COM1    NAV1  "));
    ASSERT_TRUE(simulator.WaitForCount(standin::CallSubscribe, 4));
    EXPECT_TRUE(simulator.RaiseSystemEvent("SimStart"));
    EXPECT_TRUE(program.WaitLine(1, L"[121.50] 110.50 "));
    EXPECT_TRUE(program.WaitLine(2, L" 119.70  113.90 "));

    EXPECT_TRUE(program.Press(4)); // Down: the COM standby MHz part is selected
    EXPECT_TRUE(program.WaitLine(2, L">119.70  113.90 "));
    EXPECT_TRUE(program.Press(1)); // Select: edit it
    EXPECT_TRUE(program.WaitLine(2, L"\u00BB119.70  113.90 "));
    EXPECT_FALSE(Transmitted(simulator, "COM_RADIO_WHOLE_DEC"));
    EXPECT_TRUE(program.Press(4)); // Down: one MHz less
    EXPECT_TRUE(program.WaitLine(2, L"\u00BB118.70  113.90 "));
    EXPECT_TRUE(Transmitted(simulator, "COM_RADIO_WHOLE_DEC"));
    EXPECT_NEAR(simulator.GetVariable("COM STANDBY FREQUENCY:1", "MHz").value_or(0), 118.7, 1e-6);

    simulator.Quit();
    bool ran = false;
    EXPECT_TRUE(program.WaitForEnd(CProgramSession::kWaitMs, ran));
    EXPECT_TRUE(ran);
}
