// The device configuration file and the control commands of ZanNvx.exe.

#include "standins/nuvex-service/StandinConfigFile.h"
#include "standins/nuvex-service/StandinControlClient.h"
#include "standins/nuvex-service/StandinControlServer.h"
#include "standins/nuvex-service/StandinService.h"
#include "tests/nuvex-service/RawPipeClient.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

TEST(StandinConfigFileTest, ReadsOneDeviceALine) {
    std::vector<StandinDeviceConfig> devices;
    std::wstring error;
    ASSERT_TRUE(
        CStandinConfigFile::Parse("# devices\n"
                                  "joystick JOY1\r\n"
                                  "\n"
                                  "  panel VEXA-0001 00112233445566778899aabbccddeeff # x\n",
                                  devices, error))
        << error;
    ASSERT_EQ(2u, devices.size());
    EXPECT_EQ(L"JOY1", devices[0].serial);
    EXPECT_TRUE(IsEqualGUID(kStandinJoystickType, devices[0].type));
    EXPECT_EQ(StandinDeviceConfig::Joystick(L"JOY1").id, devices[0].id);
    EXPECT_TRUE(IsEqualGUID(kStandinPanelType, devices[1].type));
    EXPECT_EQ((StandinDeviceId{0x00, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88, 0x99, 0xaa,
                               0xbb, 0xcc, 0xdd, 0xee, 0xff}),
              devices[1].id);
    EXPECT_NE(StandinDeviceConfig::Panel(L"A").id, StandinDeviceConfig::Panel(L"B").id);
}

TEST(StandinConfigFileTest, RefusesWhatItDoesNotUnderstand) {
    for (const char* text : {"keyboard K1\n", "panel\n", "panel P1 0011\n", "panel P1 zz\n",
                             "joystick J1 00112233445566778899aabbccddeeff extra\n",
                             "joystick SERIALLONGERTHAN16\n"}) {
        SCOPED_TRACE(text);
        std::vector<StandinDeviceConfig> devices;
        std::wstring error;
        EXPECT_FALSE(
            CStandinConfigFile::Parse(std::string("joystick OK\n") + text, devices, error));
        EXPECT_NE(std::wstring::npos, error.find(L"line 2")) << error;
    }
}

TEST(StandinControlServerTest, CommandsReachTheClient) {
    CStandinService service;
    service.AddDevice(StandinDeviceConfig::Joystick(L"JOY1"));
    ASSERT_TRUE(service.Start());
    UniqueHandle quit(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    CStandinControlServer control(service, L"", quit.get());
    ASSERT_TRUE(control.Start(L"\\\\.\\pipe\\ZanNvxControl-test"));

    EXPECT_EQ(L"ERROR 0x800700E9", control.Execute(L"press JOY1 1")) << "no client yet";
    CRawPipeClient client;
    ASSERT_TRUE(client.Connect());
    ASSERT_TRUE(service.WaitForArrivals());

    std::wstring reply;
    ASSERT_TRUE(CStandinControlClient::Send(L"press JOY1 0x4", reply, 5000,
                                            L"\\\\.\\pipe\\ZanNvxControl-test"));
    EXPECT_EQ(L"OK 0x00000000", reply);
    const RawTransfer press = client.ServiceRequests().back();
    EXPECT_EQ(19u, press.message);
    EXPECT_EQ(4u, press.data.at(20));

    const struct {
        const wchar_t* command;
        const wchar_t* reply;
    } cases[] = {
        {L"page JOY1 2", L"OK 0x00000000"},
        {L"page JOY1 2 0", L"OK 0x00000000"},
        {L"remove JOY1", L"OK 0x00000000"},
        {L"arrive JOY1", L"OK 0x00000000"},
        {L"lines JOY1", L"OK\n\n\n"},
        {L"status", L"OK connected 1 connections 1"},
        {L"press NOBODY 1", L"ERROR 0x80070490"},
        {L"lines NOBODY", L"ERROR unknown device"},
        {L"dump", L"ERROR no output folder"},
        {L"press JOY1", L"ERROR unknown command: press JOY1"},
        {L"", L"ERROR empty command"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.reply, control.Execute(c.command)) << c.command;
    const auto requests = client.ServiceRequests();
    ASSERT_EQ(6u, requests.size());
    EXPECT_EQ(20u, requests[2].message);
    EXPECT_EQ(18u, requests[4].message);
    EXPECT_EQ(17u, requests[5].message);

    const auto prefix = [&] {
        const auto& id = StandinDeviceConfig::Joystick(L"JOY1").id;
        std::vector<BYTE> body(id.begin(), id.end());
        DWORD terminal = 0;
        ProcessIdToSessionId(GetCurrentProcessId(), &terminal);
        body.resize(20);
        std::memcpy(body.data() + 16, &terminal, sizeof(terminal));
        return body;
    };
    auto addPage = prefix();
    addPage.insert(addPage.end(), {1, 0, 0, 0, 1, 0, 0, 0});
    ASSERT_TRUE(client.Transmit(3, addPage, 4));
    const std::wstring line = L"COM1  118.000";
    auto setString = prefix();
    setString.insert(setString.end(), {1, 0, 0, 0, 0, 0, 0, 0, 13, 0, 0, 0});
    for (wchar_t c : line)
        setString.insert(setString.end(), {static_cast<BYTE>(c), 0});
    setString.insert(setString.end(), {0, 0, 0, 0});
    ASSERT_TRUE(client.Transmit(6, setString, 4));
    EXPECT_EQ(L"OK", control.Execute(L"waitline JOY1 0 1000 COM1  118.000"));
    EXPECT_EQ(L"ERROR the line shows: COM1  118.000", control.Execute(L"waitline JOY1 0 50 COM1"));
    EXPECT_EQ(L"OK", control.Execute(L"waitline JOY1 1 50 "));
    EXPECT_EQ(L"OK", control.Execute(L"waitrequest 6 1 1000"));
    EXPECT_EQ(L"ERROR no such request", control.Execute(L"waitrequest 6 2 50"));
    EXPECT_EQ(std::vector<std::wstring>{}, service.Faults());

    EXPECT_EQ(L"OK", control.Execute(L"freeze"));
    EXPECT_TRUE(service.IsFrozen());
    EXPECT_EQ(L"OK", control.Execute(L"resume"));
    EXPECT_FALSE(service.IsFrozen());

    EXPECT_EQ(L"OK", control.Execute(L"quit"));
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(quit.get(), 0));
    CStandinControlServer serviceControl(service, L"", nullptr);
    EXPECT_EQ(0u, serviceControl.Execute(L"quit").find(L"ERROR"));
}

} // namespace
