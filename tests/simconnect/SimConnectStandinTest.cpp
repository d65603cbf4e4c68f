#include "tests/simconnect/SimConnectClient.h"
#include "tests/support/SimConnectStandin.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

using namespace simconnect;

namespace {

constexpr DWORD kRequest = 7;
constexpr DWORD kDefinition = 3;

class SimConnectStandinTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(sim.IsLoaded());
        ASSERT_NE(client.getLastSentPacketID, nullptr);
    }
    void TearDown() override { sim.Reset(); }

    HRESULT AddDatum(const char* name, const char* units, DataType type) {
        return client.addToDataDefinition(client.connection, kDefinition, name, units, type, 0.0f,
                                          kUnusedDatumId);
    }
    void Request(DWORD period = kPeriodSimFrame, DWORD flags = kDataRequestFlagChanged) {
        ASSERT_EQ(client.requestDataOnSimObject(client.connection, kRequest, kDefinition,
                                                kObjectIdUser, period, flags, 0, 0, 0),
                  S_OK);
    }
    // The object-data messages of one dispatch.
    std::vector<std::vector<BYTE>> DataMessages() {
        std::vector<std::vector<BYTE>> data;
        for (auto& message : client.Dispatch())
            if (MessageId(message) == RecvIdSimObjectData)
                data.push_back(std::move(message));
        return data;
    }
    bool EventSignalled(DWORD timeoutMs = 0) {
        return ::WaitForSingleObject(client.event.get(), timeoutMs) == WAIT_OBJECT_0;
    }

    CSimConnectStandin sim;
    SimConnectClient client;
};

template <typename T> T BlockValue(const std::vector<BYTE>& message, size_t offset) {
    T value{};
    std::memcpy(&value, message.data() + kObjectDataHeaderSize + offset, sizeof(value));
    return value;
}

TEST_F(SimConnectStandinTest, BlocksAreTypedAndConvertedAsEachDatumAsks) {
    sim.SetVariable("COM ACTIVE FREQUENCY:1", "MHz", 118.5);
    sim.SetVariable("ADF ACTIVE FREQUENCY:1", "kHz", 344.1);
    sim.SetVariable("TRANSPONDER CODE:1", "number", 7700);
    sim.SetVariable("NAV OBS:1", "degrees", 180);
    sim.SetVariable("AUTOPILOT ALTITUDE LOCK VAR", "meters", 1000);
    sim.SetVariable("Some Counter", "number", -123456789012.0);
    sim.SetVariable("AUTOPILOT MASTER", "Bool", 1);
    ASSERT_EQ(AddDatum("com active frequency:1", "Frequency BCD16", DataTypeInt32), S_OK);
    ASSERT_EQ(AddDatum("adf active frequency:1", "Frequency ADF BCD32", DataTypeInt32), S_OK);
    ASSERT_EQ(AddDatum("transponder code:1", "BCO16", DataTypeInt32), S_OK);
    ASSERT_EQ(AddDatum("NAV1 OBS", "radians", DataTypeFloat64), S_OK);
    ASSERT_EQ(AddDatum("autopilot altitude lock var", "Feet", DataTypeFloat32), S_OK);
    ASSERT_EQ(AddDatum("some counter", "number", DataTypeInt64), S_OK);
    ASSERT_EQ(AddDatum("AUTOPILOT MASTER", "BOOL", DataTypeInt32), S_OK);
    ASSERT_EQ(AddDatum("never set", "Feet", DataTypeFloat32), S_OK);
    Request();

    const auto data = DataMessages();
    ASSERT_EQ(data.size(), 1u);
    const auto& message = data[0];
    const size_t blockSize = 4 + 4 + 4 + 8 + 4 + 8 + 4 + 4;
    ASSERT_EQ(message.size(), kObjectDataHeaderSize + blockSize);
    EXPECT_EQ(MessageField(message, 0), message.size());
    EXPECT_EQ(MessageField(message, offsetof(RecvSimObjectData, dwRequestID)), kRequest);
    EXPECT_EQ(MessageField(message, offsetof(RecvSimObjectData, dwDefineID)), kDefinition);
    EXPECT_EQ(MessageField(message, offsetof(RecvSimObjectData, dwDefineCount)), 8u);
    EXPECT_EQ(BlockValue<int32_t>(message, 0), 0x1850);
    EXPECT_EQ(BlockValue<int32_t>(message, 4), 0x03441000);
    EXPECT_EQ(BlockValue<int32_t>(message, 8), 0x7700);
    EXPECT_DOUBLE_EQ(BlockValue<double>(message, 12), 3.14159265358979323846);
    EXPECT_FLOAT_EQ(BlockValue<float>(message, 20), 3280.8398f);
    EXPECT_EQ(BlockValue<int64_t>(message, 24), -123456789012LL);
    EXPECT_EQ(BlockValue<int32_t>(message, 32), 1);
    EXPECT_EQ(BlockValue<float>(message, 36), 0.0f);
}

TEST_F(SimConnectStandinTest, VariablesReadBackInEveryUnitOfTheirKind) {
    struct Case {
        const char* name;
        const char* setUnits;
        double set;
        const char* getUnits;
        double expected;
    };
    const Case cases[] = {
        {"com standby frequency:1", "Frequency BCD16", 0x2197, "MHz", 121.97},
        {"ADF STANDBY FREQUENCY:1", "Frequency ADF BCD32", 0x03500000, "kHz", 350.0},
        {"TRANSPONDER CODE:1", "BCO16", 0x1234, "number", 1234},
        {"Autopilot heading lock dir", "radians", 3.14159265358979323846 / 2, "degrees", 90},
        {"nav dme:1", "nmiles", 1, "feet", 1852 / 0.3048},
        {"Light Taxi", "Bool", 1, "number", 1},
    };
    for (const Case& c : cases) {
        sim.SetVariable(c.name, c.setUnits, c.set);
        const auto value = sim.GetVariable(c.name, c.getUnits);
        ASSERT_TRUE(value.has_value()) << c.name;
        EXPECT_NEAR(*value, c.expected, 1e-6) << c.name;
    }
    EXPECT_FALSE(sim.GetVariable("com standby frequency:1", "feet").has_value());
    EXPECT_FALSE(sim.GetVariable("no such variable", "number").has_value());
}

TEST_F(SimConnectStandinTest, ChangedRequestsResendOnlyChangedBlocks) {
    ASSERT_EQ(AddDatum("AUTOPILOT ALTITUDE LOCK VAR", "Feet", DataTypeInt32), S_OK);
    ASSERT_EQ(AddDatum("AUTOPILOT MASTER", "Bool", DataTypeInt32), S_OK);
    sim.SetVariable("AUTOPILOT ALTITUDE LOCK VAR", "Feet", 5000);

    Request();
    auto data = DataMessages();
    ASSERT_EQ(data.size(), 1u) << "a new request sends its first block";
    EXPECT_EQ(BlockValue<int32_t>(data[0], 0), 5000);

    sim.SetVariable("AUTOPILOT ALTITUDE LOCK VAR", "Feet", 5000);
    sim.SetVariable("Unrelated Variable", "number", 3);
    sim.SetVariable("AUTOPILOT ALTITUDE LOCK VAR", "Feet", 5000.4); // same INT32
    EXPECT_TRUE(DataMessages().empty()) << "an unchanged block is not resent";

    sim.SetVariable("AUTOPILOT MASTER", "Bool", 1);
    data = DataMessages();
    ASSERT_EQ(data.size(), 1u);
    EXPECT_EQ(BlockValue<int32_t>(data[0], 4), 1);

    Request();
    EXPECT_EQ(DataMessages().size(), 1u) << "requesting again sends the first block again";

    Request(0, 0);
    sim.SetVariable("AUTOPILOT MASTER", "Bool", 0);
    EXPECT_TRUE(DataMessages().empty()) << "period never ends the request";
    EXPECT_EQ(sim.Count(standin::ObjectDataSent), 3u);
}

TEST_F(SimConnectStandinTest, SystemEventsAndQuitArriveThroughTheEventAndCallDispatch) {
    ASSERT_EQ(client.Open(), S_OK);
    EXPECT_TRUE(sim.IsConnected());
    EXPECT_TRUE(EventSignalled()) << "the open acknowledgement is queued";
    auto messages = client.Dispatch();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(MessageId(messages[0]), RecvIdOpen);
    EXPECT_FALSE(EventSignalled());

    const char* names[] = {"SimStart", "SimStop", "Paused", "Unpaused"};
    for (DWORD id = 1; id <= 4; ++id)
        ASSERT_EQ(client.subscribeToSystemEvent(client.connection, id, names[id - 1]), S_OK);
    EXPECT_EQ(sim.SubscribedEventId("simstart"), 1u);
    EXPECT_FALSE(sim.RaiseSystemEvent("Crashed")) << "nobody subscribed";

    for (const char* name : {"Paused", "Unpaused", "SimStop"})
        EXPECT_TRUE(sim.RaiseSystemEvent(name));
    EXPECT_TRUE(EventSignalled());
    messages = client.Dispatch();
    ASSERT_EQ(messages.size(), 3u);
    const DWORD expectedIds[] = {3, 4, 2};
    for (size_t i = 0; i < messages.size(); ++i) {
        EXPECT_EQ(MessageId(messages[i]), RecvIdEvent);
        EXPECT_EQ(MessageField(messages[i], offsetof(RecvEvent, uEventID)), expectedIds[i]);
        EXPECT_EQ(MessageField(messages[i], 0), sizeof(RecvEvent));
    }

    sim.Quit();
    EXPECT_TRUE(sim.RaiseSystemEvent("SimStart"));
    messages = client.Dispatch();
    ASSERT_EQ(messages.size(), 1u) << "dispatch ends with the quit message";
    EXPECT_EQ(MessageId(messages[0]), RecvIdQuit);
    EXPECT_TRUE(EventSignalled()) << "what follows the quit stays queued and announced";

    EXPECT_EQ(client.close(client.connection), S_OK);
    EXPECT_FALSE(sim.IsConnected());
    EXPECT_TRUE(client.Dispatch().empty()) << "closing drops the queue";

    EXPECT_EQ(client.unsubscribeFromSystemEvent(client.connection, 2), S_OK);
    EXPECT_FALSE(sim.RaiseSystemEvent("SimStop"));
    EXPECT_TRUE(sim.RaiseSystemEvent("SimStart"));
}

TEST_F(SimConnectStandinTest, RecordKeepsEveryCallWithItsArguments) {
    ASSERT_EQ(client.Open("Harmel FSX Plugin"), S_OK);
    ASSERT_EQ(client.mapClientEventToSimEvent(client.connection, 5, "AP_MASTER"), S_OK);
    ASSERT_EQ(client.addClientEventToNotificationGroup(client.connection, 1, 5, FALSE), S_OK);
    ASSERT_EQ(client.setNotificationGroupPriority(client.connection, 1, 1), S_OK);
    ASSERT_EQ(client.addToDataDefinition(client.connection, kDefinition, "AUTOPILOT MASTER", "Bool",
                                         DataTypeInt32, 0.5f, 0),
              S_OK);
    Request();
    client.Dispatch();

    // A transmission from another thread, as pages and panels send them.
    std::thread sender([this] {
        client.transmitClientEvent(client.connection, kObjectIdUser, 5, 0, 1, kEventFlagDefault);
        client.transmitClientEvent(client.connection, kObjectIdUser, 99, 42, 1, 0);
    });
    ASSERT_TRUE(sim.WaitForTransmissions(2));
    sender.join();

    const auto sent = sim.Transmissions();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0].eventName, "AP_MASTER");
    EXPECT_EQ(sent[0].eventId, 5u);
    EXPECT_EQ(sent[0].groupId, 1u);
    EXPECT_EQ(sent[1].eventName, "") << "an unmapped id has no name";
    EXPECT_EQ(sent[1].data, 42u);
    EXPECT_EQ(sim.MappedEventId("ap_master"), 5u);
    EXPECT_EQ(sim.GetVariable("AUTOPILOT MASTER", "Bool"), 1.0) << "the event took effect";
    const auto data = DataMessages();
    ASSERT_EQ(data.size(), 1u) << "and the changed block was sent";
    EXPECT_EQ(BlockValue<int32_t>(data[0], 0), 1);

    const auto datums = sim.Datums();
    ASSERT_EQ(datums.size(), 1u);
    EXPECT_STREQ(datums[0].datumName, "AUTOPILOT MASTER");
    EXPECT_STREQ(datums[0].unitsName, "Bool");
    EXPECT_EQ(datums[0].epsilon, 0.5f);
    const auto requests = sim.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].requestId, kRequest);
    EXPECT_EQ(requests[0].period, kPeriodSimFrame);
    EXPECT_EQ(requests[0].flags, kDataRequestFlagChanged);

    const std::pair<standin::CallKind, DWORD> counts[] = {
        {standin::CallOpen, 1},
        {standin::CallMapClientEvent, 1},
        {standin::CallAddToNotificationGroup, 1},
        {standin::CallSetGroupPriority, 1},
        {standin::CallAddToDataDefinition, 1},
        {standin::CallRequestData, 1},
        {standin::CallCallDispatch, 2},
        {standin::MessagesDispatched, 3},
    };
    for (const auto& [kind, expected] : counts)
        EXPECT_EQ(sim.Count(kind), expected) << "kind " << kind;
    EXPECT_FALSE(sim.WaitForTransmissions(3, 10));
}

TEST_F(SimConnectStandinTest, InjectedFailuresRefuseOnlyTheirCalls) {
    sim.FailOpen(HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(client.Open(), HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(sim.IsConnected());
    sim.FailOpen(S_OK);
    EXPECT_EQ(client.Open(), S_OK);

    sim.FailMapping("AP_MASTER");
    EXPECT_EQ(client.mapClientEventToSimEvent(client.connection, 5, "ap_master"), E_FAIL);
    EXPECT_EQ(client.mapClientEventToSimEvent(client.connection, 6, "AP_ALT_HOLD"), S_OK);
    EXPECT_EQ(sim.MappedEventId("AP_MASTER"), 0u);
    EXPECT_EQ(sim.MappedEventId("AP_ALT_HOLD"), 6u);

    sim.FailDatum("AUTOPILOT MASTER");
    EXPECT_EQ(AddDatum("AUTOPILOT ALTITUDE LOCK", "Bool", DataTypeInt32), S_OK);
    EXPECT_EQ(AddDatum("autopilot master", "Bool", DataTypeInt32), E_FAIL);
    EXPECT_EQ(AddDatum("AUTOPILOT NAV1 LOCK", "Bool", DataTypeInt32), S_OK);
    EXPECT_EQ(AddDatum("Title", "", static_cast<DataType>(11)), E_INVALIDARG)
        << "unsupported datum types are refused";
    const auto datums = sim.Datums();
    ASSERT_EQ(datums.size(), 4u);
    EXPECT_EQ(datums[1].result, E_FAIL);
    Request();
    const auto data = DataMessages();
    ASSERT_EQ(data.size(), 1u);
    EXPECT_EQ(data[0].size(), kObjectDataHeaderSize + 2 * sizeof(int32_t))
        << "a refused datum is not part of the block";

    EXPECT_EQ(client.addClientEventToNotificationGroup(client.connection, 1, 6, FALSE), S_OK);
    sim.FailNotificationGroup(E_UNEXPECTED);
    EXPECT_EQ(client.addClientEventToNotificationGroup(client.connection, 1, 6, FALSE),
              E_UNEXPECTED);

    sim.Reset();
    EXPECT_EQ(client.mapClientEventToSimEvent(client.connection, 5, "AP_MASTER"), S_OK);
    EXPECT_EQ(AddDatum("AUTOPILOT MASTER", "Bool", DataTypeInt32), S_OK);
    EXPECT_EQ(client.addClientEventToNotificationGroup(client.connection, 1, 5, FALSE), S_OK);
}

TEST_F(SimConnectStandinTest, EventEffectsTuneAndToggleTheAircraft) {
    struct Case {
        const char* event;
        const char* variable;
        const char* units;
        double before;
        double after;
    };
    const Case cases[] = {
        {"COM_RADIO_WHOLE_INC", "COM STANDBY FREQUENCY:1", "MHz", 136.5, 118.5},
        {"COM_RADIO_WHOLE_DEC", "COM STANDBY FREQUENCY:1", "MHz", 118.25, 136.25},
        {"COM_RADIO_FRACT_INC_CARRY", "COM STANDBY FREQUENCY:1", "MHz", 118.975, 119.0},
        {"COM_RADIO_FRACT_DEC_CARRY", "COM STANDBY FREQUENCY:1", "MHz", 118.0, 136.975},
        {"COM_RADIO_FRACT_INC", "COM STANDBY FREQUENCY:1", "MHz", 118.975, 118.0},
        {"COM2_RADIO_FRACT_DEC_CARRY", "COM STANDBY FREQUENCY:2", "MHz", 121.0, 120.975},
        {"NAV1_RADIO_FRACT_INC_CARRY", "NAV STANDBY FREQUENCY:1", "MHz", 108.95, 109.0},
        {"NAV2_RADIO_WHOLE_DEC", "NAV STANDBY FREQUENCY:2", "MHz", 108.5, 117.5},
        {"ADF1_RADIO_TENTHS_INC", "ADF ACTIVE FREQUENCY:1", "kHz", 344.9, 344.0},
        {"ADF1_WHOLE_INC", "ADF ACTIVE FREQUENCY:1", "kHz", 344.1, 345.1},
        {"XPNDR_1000_INC", "TRANSPONDER CODE:1", "number", 7700, 700},
        {"XPNDR_1_DEC", "TRANSPONDER CODE:1", "number", 1200, 1207},
        {"XPNDR_10_INC", "TRANSPONDER CODE:1", "number", 1270, 1200},
        {"HEADING_BUG_INC", "AUTOPILOT HEADING LOCK DIR", "degrees", 359, 0},
        {"VOR1_OBI_DEC", "NAV1 OBS", "degrees", 0, 359},
        {"AP_ALT_VAR_DEC", "AUTOPILOT ALTITUDE LOCK VAR", "feet", 0, 0},
        {"AP_VS_VAR_INC", "AUTOPILOT VERTICAL HOLD VAR", "feet/minute", -500, -400},
        {"AP_MASTER", "AUTOPILOT MASTER", "Bool", 0, 1},
        {"AP_ALT_HOLD", "AUTOPILOT ALTITUDE LOCK", "Bool", 1, 0},
        {"AP_NAV1_HOLD_ON", "AUTOPILOT NAV1 LOCK", "Bool", 0, 1},
        {"AP_BC_HOLD_OFF", "AUTOPILOT BACKCOURSE HOLD", "Bool", 1, 0},
    };
    for (const Case& c : cases) {
        sim.SetVariable(c.variable, c.units, c.before);
        ASSERT_TRUE(sim.ApplyEvent(c.event)) << c.event;
        EXPECT_NEAR(sim.GetVariable(c.variable, c.units).value_or(-1), c.after, 1e-6) << c.event;
    }

    sim.SetVariable("COM ACTIVE FREQUENCY:1", "MHz", 118.5);
    sim.SetVariable("COM STANDBY FREQUENCY:1", "MHz", 121.5);
    ASSERT_TRUE(sim.ApplyEvent("COM_STBY_RADIO_SWAP"));
    EXPECT_NEAR(sim.GetVariable("COM ACTIVE FREQUENCY:1", "MHz").value_or(0), 121.5, 1e-9);
    EXPECT_NEAR(sim.GetVariable("COM STANDBY FREQUENCY:1", "MHz").value_or(0), 118.5, 1e-9);
    EXPECT_FALSE(sim.ApplyEvent("NO_SUCH_EVENT"));
}

class EnvironmentVariable {
public:
    EnvironmentVariable(const wchar_t* name, const std::wstring& value) : m_name(name) {
        ::SetEnvironmentVariableW(name, value.c_str());
    }
    ~EnvironmentVariable() { ::SetEnvironmentVariableW(m_name, nullptr); }

private:
    const wchar_t* m_name;
};

std::wstring TempPath(const wchar_t* name) {
    wchar_t folder[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, folder);
    return std::wstring(folder) + name;
}

TEST_F(SimConnectStandinTest, ScenarioRunsItsStepsAndReportsBadLines) {
    const std::wstring scenarioPath = TempPath(L"standin-scenario.txt");
    const std::wstring logPath = TempPath(L"standin-scenario.log");
    ::DeleteFileW(logPath.c_str());
    std::ofstream(std::filesystem::path(scenarioPath)) << "# a short flight\n"
                                                          "\n"
                                                          "20 start\n"
                                                          "set COM ACTIVE FREQUENCY:1|MHz|121.5\n"
                                                          "5 fly away\n"
                                                          "set AUTOPILOT MASTER|Bool\n"
                                                          "event COM_RADIO_WHOLE_INC\n"
                                                          "  10   PAUSE\n"
                                                          "quit\n";
    EnvironmentVariable scenario(L"DRAVIK_SIM_SCENARIO", scenarioPath);
    EnvironmentVariable log(L"DRAVIK_SIM_LOG", logPath);
    sim.SetVariable("COM STANDBY FREQUENCY:1", "MHz", 119.25);
    const char* names[] = {"SimStart", "SimStop", "Paused", "Unpaused"};
    for (DWORD id = 1; id <= 4; ++id)
        client.subscribeToSystemEvent(client.connection, id, names[id - 1]);
    ASSERT_EQ(client.Open(), S_OK);

    std::vector<DWORD> received;
    while (received.empty() || received.back() != 100 + RecvIdQuit) {
        ASSERT_TRUE(EventSignalled(5000)) << "the scenario ends with quit";
        for (const auto& message : client.Dispatch())
            received.push_back(MessageId(message) == RecvIdEvent
                                   ? MessageField(message, offsetof(RecvEvent, uEventID))
                                   : 100 + MessageId(message));
    }
    const std::vector<DWORD> expected = {100 + RecvIdOpen, 1, 3, 100 + RecvIdQuit};
    EXPECT_EQ(received, expected);
    EXPECT_NEAR(sim.GetVariable("COM ACTIVE FREQUENCY:1", "MHz").value_or(0), 121.5, 1e-9);
    EXPECT_NEAR(sim.GetVariable("COM STANDBY FREQUENCY:1", "MHz").value_or(0), 120.25, 1e-9);
    client.close(client.connection);

    std::ifstream file{std::filesystem::path(logPath)};
    std::stringstream text;
    text << file.rdbuf();
    const std::string lines = text.str();
    for (const char* expectedLine :
         {"scenario line 5: unknown command \"fly\" - skipped: 5 fly away",
          "scenario line 6: set needs NAME|UNITS|VALUE - skipped", "scenario: 5 steps",
          "scenario line 3: 20 start", "system event SimStart (client event 1)",
          "scenario line 8: 10   PAUSE", "SimConnect_Close"})
        EXPECT_NE(lines.find(expectedLine), std::string::npos) << expectedLine << "\n" << lines;
}

TEST_F(SimConnectStandinTest, CloseStopsAWaitingScenarioAtOnce) {
    const std::wstring scenarioPath = TempPath(L"standin-long-scenario.txt");
    std::ofstream(std::filesystem::path(scenarioPath)) << "60000 set LIGHT NAV|Bool|1\n";
    EnvironmentVariable scenario(L"DRAVIK_SIM_SCENARIO", scenarioPath);
    ASSERT_EQ(client.Open(), S_OK);
    const ULONGLONG before = ::GetTickCount64();
    EXPECT_EQ(client.close(client.connection), S_OK);
    EXPECT_LT(::GetTickCount64() - before, 2000u);
    EXPECT_FALSE(sim.GetVariable("LIGHT NAV", "Bool").has_value());
}

// A script holds the flight with waitfile until it has done its part; Close still ends the wait.
TEST_F(SimConnectStandinTest, WaitFileHoldsTheFlightUntilTheFileAppears) {
    const std::wstring scenarioPath = TempPath(L"standin-waitfile-scenario.txt");
    const std::wstring goPath = TempPath(L"standin-waitfile-go.txt");
    const std::string goNarrow(goPath.begin(), goPath.end());
    ::DeleteFileW(goPath.c_str());
    std::ofstream(std::filesystem::path(scenarioPath)) << "waitfile " << goNarrow << "\nquit\n";
    EnvironmentVariable scenario(L"DRAVIK_SIM_SCENARIO", scenarioPath);
    ASSERT_EQ(client.Open(), S_OK);
    ASSERT_TRUE(EventSignalled(5000));
    ASSERT_EQ(client.Dispatch().size(), 1u); // the open acknowledgement, and no quit yet
    EXPECT_TRUE(client.Dispatch().empty());

    std::ofstream(std::filesystem::path(goPath)) << "go\n";
    ASSERT_TRUE(EventSignalled(5000)) << "the flight goes on once the file is there";
    const auto messages = client.Dispatch();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(MessageId(messages[0]), RecvIdQuit);
    client.close(client.connection);
    ::DeleteFileW(goPath.c_str());
}

TEST_F(SimConnectStandinTest, CloseEndsAWaitFileAtOnce) {
    const std::wstring scenarioPath = TempPath(L"standin-waitfile-close.txt");
    std::ofstream(std::filesystem::path(scenarioPath)) << "waitfile C:\\no\\such\\file.txt\n"
                                                          "set LIGHT NAV|Bool|1\n";
    EnvironmentVariable scenario(L"DRAVIK_SIM_SCENARIO", scenarioPath);
    ASSERT_EQ(client.Open(), S_OK);
    const ULONGLONG before = ::GetTickCount64();
    EXPECT_EQ(client.close(client.connection), S_OK);
    EXPECT_LT(::GetTickCount64() - before, 2000u);
    EXPECT_FALSE(sim.GetVariable("LIGHT NAV", "Bool").has_value());
}

} // namespace
