// ZanNvx.exe installed as the Windows service "ZanNvx" in the test prefix.

#include "standins/nuvex-service/StandinControlClient.h"
#include "standins/nuvex-service/StandinService.h"
#include "tests/nuvex-service/RawPipeClient.h"
#include "tests/support/NuvexServiceInstaller.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

TEST(InstalledServiceTest, RunsAsAServiceServesThePipeAndStops) {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring config = std::wstring(temp) + L"nvxsvc-service.cfg";
    const std::wstring output = std::wstring(temp) + L"nvxsvc-service-out";
    std::ofstream(config.c_str()) << "joystick SVC-JOY\npanel SVC-VEXA\n";

    CNuvexServiceInstaller installer;
    ASSERT_TRUE(installer.Install(config, output));
    ASSERT_TRUE(installer.Start());
    EXPECT_EQ(static_cast<DWORD>(SERVICE_RUNNING), CNuvexServiceInstaller::QueryState());

    {
        CRawPipeClient client;
        ASSERT_TRUE(client.Connect());
        ASSERT_TRUE(client.WaitForServiceRequests(2));
        EXPECT_EQ(StandinDeviceConfig::Joystick(L"SVC-JOY").id[0],
                  client.ServiceRequests()[0].data[0]);
        const auto reply = client.Transmit(0, {}, 4);
        ASSERT_TRUE(reply);
        EXPECT_EQ((std::vector<BYTE>{0, 0, 0, 0}), reply->data);

        std::wstring answer;
        ASSERT_TRUE(CStandinControlClient::Send(L"press SVC-JOY 2", answer, 5000));
        EXPECT_EQ(L"OK 0x00000000", answer);
        ASSERT_TRUE(client.WaitForServiceRequests(3));
        EXPECT_EQ(19u, client.ServiceRequests()[2].message);
        client.Close();
    }

    EXPECT_TRUE(installer.Stop());
    EXPECT_EQ(static_cast<DWORD>(SERVICE_STOPPED), CNuvexServiceInstaller::QueryState());
    EXPECT_TRUE(installer.Delete());
    EXPECT_EQ(0u, CNuvexServiceInstaller::QueryState());
}

} // namespace
