// The service core over the real pipe, driven by a bare client written here.

#include "standins/nuvex-service/StandinService.h"
#include "tests/nuvex-service/RawPipeClient.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

namespace {

constexpr BYTE kRequest = 2;
constexpr BYTE kReply = 1;

std::vector<BYTE> Bytes(std::initializer_list<DWORD> words) {
    std::vector<BYTE> out;
    for (DWORD word : words) {
        const auto* p = reinterpret_cast<const BYTE*>(&word);
        out.insert(out.end(), p, p + sizeof(word));
    }
    return out;
}

std::vector<BYTE> Concat(std::initializer_list<std::vector<BYTE>> parts) {
    std::vector<BYTE> out;
    for (const auto& part : parts)
        out.insert(out.end(), part.begin(), part.end());
    return out;
}

std::vector<BYTE> Text(const std::wstring& text, size_t count) {
    std::vector<BYTE> out(count * 2);
    for (size_t i = 0; i < text.size() && i < count; ++i) {
        out[2 * i] = static_cast<BYTE>(text[i]);
        out[2 * i + 1] = static_cast<BYTE>(static_cast<unsigned>(text[i]) >> 8);
    }
    return out;
}

std::vector<BYTE> Raw(const void* data, size_t size) {
    const auto* p = static_cast<const BYTE*>(data);
    return std::vector<BYTE>(p, p + size);
}

DWORD Terminal() {
    DWORD session = 0;
    ProcessIdToSessionId(GetCurrentProcessId(), &session);
    return session;
}

std::vector<BYTE> Id(const StandinDeviceConfig& device) {
    return std::vector<BYTE>(device.id.begin(), device.id.end());
}

// Bodies as the client library lays them out.
std::vector<BYTE> Prefix(const StandinDeviceConfig& device) {
    return Concat({Id(device), Bytes({Terminal()})});
}
std::vector<BYTE> SetStringBody(const StandinDeviceConfig& device, DWORD page, DWORD line,
                                const std::wstring& text, size_t count) {
    return Concat({Prefix(device), Bytes({page, line, static_cast<DWORD>(count)}),
                   Text(text, count), Bytes({0})});
}
std::vector<BYTE> SetImageBody(const StandinDeviceConfig& device, DWORD page, DWORD index,
                               const std::vector<BYTE>& image) {
    return Concat({Prefix(device), Bytes({page, index, static_cast<DWORD>(image.size())}), image,
                   Bytes({0})});
}
std::vector<BYTE> AddPageBody(const StandinDeviceConfig& device, DWORD page, DWORD flags) {
    return Concat({Prefix(device), Bytes({page, flags})});
}

std::vector<BYTE> Pattern(size_t size) {
    std::vector<BYTE> out(size);
    for (size_t i = 0; i < size; ++i)
        out[i] = static_cast<BYTE>(i * 7 + i / 256);
    return out;
}

DWORD ResultOf(const std::optional<RawTransfer>& reply) {
    DWORD result = 0xFFFFFFFF;
    if (reply && reply->data.size() >= 4)
        std::memcpy(&result, reply->data.data(), sizeof(result));
    return result;
}

std::wstring TempFolder(const wchar_t* name) {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    std::wstring folder = std::wstring(temp) + name;
    CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

std::string ReadFileBytes(const std::wstring& path) {
    std::ifstream file(path.c_str(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

class NuvexServiceTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_joystick.statusBlock = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
        m_joystick.furtherData[0] = 0x42;
        m_service.AddDevice(m_joystick);
        m_service.AddDevice(m_panel);
        ASSERT_TRUE(m_service.Start());
    }
    void TearDown() override {
        m_client.Close();
        m_service.Stop();
    }
    void ConnectClient() {
        ASSERT_TRUE(m_client.Connect());
        ASSERT_TRUE(m_service.WaitForArrivals());
    }
    std::optional<RawTransfer> Send(DWORD message, const std::vector<BYTE>& body,
                                    DWORD capacity = 4) {
        return m_client.Transmit(message, body, capacity);
    }

    StandinDeviceConfig m_joystick = StandinDeviceConfig::Joystick(L"JOY1");
    StandinDeviceConfig m_panel = StandinDeviceConfig::Panel(L"VEXA-0001");
    CStandinService m_service;
    CRawPipeClient m_client;
};

TEST_F(NuvexServiceTest, AnnouncesEveryConfiguredDeviceWhenAClientConnects) {
    m_client.SetAnswer(17, Bytes({static_cast<DWORD>(E_HANDLE)}));
    ASSERT_TRUE(m_client.Connect());
    ASSERT_TRUE(m_client.WaitForServiceRequests(2));
    ASSERT_TRUE(m_service.WaitForArrivals());

    const auto requests = m_client.ServiceRequests();
    ASSERT_EQ(2u, requests.size());
    const StandinDeviceConfig* devices[] = {&m_joystick, &m_panel};
    for (size_t i = 0; i < 2; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(17u, requests[i].message);
        EXPECT_EQ(kRequest, requests[i].type);
        EXPECT_EQ(0xFF, requests[i].reserved1);
        EXPECT_EQ(0xFFFF, requests[i].reserved2);
        EXPECT_EQ(4u, requests[i].replyCapacity);
        EXPECT_EQ(std::vector<size_t>{12 + 16 + 48}, requests[i].packetSizes);
        EXPECT_EQ(Concat({Id(*devices[i]), Raw(&devices[i]->type, sizeof(GUID)),
                          Raw(devices[i]->furtherData.data(), 16)}),
                  requests[i].data);
    }
    EXPECT_NE(requests[0].data, requests[1].data);
    EXPECT_EQ(E_HANDLE, m_service.Device(L"JOY1")->arrivalResult);
    EXPECT_TRUE(m_service.Faults().empty());
}

struct ReplyCase {
    const char* name;
    DWORD message;
    std::vector<BYTE> body;
    DWORD capacity;
    std::vector<BYTE> reply;
};

TEST_F(NuvexServiceTest, RepliesToEveryMessageWithItsLayout) {
    ConnectClient();
    const auto& joy = m_joystick;
    const auto status = Raw(joy.statusBlock.data(), 16);
    const auto ok = Bytes({S_OK});
    const std::vector<BYTE> zeros32(32);
    const ReplyCase cases[] = {
        {"initialize", 0, {}, 4, ok},
        {"instance", 1, Concat({Id(joy), zeros32}), 20,
         Concat({ok, Raw(&joy.instance, sizeof(GUID))})},
        {"profile", 2, Concat({Prefix(joy), Bytes({3}), Text(L"Fly", 3), Bytes({0})}), 4, ok},
        {"start server", 2, Concat({Prefix(joy), Bytes({2}), Text(L"Sv", 2), Bytes({0})}), 24,
         Concat({ok, Bytes({joy.serverId}), status})},
        {"add page", 3, AddPageBody(joy, 1, 0), 4, ok},
        {"remove page", 4, Concat({Prefix(joy), Bytes({9, 0})}), 4, ok},
        {"led", 5, Concat({Prefix(joy), Bytes({1, 2, 1})}), 4, ok},
        {"string", 6, SetStringBody(joy, 1, 0, L"COM", 3), 4, ok},
        {"image", 7, SetImageBody(joy, 1, 0, {1, 2, 3}), 4, ok},
        {"image file", 8, SetStringBody(joy, 1, 0, L"a.bmp", 5), 4, ok},
        {"save file", 9, SetStringBody(joy, 1, 7, L"f.bin", 5), 24,
         Concat({ok, Bytes({0}), status})},
        {"display file", 10, Concat({Prefix(joy), Bytes({1, 7, 0})}), 24,
         Concat({ok, Bytes({0}), status})},
        {"delete file", 11, Concat({Prefix(joy), Bytes({1, 7, 0})}), 24,
         Concat({ok, Bytes({0}), status})},
        {"close server", 13, Concat({Prefix(joy), Bytes({joy.serverId})}), 24,
         Concat({ok, Bytes({0}), status})},
        {"server message", 14,
         Concat({Prefix(joy), Bytes({joy.serverId, 5, 1, 3, 5}), {7, 8, 9}, Bytes({0})}), 33,
         Concat({ok, status, Bytes({0}), {7, 8, 9, 0, 0}})},
        {"server file", 15,
         Concat({Prefix(joy),
                 Bytes({joy.serverId, 5, 1, 3, 2, 0}),
                 {7, 8, 9},
                 Bytes({0}),
                 Text(L"ab", 2)}),
         30, Concat({ok, status, Bytes({0}), {7, 8}})},
        {"serial", 16, Concat({Id(joy), zeros32}), 36, Concat({ok, Text(L"JOY1", 16)})},
    };
    for (const ReplyCase& c : cases) {
        SCOPED_TRACE(c.name);
        const DWORD contextId = m_client.NextContextId();
        ASSERT_TRUE(m_client.WriteTransfer(contextId, kRequest, c.message, c.body, c.capacity));
        const auto reply = m_client.WaitForReply(contextId);
        ASSERT_TRUE(reply);
        EXPECT_EQ(c.message, reply->message);
        EXPECT_EQ(kReply, reply->type);
        EXPECT_EQ(0u, reply->replyCapacity);
        EXPECT_EQ(c.reply, reply->data);
        const StandinRequest recorded = m_service.Requests().back();
        EXPECT_EQ(c.message, recorded.message);
        EXPECT_EQ(contextId, recorded.contextId);
        EXPECT_EQ(c.capacity, recorded.replyCapacity);
        EXPECT_EQ(c.body, recorded.body);
    }
    EXPECT_EQ(std::vector<std::wstring>{}, m_service.Faults());
    EXPECT_EQ(L"Fly", m_service.Device(L"JOY1")->profile);
}

struct RefusalCase {
    const char* name;
    DWORD message;
    std::vector<BYTE> body;
    DWORD capacity;
    HRESULT result;
    bool fault;
};

TEST_F(NuvexServiceTest, RefusesUnknownDevicesAndFaultyRequests) {
    ConnectClient();
    StandinDeviceConfig stranger = StandinDeviceConfig::Joystick(L"NOBODY");
    auto shortBody = SetStringBody(m_joystick, 1, 1, L"BAD", 3);
    shortBody.pop_back();
    auto dirtyTail = SetStringBody(m_joystick, 1, 1, L"BAD", 3);
    dirtyTail.back() = 1;
    const RefusalCase cases[] = {
        {"unknown device", 6, SetStringBody(stranger, 1, 1, L"BAD", 3), 4, E_HANDLE, false},
        {"short body", 6, shortBody, 4, E_INVALIDARG, true},
        {"non-zero tail", 6, dirtyTail, 4, E_INVALIDARG, true},
        {"wrong capacity", 6, SetStringBody(m_joystick, 1, 0, L"COM", 3), 8, S_OK, true},
        {"other terminal", 3, Concat({Id(m_joystick), Bytes({Terminal() + 1, 1, 0})}), 4, S_OK,
         true},
        {"message 12", 12, Prefix(m_joystick), 4, E_NOTIMPL, true},
        {"service's message", 19, Concat({Id(m_joystick), Bytes({0, 1})}), 4, E_NOTIMPL, true},
    };
    for (const RefusalCase& c : cases) {
        SCOPED_TRACE(c.name);
        m_service.ClearFaults();
        const auto reply = Send(c.message, c.body, c.capacity);
        ASSERT_TRUE(reply);
        EXPECT_EQ(static_cast<DWORD>(c.result), ResultOf(reply));
        EXPECT_EQ(c.fault, !m_service.Faults().empty());
    }
    const auto lines = m_service.Device(L"JOY1")->pages.at(1).lines;
    EXPECT_EQ(0u, lines.count(1)) << "refused requests change nothing";
    EXPECT_EQ(L"COM", lines.at(0)) << "a capacity fault is reported, the request still served";
}

TEST_F(NuvexServiceTest, ConfiguredResultsReplaceTheServicesOwnAnswers) {
    ConnectClient();
    m_service.SetResult(6, E_FAIL);
    m_service.SetResult(0, 1);
    m_service.SetResult(3, E_HANDLE);
    EXPECT_EQ(static_cast<DWORD>(E_FAIL),
              ResultOf(Send(6, SetStringBody(m_joystick, 1, 0, L"X", 1))));
    EXPECT_EQ(1u, ResultOf(Send(0, {})));
    EXPECT_EQ(static_cast<DWORD>(E_HANDLE), ResultOf(Send(3, AddPageBody(m_joystick, 1, 1))));
    const auto joystick = m_service.Device(L"JOY1");
    EXPECT_TRUE(joystick->pages.empty()) << "a failing result changes nothing";
    EXPECT_FALSE(joystick->activePage);

    m_service.SetReplyData(1, {0xAA, 0xBB});
    const auto raw = Send(1, Concat({Id(m_joystick), std::vector<BYTE>(32)}), 20);
    ASSERT_TRUE(raw);
    EXPECT_EQ((std::vector<BYTE>{0xAA, 0xBB}), raw->data);

    m_service.SetNoReply(5);
    EXPECT_FALSE(m_client.Transmit(5, Concat({Prefix(m_joystick), Bytes({1, 1, 1})}), 4, 200));
    EXPECT_EQ(1u, m_service.Requests(5).size());

    m_service.ClearReplyRules();
    EXPECT_EQ(static_cast<DWORD>(S_OK), ResultOf(Send(0, {})));
}

TEST_F(NuvexServiceTest, ReassemblesRequestsOfManyPackets) {
    ConnectClient();
    struct {
        size_t imageBytes;
        std::vector<size_t> packetSizes;
    } const cases[] = {
        {972, {1036}},     // 16 + 36 + 972 = 1024: one full packet
        {973, {1036, 13}}, // one byte more: a second packet with a 1-byte payload
        {230400, {}},      // a whole panel image
    };
    DWORD index = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.imageBytes);
        const auto image = Pattern(c.imageBytes);
        const auto packets = CRawPipeClient::Packets(m_client.NextContextId(), kRequest, 7,
                                                     SetImageBody(m_panel, 1, index, image), 4);
        if (!c.packetSizes.empty()) {
            ASSERT_EQ(c.packetSizes.size(), packets.size());
            for (size_t i = 0; i < packets.size(); ++i)
                EXPECT_EQ(c.packetSizes[i], packets[i].size());
        }
        for (const auto& packet : packets)
            ASSERT_TRUE(m_client.WritePacket(packet));
        ASSERT_TRUE(m_service.WaitForRequest(7, index + 1));
        EXPECT_EQ(image, m_service.Device(L"VEXA-0001")->pages[1].images[index]);
        ++index;
    }
    EXPECT_EQ(226u, (16 + 36 + 230400 + 1023) / 1024);
    EXPECT_EQ(std::vector<std::wstring>{}, m_service.Faults());
}

TEST_F(NuvexServiceTest, AssemblesInterleavedTransfersByContextId) {
    ConnectClient();
    const DWORD first = m_client.NextContextId();
    const DWORD second = m_client.NextContextId();
    const auto a =
        CRawPipeClient::Packets(first, kRequest, 7, SetImageBody(m_panel, 1, 0, Pattern(1500)), 4);
    const auto b =
        CRawPipeClient::Packets(second, kRequest, 7, SetImageBody(m_panel, 1, 1, Pattern(1200)), 4);
    for (const auto* packet : {&a[0], &b[0], &b[1], &a[1]})
        ASSERT_TRUE(m_client.WritePacket(*packet));
    EXPECT_EQ(S_OK, static_cast<HRESULT>(ResultOf(m_client.WaitForReply(second))));
    EXPECT_EQ(S_OK, static_cast<HRESULT>(ResultOf(m_client.WaitForReply(first))));
    const auto panel = m_service.Device(L"VEXA-0001");
    EXPECT_EQ(Pattern(1500), panel->pages.at(1).images.at(0));
    EXPECT_EQ(Pattern(1200), panel->pages.at(1).images.at(1));
    EXPECT_TRUE(m_service.Faults().empty());
}

TEST_F(NuvexServiceTest, DropsAndReportsMalformedPackets) {
    ConnectClient();
    const auto body = SetStringBody(m_joystick, 1, 0, L"COM", 3);
    auto packet = [&](DWORD contextId) {
        return CRawPipeClient::Packets(contextId, kRequest, 6, body, 4)[0];
    };
    auto withPayloadField = packet(101);
    withPayloadField[8] += 4; // announces more payload than the packet carries
    auto numberAboveCount = packet(102);
    numberAboveCount[4] = 3;
    auto notFirst = CRawPipeClient::Packets(103, kRequest, 7,
                                            SetImageBody(m_joystick, 1, 0, Pattern(2000)), 4)[1];
    auto wrongDataCount = packet(104);
    wrongDataCount[12 + 8] += 1; // cbIn one more than the data
    auto reserved = packet(105);
    reserved[12 + 5] = 0;
    const struct {
        const char* name;
        std::vector<BYTE> packet;
        bool handled;
    } cases[] = {
        {"shorter than a header", {1, 2, 3, 4, 5, 6, 7, 8}, false},
        {"payload field too large", withPayloadField, false},
        {"packet number above count", numberAboveCount, false},
        {"continuation without a start", notFirst, false},
        {"cbIn beyond the data", wrongDataCount, false},
        {"reserved bytes", reserved, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        m_service.ClearFaults();
        m_service.ClearRequests();
        ASSERT_TRUE(m_client.WritePacket(c.packet));
        ASSERT_TRUE(m_service.WaitFor([&] { return !m_service.Faults().empty(); }, 5000));
        EXPECT_EQ(c.handled ? 1u : 0u, m_service.Requests().size());
    }
    m_service.ClearFaults();
    EXPECT_EQ(static_cast<DWORD>(S_OK), ResultOf(Send(6, body))) << "the pipe still works";
    EXPECT_TRUE(m_service.Faults().empty());
}

TEST_F(NuvexServiceTest, SendsItsOwnRequestsInPacketsAndMatchesRepliesByContextId) {
    ConnectClient();
    m_client.SetAnswer(30, Bytes({0x12345678, 0xCAFE}));
    std::vector<BYTE> reply;
    EXPECT_EQ(0x12345678, m_service.SendRequest(30, Pattern(2000), 8, &reply));
    EXPECT_EQ(Bytes({0x12345678, 0xCAFE}), reply);
    const RawTransfer sent = m_client.ServiceRequests().back();
    EXPECT_EQ((std::vector<size_t>{1036, 12 + 16 + 2000 - 1024}), sent.packetSizes);
    EXPECT_EQ(Pattern(2000), sent.data);
    EXPECT_EQ(8u, sent.replyCapacity);
    EXPECT_GE(sent.contextId, 0x80000000u) << "far from the client's own context ids";

    m_client.SetAnswer(31, std::vector<BYTE>{});
    EXPECT_EQ(kStandinReplyWithoutResult, m_service.SendRequest(31, {}, 4));
    m_client.SetAnswer(32, std::nullopt);
    EXPECT_EQ(kStandinNoReply, m_service.SendRequest(32, {}, 4, nullptr, 200));

    EXPECT_TRUE(m_service.Faults().empty());
    ASSERT_TRUE(m_client.WriteTransfer(0x80000000 + 4711, kReply, 19, Bytes({0}), 0));
    EXPECT_TRUE(m_service.WaitFor([&] { return !m_service.Faults().empty(); }, 5000))
        << "a reply to nothing pending is reported";
}

TEST_F(NuvexServiceTest, CommandsSendSoftButtonsPageChangesRemovalsAndArrivals) {
    ConnectClient();
    const size_t announced = m_client.ServiceRequests().size();
    m_client.SetAnswer(19, Bytes({static_cast<DWORD>(E_HANDLE)}));
    EXPECT_EQ(E_HANDLE, m_service.PressSoftButtons(L"JOY1", 0x5)) << "the client's answer";
    EXPECT_EQ(S_OK, m_service.ChangePage(L"JOY1", 3));
    EXPECT_EQ(3u, m_service.Device(L"JOY1")->activePage);
    EXPECT_EQ(S_OK, m_service.ChangePage(L"JOY1", 3, 2));
    EXPECT_FALSE(m_service.Device(L"JOY1")->activePage);
    EXPECT_EQ(S_OK, m_service.RemoveDevice(L"VEXA-0001"));
    EXPECT_EQ(S_OK, m_service.AnnounceDevice(L"VEXA-0001"));
    EXPECT_EQ(kStandinUnknownDevice, m_service.PressSoftButtons(L"NOBODY", 1));

    const auto requests = m_client.ServiceRequests();
    ASSERT_EQ(announced + 5, requests.size());
    const auto panelRecord = Concat(
        {Id(m_panel), Raw(&m_panel.type, sizeof(GUID)), Raw(m_panel.furtherData.data(), 16)});
    const struct {
        DWORD message;
        std::vector<BYTE> body;
    } expected[] = {
        {19, Concat({Id(m_joystick), Bytes({0, 0x5})})},
        {20, Concat({Id(m_joystick), Bytes({3, 1})})},
        {20, Concat({Id(m_joystick), Bytes({3, 2})})},
        {18, panelRecord},
        {17, panelRecord},
    };
    for (size_t i = 0; i < std::size(expected); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(expected[i].message, requests[announced + i].message);
        EXPECT_EQ(expected[i].body, requests[announced + i].data);
        EXPECT_EQ(4u, requests[announced + i].replyCapacity);
    }
    EXPECT_EQ(0x5u, m_service.Device(L"JOY1")->lastButtons);

    ASSERT_EQ(S_OK, m_service.RemoveDevice(L"VEXA-0001"));
    EXPECT_FALSE(m_service.Device(L"VEXA-0001")->present);
    EXPECT_EQ(static_cast<DWORD>(E_HANDLE), ResultOf(Send(3, AddPageBody(m_panel, 1, 1))))
        << "a removed device is not addressable";

    m_client.Close();
    ASSERT_TRUE(m_service.WaitForDisconnection());
    EXPECT_EQ(kStandinNotConnected, m_service.PressSoftButtons(L"JOY1", 1));
}

TEST_F(NuvexServiceTest, KeepsPagesLinesLedsAndTheActivePage) {
    ConnectClient();
    ASSERT_EQ(S_OK, static_cast<HRESULT>(ResultOf(Send(3, AddPageBody(m_joystick, 1, 0)))));
    ASSERT_EQ(S_OK, static_cast<HRESULT>(ResultOf(Send(3, AddPageBody(m_joystick, 2, 1)))));
    const wchar_t* lines[] = {L"COM1 118.000", L"NAV1 110.500", L""};
    for (DWORD line = 0; line < 3; ++line)
        Send(6, SetStringBody(m_joystick, 2, line, lines[line], wcslen(lines[line])));
    Send(6, SetStringBody(m_joystick, 1, 0, L"ab", 10)); // room beyond the text is zero
    Send(5, Concat({Prefix(m_joystick), Bytes({2, 4, 1})}));

    auto joystick = m_service.Device(L"JOY1");
    EXPECT_EQ(2u, joystick->activePage);
    EXPECT_EQ(1u, joystick->pages.at(2).flags);
    EXPECT_EQ(L"ab", joystick->pages.at(1).lines.at(0));
    EXPECT_EQ(1u, joystick->pages.at(2).leds.at(4));
    EXPECT_EQ(L"NAV1 110.500", m_service.ShownLine(L"JOY1", 1));
    EXPECT_TRUE(m_service.WaitForLine(L"JOY1", 0, L"COM1 118.000", 0));
    EXPECT_FALSE(m_service.WaitForLine(L"JOY1", 0, L"ab", 50));

    Send(4, Concat({Prefix(m_joystick), Bytes({2, 0})}));
    joystick = m_service.Device(L"JOY1");
    EXPECT_EQ(0u, joystick->pages.count(2));
    EXPECT_FALSE(joystick->activePage);
    EXPECT_EQ(L"", m_service.ShownLine(L"JOY1", 0));
    EXPECT_TRUE(m_service.Faults().empty());
}

TEST_F(NuvexServiceTest, WritesWhatTheDevicesShowToFiles) {
    ConnectClient();
    const std::wstring folder = TempFolder(L"nvxsvc-files");
    const std::wstring live = TempFolder(L"nvxsvc-live");
    DeleteFileW((live + L"\\JOY1-lines.log").c_str());
    m_service.SetLiveOutputFolder(live);
    Send(3, AddPageBody(m_joystick, 1, 1));
    Send(6, SetStringBody(m_joystick, 1, 0, L"COM1 118.000", 12));
    Send(6, SetStringBody(m_joystick, 1, 0, L"COM1 118.025", 12));
    Send(3, AddPageBody(m_panel, 4, 1));
    const auto image = Pattern(230400);
    Send(7, SetImageBody(m_panel, 4, 0, image));
    Send(5, Concat({Prefix(m_panel), Bytes({4, 2, 1})}));
    ASSERT_TRUE(m_service.WriteDeviceFiles(folder));

    const std::string text = ReadFileBytes(folder + L"\\JOY1.txt");
    EXPECT_NE(std::string::npos, text.find("Line 0: COM1 118.025")) << text;
    EXPECT_NE(std::string::npos, text.find("Active page: 1")) << text;
    EXPECT_NE(std::string::npos, ReadFileBytes(folder + L"\\VEXA-0001.txt").find("LED 2: 1"));

    const std::string bmp = ReadFileBytes(folder + L"\\VEXA-0001-page4-0.bmp");
    ASSERT_EQ(sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER) + image.size(), bmp.size());
    BITMAPFILEHEADER file;
    BITMAPINFOHEADER info;
    std::memcpy(&file, bmp.data(), sizeof(file));
    std::memcpy(&info, bmp.data() + sizeof(file), sizeof(info));
    EXPECT_EQ(0x4D42, file.bfType);
    EXPECT_EQ(sizeof(file) + sizeof(info), file.bfOffBits);
    EXPECT_EQ(320, info.biWidth);
    EXPECT_EQ(240, info.biHeight) << "bottom-up, as the device's image";
    EXPECT_EQ(24, info.biBitCount);
    EXPECT_EQ(0, std::memcmp(image.data(), bmp.data() + file.bfOffBits, image.size()));

    EXPECT_EQ("page 1 line 0: COM1 118.000\r\npage 1 line 0: COM1 118.025\r\n",
              ReadFileBytes(live + L"\\JOY1-lines.log"));
    EXPECT_EQ(bmp, ReadFileBytes(live + L"\\VEXA-0001-page4-0.bmp"));
}

TEST_F(NuvexServiceTest, KeepsOnlyTheLatestRequestsWhenLimitedButCountsAll) {
    m_service.Stop();
    StandinServiceOptions options;
    options.requestRecordLimit = 2;
    ASSERT_TRUE(m_service.Start(options));
    ConnectClient();
    for (DWORD result = 0; result < 3; ++result) {
        m_service.SetResult(0, static_cast<HRESULT>(result));
        ASSERT_EQ(result, ResultOf(Send(0, {})));
    }
    const auto requests = m_service.Requests();
    ASSERT_EQ(2u, requests.size());
    EXPECT_EQ(2u, requests[0].contextId);
    EXPECT_TRUE(m_service.WaitForRequest(0, 3, 0));
}

TEST_F(NuvexServiceTest, ServesANewClientAfterTheOldOneLeft) {
    ConnectClient();
    m_client.Close();
    CRawPipeClient next;
    ASSERT_TRUE(next.Connect()) << "at once: the next client never finds the pipe busy";
    ASSERT_TRUE(next.WaitForServiceRequests(2)) << "the devices are announced again";
    EXPECT_EQ(2u, m_service.ConnectionCount());
    EXPECT_EQ(static_cast<DWORD>(S_OK),
              ResultOf(next.Transmit(3, AddPageBody(m_joystick, 1, 1), 4)));
    next.Close();
}

} // namespace

TEST_F(NuvexServiceTest, FrozenItHearsNothingOfTheClientUntilResumed) {
    ConnectClient();
    m_service.Freeze();
    EXPECT_TRUE(m_service.IsFrozen());
    const DWORD first = m_client.NextContextId();
    ASSERT_TRUE(m_client.WriteTransfer(first, kRequest, 3, AddPageBody(m_joystick, 1, 1), 4));
    const DWORD second = m_client.NextContextId();
    ASSERT_TRUE(m_client.WriteTransfer(second, kRequest, 3, AddPageBody(m_joystick, 2, 0), 4));
    EXPECT_FALSE(m_client.WaitForReply(first, 300)) << "no answer while frozen";
    EXPECT_TRUE(m_service.Requests().empty()) << "not even read";
    EXPECT_EQ(kStandinNoReply, m_service.PressSoftButtons(L"JOY1", 1, 300))
        << "its own requests still go out, their replies are not read";

    m_service.Resume();
    EXPECT_FALSE(m_service.IsFrozen());
    EXPECT_TRUE(m_service.WaitForRequest(3, 2)) << "what was sent meanwhile is handled, in order";
    const auto requests = m_service.Requests(3);
    ASSERT_EQ(2u, requests.size());
    EXPECT_EQ(first, requests[0].contextId);
    EXPECT_EQ(second, requests[1].contextId);
    EXPECT_EQ(static_cast<DWORD>(S_OK), ResultOf(m_client.WaitForReply(second)));
}
