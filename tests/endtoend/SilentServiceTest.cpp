// The display-device service stops answering while the program runs. The display misses what
// changed meanwhile and gets the latest lines once the service answers again; and when the
// simulator quits while the service is silent, the program ends within one time-out of the
// library (5 s) and a margin, however much changed before.

#include "tests/endtoend/ProgramSession.h"

namespace {

// One time-out of the library, and room for a slow machine.
constexpr ULONGLONG kQuitBoundMs = 5000 + 5000;

} // namespace

TEST(SilentService, TheDisplayCatchesUpAndTheProgramStillEndsWithinOneTimeOut) {
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
    EXPECT_TRUE(program.WaitLine(2, L" 119.70  113.90 "));

    ASSERT_TRUE(CProgramSession::Command(L"freeze"));
    simulator.SetVariable("COM STANDBY FREQUENCY:1", "MHz", 118.7);
    simulator.SetVariable("NAV STANDBY FREQUENCY:1", "MHz", 112.9);
    ASSERT_TRUE(CProgramSession::Command(L"resume"));
    EXPECT_TRUE(program.WaitLine(2, L" 118.70  112.90 "));

    ASSERT_TRUE(CProgramSession::Command(L"freeze"));
    for (double standby : {117.7, 116.7, 115.7, 114.7})
        simulator.SetVariable("COM STANDBY FREQUENCY:1", "MHz", standby);
    const ULONGLONG quit = GetTickCount64();
    simulator.Quit();
    bool ran = false;
    EXPECT_TRUE(program.WaitForEnd(60000, ran));
    const ULONGLONG ended = GetTickCount64() - quit;
    EXPECT_LT(ended, kQuitBoundMs) << "the program ended " << ended << " ms after the quit";
    EXPECT_TRUE(ran);
    EXPECT_TRUE(CProgramSession::Command(L"resume"));
}
