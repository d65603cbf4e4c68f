#include "nuvex/protocol/TransferFormat.h"
#include "tests/nuvex/DebugOutputCapture.h"
#include "tests/nuvex/ServiceFixture.h"

#include <chrono>
#include <cstring>
#include <functional>
#include <future>
#include <mutex>
#include <tuple>

namespace {

struct RequestCase {
    const char* name;
    std::function<HRESULT(CDeviceExports&, CServerExports&, NuvexDevice)> call;
    DWORD message;
    DWORD replyCapacity;
    std::function<Bytes(const StandinDeviceId&)> body;
};

const Bytes kImage = {0x10, 0x20, 0x30, 0x40};
const Bytes kInput = {1, 2, 3};

std::vector<RequestCase> RequestCases() {
    static BYTE output[8];
    static wchar_t serial[16];
    return {
        {"SetProfile", [](auto& e, auto&, auto d) { return e.SetProfile(d, 4, L"Prof"); }, 2, 4,
         [](auto& id) { return CBody().Prefix(id).Dword(4).Text(L"Prof", 4).Zeros(4).Get(); }},
        {"SetProfile, count 0", [](auto& e, auto&, auto d) { return e.SetProfile(d, 0, L"X"); }, 2,
         4, [](auto& id) { return CBody().Prefix(id).Dword(0).Zeros(4).Get(); }},
        {"AddPage", [](auto& e, auto&, auto d) { return e.AddPage(d, 7, 1); }, 3, 4,
         [](auto& id) { return CBody().Prefix(id).Dword(7).Dword(1).Get(); }},
        {"RemovePage", [](auto& e, auto&, auto d) { return e.RemovePage(d, 7); }, 4, 4,
         [](auto& id) { return CBody().Prefix(id).Dword(7).Dword(0).Get(); }},
        {"SetLed", [](auto& e, auto&, auto d) { return e.SetLed(d, 7, 2, 0x105); }, 5, 4,
         [](auto& id) { return CBody().Prefix(id).Dword(7).Dword(2).Dword(0x105).Get(); }},
        {"SetString", [](auto& e, auto&, auto d) { return e.SetString(d, 7, 1, 3, L"ABC"); }, 6, 4,
         [](auto& id) {
             return CBody().Prefix(id).Dword(7).Dword(1).Dword(3).Text(L"ABC", 3).Zeros(4).Get();
         }},
        {"SetString, count 0", [](auto& e, auto&, auto d) { return e.SetString(d, 7, 1, 0, L"A"); },
         6, 4,
         [](auto& id) { return CBody().Prefix(id).Dword(7).Dword(1).Dword(0).Zeros(4).Get(); }},
        {"SetString, null text",
         [](auto& e, auto&, auto d) { return e.SetString(d, 7, 1, 5, nullptr); }, 6, 4,
         [](auto& id) { return CBody().Prefix(id).Dword(7).Dword(1).Dword(0).Zeros(4).Get(); }},
        {"SetString, room beyond the text",
         [](auto& e, auto&, auto d) { return e.SetString(d, 7, 2, 10, L"abc"); }, 6, 4,
         [](auto& id) {
             return CBody().Prefix(id).Dword(7).Dword(2).Dword(10).Text(L"abc", 10).Zeros(4).Get();
         }},
        {"SetImage", [](auto& e, auto&, auto d) { return e.SetImage(d, 7, 0, 4, kImage.data()); },
         7, 4,
         [](auto& id) {
             return CBody().Prefix(id).Dword(7).Dword(0).Dword(4).Raw(kImage).Zeros(4).Get();
         }},
        {"SetImage, null bytes",
         [](auto& e, auto&, auto d) { return e.SetImage(d, 7, 0, 100, nullptr); }, 7, 4,
         [](auto& id) { return CBody().Prefix(id).Dword(7).Dword(0).Dword(0).Zeros(4).Get(); }},
        {"SetImageFromFile",
         [](auto& e, auto&, auto d) { return e.SetImageFromFile(d, 7, 3, 5, L"a.bmp"); }, 8, 4,
         [](auto& id) {
             return CBody().Prefix(id).Dword(7).Dword(3).Dword(5).Text(L"a.bmp", 5).Zeros(4).Get();
         }},
        {"GetDeviceInstance",
         [](auto& e, auto&, auto d) {
             GUID instance{};
             return e.GetDeviceInstance(d, &instance);
         },
         1, 20, [](auto& id) { return CBody().Id(id).Zeros(32).Get(); }},
        {"GetSerialNumber", [](auto& e, auto&, auto d) { return e.GetSerialNumber(d, serial, 16); },
         16, 36, [](auto& id) { return CBody().Id(id).Zeros(32).Get(); }},
        {"StartServer",
         [](auto&, auto& s, auto d) {
             DWORD id = 0;
             return s.StartServer(d, 3, L"srv", &id, nullptr);
         },
         2, 24,
         [](auto& id) { return CBody().Prefix(id).Dword(3).Text(L"srv", 3).Zeros(4).Get(); }},
        {"CloseServer",
         [](auto&, auto& s, auto d) { return s.CloseServer(d, 0x5E000001, nullptr); }, 13, 24,
         [](auto& id) { return CBody().Prefix(id).Dword(0x5E000001).Get(); }},
        {"SendServerMsg",
         [](auto&, auto& s, auto d) {
             return s.SendServerMsg(d, 0x5E000001, 9, 7, 3, kInput.data(), 5, output, nullptr);
         },
         14, 33,
         [](auto& id) {
             return CBody()
                 .Prefix(id)
                 .Dword(0x5E000001)
                 .Dword(9)
                 .Dword(7)
                 .Dword(3)
                 .Dword(5)
                 .Raw(kInput)
                 .Zeros(4)
                 .Get();
         }},
        {"SendServerMsg, no output",
         [](auto&, auto& s, auto d) {
             return s.SendServerMsg(d, 0x5E000001, 9, 7, 0, kInput.data(), 0, output, nullptr);
         },
         14, 28,
         [](auto& id) {
             return CBody()
                 .Prefix(id)
                 .Dword(0x5E000001)
                 .Dword(9)
                 .Dword(7)
                 .Dword(0)
                 .Dword(0)
                 .Zeros(4)
                 .Get();
         }},
        {"SendServerFile",
         [](auto&, auto& s, auto d) {
             return s.SendServerFile(d, 0x5E000001, 9, 7, 3, kInput.data(), 4, L"f.gx", 2, output,
                                     nullptr);
         },
         15, 30,
         [](auto& id) {
             return CBody()
                 .Prefix(id)
                 .Dword(0x5E000001)
                 .Dword(9)
                 .Dword(7)
                 .Dword(3)
                 .Dword(2)
                 .Dword(0)
                 .Raw(kInput)
                 .Zeros(4)
                 .Text(L"f.gx", 4)
                 .Get();
         }},
        {"SaveFile",
         [](auto&, auto& s, auto d) { return s.SaveFile(d, 7, 2, 5, L"a.bin", nullptr); }, 9, 24,
         [](auto& id) {
             return CBody().Prefix(id).Dword(7).Dword(2).Dword(5).Text(L"a.bin", 5).Zeros(4).Get();
         }},
        {"DisplayFile", [](auto&, auto& s, auto d) { return s.DisplayFile(d, 7, 3, 2, nullptr); },
         10, 24, [](auto& id) { return CBody().Prefix(id).Dword(7).Dword(2).Dword(3).Get(); }},
        {"DeleteFile", [](auto&, auto& s, auto d) { return s.DeleteFile(d, 7, 2, nullptr); }, 11,
         24, [](auto& id) { return CBody().Prefix(id).Dword(7).Dword(2).Dword(0).Get(); }},
    };
}

} // namespace

TEST_F(ServiceTest, EveryRequestBodyIsSentByteForByte) {
    for (const RequestCase& c : RequestCases()) {
        SCOPED_TRACE(c.name);
        m_service.ClearRequests();
        EXPECT_EQ(c.call(m_exports, m_servers, m_panelDevice), S_OK);
        const StandinRequest request = OnlyRequest(c.message);
        EXPECT_EQ(request.replyCapacity, c.replyCapacity);
        EXPECT_EQ(request.body, c.body(m_panel.id));
    }
}

TEST_F(ServiceTest, InitializeSendsAnEmptyRequestAndASecondInitializeFails) {
    CDeviceList library;
    CDeviceExports exports(library);
    m_service.Stop();
    EXPECT_EQ(exports.Initialize(), HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND)); // service absent
    ASSERT_TRUE(m_service.Start());
    ASSERT_EQ(exports.Initialize(), S_OK);
    const StandinRequest hello = OnlyRequest(0);
    EXPECT_EQ(hello.replyCapacity, 4u);
    EXPECT_TRUE(hello.body.empty());
    EXPECT_LT(exports.Initialize(), 0);
    EXPECT_TRUE(m_service.IsConnected());
    EXPECT_EQ(exports.Deinitialize(), S_OK);
    EXPECT_EQ(exports.Deinitialize(), S_OK);
}

TEST_F(ServiceTest, UnknownHandleAndAllZeroIdAreRefusedWithoutARequest) {
    const auto unknown = reinterpret_cast<NuvexDevice>(0x1234);
    for (const RequestCase& c : RequestCases()) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.call(m_exports, m_servers, unknown), E_HANDLE);
        if (c.message != 1) {
            EXPECT_EQ(c.call(m_exports, m_servers, m_zeroDevice), E_HANDLE);
        }
    }
    GUID guid{};
    EXPECT_EQ(m_exports.RegisterPageCallback(unknown, nullptr, nullptr), E_HANDLE);
    EXPECT_EQ(m_exports.RegisterSoftButtonCallback(unknown, nullptr, nullptr), E_HANDLE);
    EXPECT_EQ(m_exports.GetDeviceType(unknown, &guid), E_HANDLE);
    EXPECT_TRUE(m_service.Requests().empty());
    // The all-zero id still answers the two questions about the device itself.
    EXPECT_EQ(m_exports.GetDeviceType(m_zeroDevice, &guid), S_OK);
    EXPECT_TRUE(IsEqualGUID(guid, m_zero.type));
    EXPECT_EQ(m_exports.GetDeviceInstance(m_zeroDevice, &guid), S_OK);
    EXPECT_TRUE(IsEqualGUID(guid, m_zero.instance));
}

TEST_F(ServiceTest, RequiredPointersAreChecked) {
    BYTE status[16] = {0xEE};
    EXPECT_EQ(m_exports.GetDeviceType(m_panelDevice, nullptr), E_INVALIDARG);
    EXPECT_EQ(m_exports.GetDeviceInstance(m_panelDevice, nullptr), E_INVALIDARG);
    EXPECT_EQ(m_servers.StartServer(m_panelDevice, 3, L"srv", nullptr, status), E_INVALIDARG);
    EXPECT_EQ(m_servers.StartServer(m_zeroDevice, 3, L"srv", nullptr, status), E_HANDLE);
    EXPECT_EQ(status[0], 0xEE);
    EXPECT_TRUE(m_service.Requests().empty());
}

TEST_F(ServiceTest, SerialNumberIsCopiedOnlyOnSuccessAndAtMostSixteenCharacters) {
    struct Case {
        const char* name;
        DWORD size;
        HRESULT serviceResult;
        size_t copied;
    };
    const std::vector<Case> cases = {{"size 8", 8, S_OK, 8},
                                     {"size 20", 20, S_OK, 16},
                                     {"success other than S_OK", 20, 1, 0},
                                     {"failure", 20, E_ACCESSDENIED, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_service.SetResult(16, c.serviceResult);
        std::wstring buffer(20, L'x');
        EXPECT_EQ(m_exports.GetSerialNumber(m_joystickDevice, buffer.data(), c.size),
                  c.serviceResult);
        const std::wstring expected = std::wstring(L"SERIAL-NUMBER-16").substr(0, c.copied) +
                                      std::wstring(20 - c.copied, L'x');
        EXPECT_EQ(buffer, expected);
    }
    m_service.ClearReplyRules();
    EXPECT_EQ(m_exports.GetSerialNumber(m_joystickDevice, nullptr, 16), S_OK);
}

TEST_F(ServiceTest, ServerExportsReturnServerIdOutputAndStatusBlock) {
    BYTE status[16] = {};
    DWORD serverId = 0;
    ASSERT_EQ(m_servers.StartServer(m_panelDevice, 3, L"srv", &serverId, status), S_OK);
    EXPECT_EQ(serverId, m_panel.serverId);
    EXPECT_EQ(Bytes(status, status + 16),
              Bytes(m_panel.statusBlock.begin(), m_panel.statusBlock.end()));

    Bytes reply =
        CBody().Dword(S_OK).Raw(Bytes(16, 0x5A)).Dword(0xFFFFFFFF).Raw({1, 2, 3, 9}).Get();
    m_service.SetReplyData(14, reply);
    BYTE output[3] = {};
    EXPECT_EQ(m_servers.SendServerMsg(m_panelDevice, serverId, 1, 2, 0, nullptr, 3, output, status),
              S_OK);
    EXPECT_EQ(Bytes(output, output + 3), (Bytes{1, 2, 3}));
    EXPECT_EQ(Bytes(status, status + 16), Bytes(16, 0x5A));

    // A failing reply leaves the output alone but still hands back its status block.
    reply = CBody()
                .Dword(static_cast<DWORD>(E_ACCESSDENIED))
                .Raw(Bytes(16, 0x6B))
                .Dword(0)
                .Raw({7, 7, 7})
                .Get();
    m_service.SetReplyData(15, reply);
    EXPECT_EQ(m_servers.SendServerFile(m_panelDevice, serverId, 1, 2, 0, nullptr, 1, L"f", 3,
                                       output, status),
              E_ACCESSDENIED);
    EXPECT_EQ(Bytes(output, output + 3), (Bytes{1, 2, 3}));
    EXPECT_EQ(Bytes(status, status + 16), Bytes(16, 0x6B));

    std::fill(status, status + 16, 0);
    EXPECT_EQ(m_servers.CloseServer(m_panelDevice, serverId, status), S_OK);
    EXPECT_EQ(Bytes(status, status + 16),
              Bytes(m_panel.statusBlock.begin(), m_panel.statusBlock.end()));
}

TEST_F(ServiceTest, AfterDeinitializeRequestsFailButTheRegistryStays) {
    ASSERT_EQ(m_exports.Deinitialize(), S_OK);
    GUID guid{};
    GUID instance = {0x12345678, 0, 0, {}};
    EXPECT_EQ(m_exports.GetDeviceInstance(m_panelDevice, &instance), E_FAIL);
    EXPECT_EQ(instance.Data1, 0x12345678u);
    EXPECT_EQ(m_exports.SetString(m_panelDevice, 1, 0, 1, L"A"), E_UNEXPECTED);
    EXPECT_EQ(m_exports.GetDeviceType(m_panelDevice, &guid), S_OK);
    BYTE status[16];
    std::fill(status, status + 16, 0xEE);
    EXPECT_EQ(m_servers.CloseServer(m_panelDevice, 1, status), E_UNEXPECTED);
    EXPECT_EQ(Bytes(status, status + 16), Bytes(16, 0));
    DWORD serverId = 0xABCD;
    EXPECT_EQ(m_servers.StartServer(m_panelDevice, 1, L"s", &serverId, nullptr), E_UNEXPECTED);
    EXPECT_EQ(serverId, 0xABCDu);

    // Reconnected: the service's announcements of known ids are refused, the old handles work.
    ASSERT_TRUE(m_service.WaitForDisconnection());
    ASSERT_EQ(m_exports.Initialize(), S_OK);
    ASSERT_TRUE(m_service.WaitForArrivals());
    EXPECT_EQ(m_service.Device(L"PANEL-2")->arrivalResult, E_HANDLE);
    EXPECT_EQ(m_exports.SetString(m_panelDevice, 1, 0, 1, L"A"), S_OK);
}

TEST_F(ServiceTest, DeinitializeReleasesAWaitingRequestAtOnce) {
    CDebugOutputCapture capture;
    m_service.SetNoReply(6);
    auto request = std::async(std::launch::async,
                              [&] { return m_exports.SetString(m_panelDevice, 1, 0, 1, L"A"); });
    ASSERT_TRUE(m_service.WaitForRequest(6));
    const auto start = std::chrono::steady_clock::now();
    m_exports.Deinitialize();
    ASSERT_EQ(request.wait_for(std::chrono::seconds(2)), std::future_status::ready);
    EXPECT_EQ(request.get(), E_UNEXPECTED);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    EXPECT_EQ(capture.Count(L"CPipeManager::CancelAllTransfers(...) - cancelling transfer "
                            L"(TransferContextId=" +
                            std::to_wstring(OnlyRequest(6).contextId) + L")\n"),
              1u);
}

TEST_F(ServiceTest, UnansweredRequestTimesOutWhileItsDeviceIsRemoved) {
    CDebugOutputCapture capture;
    m_service.SetNoReply(6);
    auto request = std::async(std::launch::async,
                              [&] { return m_exports.SetString(m_panelDevice, 1, 0, 1, L"A"); });
    ASSERT_TRUE(m_service.WaitForRequest(6));
    // The export still holds the device while the service removes it.
    EXPECT_EQ(m_service.RemoveDevice(L"PANEL-2"), S_OK);
    GUID guid{};
    EXPECT_EQ(m_exports.GetDeviceType(m_panelDevice, &guid), E_HANDLE);
    ASSERT_EQ(request.wait_for(std::chrono::seconds(8)), std::future_status::ready);
    EXPECT_EQ(request.get(), E_UNEXPECTED);
    const StandinRequest sent = OnlyRequest(6);
    EXPECT_EQ(capture.Count(L"CPipeManager::Transmit(...) - timeout while waiting for response "
                            L"from target (TransferContextId=" +
                            std::to_wstring(sent.contextId) +
                            L", dwMessage=6, cbIn=38, cbOut=4)\n"),
              1u);
}

TEST_F(ServiceTest, RequestsOfTheServiceAreAnsweredWithTheRegistrysRefusals) {
    const Bytes id(m_panel.id.begin(), m_panel.id.end());
    Bytes notification = id;
    notification.resize(24);
    struct Case {
        const char* name;
        DWORD message;
        Bytes body;
        DWORD capacity;
        HRESULT expected;
    };
    const std::vector<Case> cases = {
        {"arrival of 47 bytes", 17, Bytes(47, 1), 4, E_UNEXPECTED},
        {"arrival with a reply capacity of 8", 17, Bytes(48, 1), 8, kStandinReplyWithoutResult},
        {"removal of an unknown id", 18, Bytes(48, 3), 4, E_HANDLE},
        {"page change of a known id", 20, notification, 4, S_OK},
        {"unknown message", 12, {}, 4, kStandinReplyWithoutResult},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(m_service.SendRequest(c.message, c.body, c.capacity), c.expected);
    }
    m_service.ClearFaults(); // the service notes our own malformed requests
}

namespace {

// One request transfer of the service in two packets, cut after `cut` bytes of the transfer.
std::vector<Bytes> InTwoPackets(DWORD contextId, DWORD message, const Bytes& body, size_t cut) {
    const Bytes whole = CStandinService::BuildPackets(contextId, 2, message, body, 4).at(0);
    const Bytes transfer(whole.begin() + sizeof(PacketHeader), whole.end());
    std::vector<Bytes> packets;
    for (const auto& [from, to, number] :
         {std::tuple{size_t{0}, cut, WORD{1}}, std::tuple{cut, transfer.size(), WORD{2}}}) {
        const PacketHeader header{contextId, number, 2, static_cast<DWORD>(to - from)};
        Bytes packet(sizeof(header));
        std::memcpy(packet.data(), &header, sizeof(header));
        packet.insert(packet.end(), transfer.begin() + static_cast<ptrdiff_t>(from),
                      transfer.begin() + static_cast<ptrdiff_t>(to));
        packets.push_back(packet);
    }
    return packets;
}

Bytes ArrivalBody(const StandinDeviceConfig& device) {
    const auto* type = reinterpret_cast<const BYTE*>(&device.type);
    return CBody()
        .Id(device.id)
        .Raw(Bytes(type, type + sizeof(GUID)))
        .Raw(Bytes(device.furtherData.begin(), device.furtherData.end()))
        .Get();
}

struct Arrivals {
    std::mutex lock;
    std::vector<NuvexDevice> devices;
    UniqueHandle arrived{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
};

void WINAPI RecordArrival(NuvexDevice device, DWORD added, void* context) {
    auto* arrivals = static_cast<Arrivals*>(context);
    std::lock_guard lock(arrivals->lock);
    if (added == 1)
        arrivals->devices.push_back(device);
    SetEvent(arrivals->arrived.get());
}

} // namespace

TEST_F(ServiceTest, TransferCutOffWithTheConnectionIsNotJoinedToTheNextConnections) {
    CDebugOutputCapture capture;
    constexpr DWORD kContextId = 0x0BAD0F00;
    StandinDeviceConfig cut = StandinDeviceConfig::Panel(L"CUT-DEV");
    cut.type = {0xC0770001, 0, 0, {1, 2, 3, 4, 5, 6, 7, 8}};
    const StandinDeviceConfig fresh = StandinDeviceConfig::Joystick(L"NEW-DEV");

    ASSERT_TRUE(m_service.SendRawPacket(InTwoPackets(kContextId, 17, ArrivalBody(cut), 30)[0]));
    // Answered after it, so the library has taken the half in.
    ASSERT_EQ(m_exports.AddPage(m_joystickDevice, 1, 0), S_OK);
    m_service.Stop();
    m_exports.Deinitialize();
    EXPECT_EQ(capture.Count(L"Freeing partially constructed transfer " +
                            std::to_wstring(kContextId) + L" (Not Finished)\n"),
              1u);

    ASSERT_TRUE(m_service.Start());
    ASSERT_EQ(m_exports.Initialize(), S_OK);
    ASSERT_TRUE(m_service.WaitForArrivals());
    Arrivals arrivals;
    m_exports.RegisterDeviceCallback(RecordArrival, &arrivals);
    // The next connection's transfer with the same context id.
    for (const Bytes& packet : InTwoPackets(kContextId, 17, ArrivalBody(fresh), 30))
        ASSERT_TRUE(m_service.SendRawPacket(packet));
    ASSERT_EQ(WaitForSingleObject(arrivals.arrived.get(), 5000), WAIT_OBJECT_0);
    m_exports.RegisterDeviceCallback(nullptr, nullptr);
    {
        std::lock_guard lock(arrivals.lock);
        ASSERT_EQ(arrivals.devices.size(), 1u);
        GUID type{};
        ASSERT_EQ(m_exports.GetDeviceType(arrivals.devices[0], &type), S_OK);
        EXPECT_TRUE(IsEqualGUID(type, fresh.type));
    }
    // It notes our reply to the raw transfer, which it did not send as a request of its own.
    EXPECT_TRUE(m_service.WaitFor([&] { return !m_service.Faults().empty(); }, 5000));
    m_service.ClearFaults();
}
