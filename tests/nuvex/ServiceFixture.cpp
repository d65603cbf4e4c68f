#include "tests/nuvex/ServiceFixture.h"

#include <cstring>

CBody& CBody::Id(const StandinDeviceId& id) {
    m_bytes.insert(m_bytes.end(), id.begin(), id.end());
    return *this;
}

CBody& CBody::Prefix(const StandinDeviceId& id) {
    return Id(id).Dword(TerminalId());
}

CBody& CBody::Dword(DWORD value) {
    const auto* bytes = reinterpret_cast<const BYTE*>(&value);
    m_bytes.insert(m_bytes.end(), bytes, bytes + sizeof(value));
    return *this;
}

CBody& CBody::Text(const std::wstring& text, size_t room) {
    for (size_t i = 0; i < room; ++i) {
        const wchar_t c = i < text.size() ? text[i] : L'\0';
        m_bytes.push_back(static_cast<BYTE>(c & 0xFF));
        m_bytes.push_back(static_cast<BYTE>(c >> 8));
    }
    return *this;
}

CBody& CBody::Raw(const Bytes& bytes) {
    m_bytes.insert(m_bytes.end(), bytes.begin(), bytes.end());
    return *this;
}

CBody& CBody::Zeros(size_t count) {
    m_bytes.insert(m_bytes.end(), count, 0);
    return *this;
}

DWORD TerminalId() {
    DWORD terminal = 0;
    ProcessIdToSessionId(GetCurrentProcessId(), &terminal);
    return terminal;
}

void ServiceTest::SetUp() {
    m_zero.id = {};
    for (BYTE i = 0; i < 16; ++i)
        m_panel.statusBlock[i] = static_cast<BYTE>(0xC0 + i);
    m_service.AddDevice(m_joystick);
    m_service.AddDevice(m_panel);
    m_service.AddDevice(m_zero);
    ASSERT_TRUE(m_service.Start());
    ASSERT_EQ(m_exports.Initialize(), S_OK);
    ASSERT_TRUE(m_service.WaitForArrivals());
    m_joystickDevice = Handle(m_joystick);
    m_panelDevice = Handle(m_panel);
    m_zeroDevice = Handle(m_zero);
    ASSERT_NE(m_joystickDevice, nullptr);
    ASSERT_NE(m_panelDevice, nullptr);
    ASSERT_NE(m_zeroDevice, nullptr);
    m_service.ClearRequests();
}

void ServiceTest::TearDown() {
    m_exports.Deinitialize();
    for (const std::wstring& fault : m_service.Faults())
        ADD_FAILURE() << "service saw: " << std::string(fault.begin(), fault.end());
    m_service.Stop();
}

namespace {
struct HandleSearch {
    CDeviceExports* exports;
    GUID instance;
    NuvexDevice found;
};
void WINAPI MatchInstance(NuvexDevice device, void* context) {
    auto* search = static_cast<HandleSearch*>(context);
    GUID instance{};
    if (search->exports->GetDeviceInstance(device, &instance) == S_OK &&
        IsEqualGUID(instance, search->instance))
        search->found = device;
}
} // namespace

NuvexDevice ServiceTest::Handle(const StandinDeviceConfig& config) {
    HandleSearch search{&m_exports, config.instance, nullptr};
    m_exports.Enumerate(MatchInstance, &search);
    return search.found;
}

StandinRequest ServiceTest::OnlyRequest(DWORD message) {
    const std::vector<StandinRequest> requests = m_service.Requests(message);
    EXPECT_EQ(requests.size(), 1u) << "message " << message;
    return requests.empty() ? StandinRequest{} : requests.back();
}
