#include "tests/nuvex/ServiceFixture.h"

#include <mutex>

namespace {

// What the callbacks saw and did; each callback calls exports back from the library's thread.
struct CallbackLog {
    CDeviceExports* exports = nullptr;
    std::mutex lock;
    DWORD threadId = 0;
    std::vector<std::pair<NuvexDevice, DWORD>> deviceCalls;
    HRESULT typeResult = E_FAIL;
    HRESULT serialResult = E_FAIL;
    std::wstring serial;
    DWORD buttons = 0;
    HRESULT lineResult = E_FAIL;
    std::vector<std::pair<DWORD, bool>> pages;
};

void WINAPI OnPage(NuvexDevice, DWORD page, bool activated, void* context) {
    auto* log = static_cast<CallbackLog*>(context);
    std::lock_guard lock(log->lock);
    log->pages.emplace_back(page, activated);
}

void WINAPI OnButtons(NuvexDevice device, DWORD buttons, void* context) {
    auto* log = static_cast<CallbackLog*>(context);
    // Under the device's lock: the export takes it again.
    const HRESULT result = log->exports->SetString(device, 1, 0, 5, L"Press");
    std::lock_guard lock(log->lock);
    log->buttons = buttons;
    log->lineResult = result;
}

void WINAPI OnDevice(NuvexDevice device, DWORD added, void* context) {
    auto* log = static_cast<CallbackLog*>(context);
    GUID type{};
    // Under the registry lock: the exports take it again, one of them asks the service.
    const HRESULT typeResult = log->exports->GetDeviceType(device, &type);
    std::lock_guard lock(log->lock);
    log->threadId = GetCurrentThreadId();
    log->deviceCalls.emplace_back(device, added);
    log->typeResult = typeResult;
    if (added == 1) {
        wchar_t serial[17] = {};
        log->serialResult = log->exports->GetSerialNumber(device, serial, 16);
        log->serial = serial;
        log->exports->RegisterPageCallback(device, OnPage, log);
        log->exports->RegisterSoftButtonCallback(device, OnButtons, log);
    }
}

} // namespace

TEST_F(ServiceTest, CallbacksRunOnLibraryThreadsAndMayCallTheExports) {
    CallbackLog log;
    log.exports = &m_exports;
    m_exports.RegisterDeviceCallback(OnDevice, &log);
    StandinDeviceConfig late = StandinDeviceConfig::Joystick(L"LATE-JOYSTICK");
    late.announceOnConnect = false;
    m_service.AddDevice(late);

    ASSERT_EQ(m_service.AnnounceDevice(L"LATE-JOYSTICK"), S_OK);
    NuvexDevice device = nullptr;
    {
        std::lock_guard lock(log.lock);
        ASSERT_EQ(log.deviceCalls.size(), 1u);
        device = log.deviceCalls[0].first;
        EXPECT_EQ(log.deviceCalls[0].second, 1u);
        EXPECT_NE(log.threadId, GetCurrentThreadId());
        EXPECT_EQ(log.typeResult, S_OK);
        EXPECT_EQ(log.serialResult, S_OK);
        EXPECT_EQ(log.serial, L"LATE-JOYSTICK");
    }

    ASSERT_EQ(m_service.PressSoftButtons(L"LATE-JOYSTICK", 5), S_OK);
    {
        std::lock_guard lock(log.lock);
        EXPECT_EQ(log.buttons, 5u);
        EXPECT_EQ(log.lineResult, S_OK);
    }
    ASSERT_EQ(m_service.ChangePage(L"LATE-JOYSTICK", 3, 1), S_OK);
    ASSERT_EQ(m_service.ChangePage(L"LATE-JOYSTICK", 3, 2), S_OK);
    {
        std::lock_guard lock(log.lock);
        EXPECT_EQ(log.pages, (std::vector<std::pair<DWORD, bool>>{{3, true}, {3, false}}));
    }

    ASSERT_EQ(m_service.RemoveDevice(L"LATE-JOYSTICK"), S_OK);
    {
        std::lock_guard lock(log.lock);
        ASSERT_EQ(log.deviceCalls.size(), 2u);
        EXPECT_EQ(log.deviceCalls[1], std::make_pair(device, DWORD{0}));
        EXPECT_EQ(log.typeResult, S_OK); // still registered while its removal is told
    }
    GUID type{};
    EXPECT_EQ(m_exports.GetDeviceType(device, &type), E_HANDLE);
    EXPECT_EQ(m_service.PressSoftButtons(L"LATE-JOYSTICK", 1), E_HANDLE); // no longer registered
}
