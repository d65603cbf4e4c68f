#include "standins/simconnect/Scenario.h"

#include <gtest/gtest.h>

namespace {

TEST(ScenarioParserTest, ReadsEachCommandWithItsDelayAndArguments) {
    std::vector<std::string> errors;
    const auto steps = ParseScenario("500 start\n"
                                     "stop\r\n"
                                     "\t# comment\n"
                                     "Pause\n"
                                     "0 resume\n"
                                     "200 set COM ACTIVE FREQUENCY:1 | MHz | 118.5\n"
                                     "event XPNDR_1_INC\n"
                                     "10 event COWLFLAP1_SET 16383\n"
                                     "log tuned  the radios\n"
                                     "1000 QUIT\n"
                                     "waitfile C:\\demo\\go now.txt\n",
                                     errors);
    EXPECT_TRUE(errors.empty());
    ASSERT_EQ(steps.size(), 10u);
    const ScenarioCommand commands[] = {ScenarioCommand::Start, ScenarioCommand::Stop,
                                        ScenarioCommand::Pause, ScenarioCommand::Resume,
                                        ScenarioCommand::Set,   ScenarioCommand::Event,
                                        ScenarioCommand::Event, ScenarioCommand::Log,
                                        ScenarioCommand::Quit,  ScenarioCommand::WaitFile};
    const DWORD delays[] = {500, 0, 0, 0, 200, 0, 10, 0, 1000, 0};
    for (size_t i = 0; i < steps.size(); ++i) {
        EXPECT_EQ(steps[i].command, commands[i]) << i;
        EXPECT_EQ(steps[i].delayMs, delays[i]) << i;
    }
    EXPECT_EQ(steps[0].line, 1u);
    EXPECT_EQ(steps[2].line, 4u);
    EXPECT_EQ(steps[4].name, "COM ACTIVE FREQUENCY:1");
    EXPECT_EQ(steps[4].units, "MHz");
    EXPECT_EQ(steps[4].value, 118.5);
    EXPECT_EQ(steps[5].name, "XPNDR_1_INC");
    EXPECT_EQ(steps[6].data, 16383u);
    EXPECT_EQ(steps[7].name, "tuned  the radios");
    EXPECT_EQ(steps[9].name, "C:\\demo\\go now.txt");
}

TEST(ScenarioParserTest, BadLinesAreReportedWithTheirNumberAndSkipped) {
    const char* badLines[] = {
        "fly",                   // unknown command
        "500",                   // a delay alone
        "-5 start",              // not a delay, not a command
        "99999999999 start",     // delay out of range
        "start now",             // arguments where none are taken
        "set NAME|UNITS",        // missing value
        "set NAME|UNITS|high",   // value not a number
        "set |MHz|1",            // empty name
        "event",                 // missing event name
        "event AP_MASTER minus", // data not a number
        "event AP_MASTER 1 2",   // too many arguments
        "waitfile",              // missing path
    };
    for (const char* line : badLines) {
        std::vector<std::string> errors;
        const auto steps = ParseScenario(std::string("start\n") + line + "\nquit\n", errors);
        EXPECT_EQ(steps.size(), 2u) << line;
        ASSERT_EQ(errors.size(), 1u) << line;
        EXPECT_EQ(errors[0].rfind("scenario line 2: ", 0), 0u) << errors[0];
        EXPECT_NE(errors[0].find(line), std::string::npos) << errors[0];
    }
}

TEST(ScenarioParserTest, TheDemoScenarioParses) {
    wchar_t exe[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring path(exe);
    path = path.substr(0, path.find_last_of(L"\\/") + 1) + L"sim-demo-scenario.txt";
    std::vector<std::string> errors;
    const auto steps = LoadScenario(path, errors);
    EXPECT_TRUE(errors.empty()) << errors[0];
    ASSERT_FALSE(steps.empty());
    EXPECT_EQ(steps.back().command, ScenarioCommand::Quit);

    errors.clear();
    EXPECT_TRUE(LoadScenario(path + L".missing", errors).empty());
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].rfind("scenario file cannot be read: ", 0), 0u);
}

} // namespace
