#include "nuvex/api/DeviceExports.h"
#include "nuvex/api/DeviceList.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

using Bytes = std::vector<BYTE>;

Bytes Announcement(BYTE first) {
    Bytes body(48);
    for (size_t i = 0; i < body.size(); ++i)
        body[i] = static_cast<BYTE>(first + i);
    return body;
}

Bytes Notification(const Bytes& announcement, DWORD at16, DWORD at20) {
    Bytes body(announcement.begin(), announcement.begin() + 16);
    body.resize(24);
    std::memcpy(body.data() + 16, &at16, 4);
    std::memcpy(body.data() + 20, &at20, 4);
    return body;
}

struct Call {
    NuvexDevice device;
    DWORD value;
    bool flag;
};

struct Calls {
    std::vector<Call> device, page, buttons, enumerated;
};

void WINAPI OnDevice(NuvexDevice device, DWORD added, void* context) {
    static_cast<Calls*>(context)->device.push_back({device, added, false});
}
void WINAPI OnPage(NuvexDevice device, DWORD page, bool activated, void* context) {
    static_cast<Calls*>(context)->page.push_back({device, page, activated});
}
void WINAPI OnButtons(NuvexDevice device, DWORD buttons, void* context) {
    static_cast<Calls*>(context)->buttons.push_back({device, buttons, false});
}
void WINAPI OnEnumerate(NuvexDevice device, void* context) {
    static_cast<Calls*>(context)->enumerated.push_back({device, 0, false});
}

class DeviceListTest : public ::testing::Test {
protected:
    // The reply's HRESULT, or nothing when the request was not handled.
    std::optional<HRESULT> Send(DWORD message, const Bytes& body, DWORD capacity = 4) {
        Bytes reply(capacity, 0xEE);
        const DWORD written = m_list.RecieveMessage(0, message, static_cast<DWORD>(body.size()),
                                                    body.data(), capacity, reply.data());
        if (written == 0)
            return std::nullopt;
        EXPECT_EQ(written, 4u);
        HRESULT result = 0;
        std::memcpy(&result, reply.data(), 4);
        return result;
    }

    NuvexDevice Arrive(const Bytes& announcement) {
        EXPECT_EQ(Send(17, announcement), S_OK);
        return m_calls.device.empty() ? nullptr : m_calls.device.back().device;
    }

    CDeviceList m_list;
    CDeviceExports m_exports{m_list};
    Calls m_calls;
};

} // namespace

TEST_F(DeviceListTest, RefusesWhatItCannotHandle) {
    m_exports.RegisterDeviceCallback(OnDevice, &m_calls);
    const Bytes known = Announcement(1);
    Arrive(known);
    m_calls.device.clear();
    struct Case {
        const char* name;
        DWORD message;
        Bytes body;
        DWORD capacity;
        std::optional<HRESULT> expected;
    };
    const std::vector<Case> cases = {
        {"not a request of the service", 16, known, 4, std::nullopt},
        {"above the requests", 21, known, 4, std::nullopt},
        {"reply capacity not 4", 17, Announcement(9), 8, std::nullopt},
        {"arrival of 47 bytes", 17, Bytes(47, 9), 4, E_UNEXPECTED},
        {"removal of 49 bytes", 18, Bytes(49, 1), 4, E_UNEXPECTED},
        {"soft buttons of 23 bytes", 19, Bytes(23, 1), 4, E_UNEXPECTED},
        {"page change of 48 bytes", 20, known, 4, E_UNEXPECTED},
        {"duplicate arrival", 17, known, 4, E_HANDLE},
        {"removal of an unknown id", 18, Announcement(2), 4, E_HANDLE},
        {"buttons of an unknown id", 19, Notification(Announcement(2), 0, 1), 4, E_HANDLE},
        {"page of an unknown id", 20, Notification(Announcement(2), 1, 1), 4, E_HANDLE},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Send(c.message, c.body, c.capacity), c.expected);
    }
    EXPECT_TRUE(m_calls.device.empty());
    int count = 0;
    m_exports.Enumerate([](NuvexDevice, void* n) { ++*static_cast<int*>(n); }, &count);
    EXPECT_EQ(count, 1);
}

TEST_F(DeviceListTest, ArrivalRegistersTheRecordAndTellsTheCallback) {
    m_exports.RegisterDeviceCallback(OnDevice, &m_calls);
    const Bytes announcement = Announcement(0x10);
    const NuvexDevice device = Arrive(announcement);
    ASSERT_EQ(m_calls.device.size(), 1u);
    EXPECT_EQ(m_calls.device[0].value, 1u);
    GUID type{};
    ASSERT_EQ(m_exports.GetDeviceType(device, &type), S_OK);
    EXPECT_EQ(std::memcmp(&type, announcement.data() + 16, 16), 0);
    EXPECT_EQ(m_exports.GetDeviceType(device, nullptr), E_INVALIDARG);
    EXPECT_EQ(m_exports.GetDeviceType(reinterpret_cast<NuvexDevice>(0x1234), &type), E_HANDLE);
}

TEST_F(DeviceListTest, NotificationsReachTheDevicesCallbacks) {
    m_exports.RegisterDeviceCallback(OnDevice, &m_calls);
    const Bytes announcement = Announcement(0x20);
    const NuvexDevice device = Arrive(announcement);
    EXPECT_EQ(Send(19, Notification(announcement, 0xFFFF, 5)), S_OK); // no callback yet
    ASSERT_EQ(m_exports.RegisterPageCallback(device, OnPage, &m_calls), S_OK);
    ASSERT_EQ(m_exports.RegisterSoftButtonCallback(device, OnButtons, &m_calls), S_OK);
    EXPECT_EQ(Send(19, Notification(announcement, 0xFFFF, 6)), S_OK);
    EXPECT_EQ(Send(20, Notification(announcement, 3, 1)), S_OK);
    EXPECT_EQ(Send(20, Notification(announcement, 4, 2)), S_OK);
    ASSERT_EQ(m_calls.buttons.size(), 1u);
    EXPECT_EQ(m_calls.buttons[0].device, device);
    EXPECT_EQ(m_calls.buttons[0].value, 6u); // the value at offset 16 plays no part
    ASSERT_EQ(m_calls.page.size(), 2u);
    EXPECT_EQ(m_calls.page[0].value, 3u);
    EXPECT_TRUE(m_calls.page[0].flag);
    EXPECT_EQ(m_calls.page[1].value, 4u);
    EXPECT_FALSE(m_calls.page[1].flag);
    // A null callback switches the notification off.
    ASSERT_EQ(m_exports.RegisterSoftButtonCallback(device, nullptr, nullptr), S_OK);
    EXPECT_EQ(Send(19, Notification(announcement, 0, 7)), S_OK);
    EXPECT_EQ(m_calls.buttons.size(), 1u);
}

TEST_F(DeviceListTest, EnumerationListsDevicesInHandleOrderAndLateCallbacksHearNothing) {
    EXPECT_EQ(m_exports.Enumerate(OnEnumerate, &m_calls), S_OK);
    EXPECT_TRUE(m_calls.enumerated.empty());
    EXPECT_EQ(m_exports.Enumerate(nullptr, nullptr), E_INVALIDARG);
    for (BYTE first : {BYTE{0x90}, BYTE{0x10}, BYTE{0x50}})
        EXPECT_EQ(Send(17, Announcement(first)), S_OK);
    m_exports.RegisterDeviceCallback(OnDevice, &m_calls);
    EXPECT_TRUE(m_calls.device.empty());
    ASSERT_EQ(m_exports.Enumerate(OnEnumerate, &m_calls), S_OK);
    ASSERT_EQ(m_calls.enumerated.size(), 3u);
    EXPECT_LT(m_calls.enumerated[0].device, m_calls.enumerated[1].device);
    EXPECT_LT(m_calls.enumerated[1].device, m_calls.enumerated[2].device);
}

namespace {
struct RemovalProbe {
    CDeviceExports* exports;
    HRESULT typeDuringRemoval = E_FAIL;
};
void WINAPI ProbeOnRemoval(NuvexDevice device, DWORD added, void* context) {
    auto* probe = static_cast<RemovalProbe*>(context);
    GUID type{};
    if (added == 0)
        probe->typeDuringRemoval = probe->exports->GetDeviceType(device, &type);
}
} // namespace

TEST_F(DeviceListTest, RemovalCallbackStillFindsTheDepartingHandle) {
    const Bytes announcement = Announcement(0x30);
    EXPECT_EQ(Send(17, announcement), S_OK);
    NuvexDevice device = nullptr;
    m_exports.Enumerate([](NuvexDevice d, void* out) { *static_cast<NuvexDevice*>(out) = d; },
                        &device);
    RemovalProbe probe{&m_exports};
    m_exports.RegisterDeviceCallback(ProbeOnRemoval, &probe);
    EXPECT_EQ(Send(18, announcement), S_OK);
    EXPECT_EQ(probe.typeDuringRemoval, S_OK);
    GUID type{};
    EXPECT_EQ(m_exports.GetDeviceType(device, &type), E_HANDLE);
    EXPECT_EQ(Send(17, announcement), S_OK); // the id may arrive again
}

TEST_F(DeviceListTest, RecordInUseOutlivesItsRemoval) {
    const Bytes announcement = Announcement(0x40);
    EXPECT_EQ(Send(17, announcement), S_OK);
    NuvexDevice device = nullptr;
    m_exports.Enumerate([](NuvexDevice d, void* out) { *static_cast<NuvexDevice*>(out) = d; },
                        &device);
    std::shared_ptr<CDeviceRecord> inUse = m_list.Lookup(device); // as an export holds it
    std::weak_ptr<CDeviceRecord> watch = inUse;
    EXPECT_EQ(Send(18, announcement), S_OK);
    EXPECT_EQ(m_list.Lookup(device), nullptr);
    ASSERT_FALSE(watch.expired());
    EXPECT_EQ(std::memcmp(inUse->Id().data(), announcement.data(), 16), 0);
    inUse.reset();
    EXPECT_TRUE(watch.expired());
}

TEST_F(DeviceListTest, AllZeroIdIsRegisteredButRefusedByCallbackRegistration) {
    Bytes announcement(48, 0);
    announcement[16] = 0x77;
    EXPECT_EQ(Send(17, announcement), S_OK);
    NuvexDevice device = nullptr;
    m_exports.Enumerate([](NuvexDevice d, void* out) { *static_cast<NuvexDevice*>(out) = d; },
                        &device);
    GUID type{};
    EXPECT_EQ(m_exports.GetDeviceType(device, &type), S_OK);
    EXPECT_EQ(m_exports.RegisterPageCallback(device, OnPage, &m_calls), E_HANDLE);
    EXPECT_EQ(m_exports.RegisterSoftButtonCallback(device, OnButtons, &m_calls), E_HANDLE);
}

TEST(DeviceList, ProcessRunningEventExistsWhileTheLibraryObjectDoes) {
    const wchar_t* name = L"Harmel_Nuvex_PageManager_Process_Running";
    {
        CDeviceList list;
        UniqueHandle opened(OpenEventW(SYNCHRONIZE, FALSE, name));
        EXPECT_TRUE(opened);
        EXPECT_EQ(WaitForSingleObject(opened.get(), 0), static_cast<DWORD>(WAIT_TIMEOUT));
    }
    EXPECT_FALSE(UniqueHandle(OpenEventW(SYNCHRONIZE, FALSE, name)));
}

TEST_F(DeviceListTest, HandleOfARemovedDeviceIsNeverHandedOutAgain) {
    m_exports.RegisterDeviceCallback(OnDevice, &m_calls);
    std::vector<NuvexDevice> removed;
    for (BYTE round = 0; round < 16; ++round) {
        // The same id comes back too: a device unplugged and plugged in again.
        const Bytes announcement = Announcement(static_cast<BYTE>(0x60 + round % 2));
        const NuvexDevice device = Arrive(announcement);
        for (const NuvexDevice stale : removed) {
            EXPECT_NE(device, stale);
            GUID type{};
            EXPECT_EQ(m_exports.GetDeviceType(stale, &type), E_HANDLE);
            EXPECT_EQ(m_exports.RegisterPageCallback(stale, OnPage, &m_calls), E_HANDLE);
        }
        EXPECT_EQ(Send(18, announcement), S_OK);
        removed.push_back(device);
    }
}
