// A service that stops answering while a callback of the library's user waits on it: nobody
// else waits with it, and ending the connection is prompt and leaves no callback running.

#include "tests/nuvex/DebugOutputCapture.h"
#include "tests/nuvex/ServiceFixture.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <future>

namespace {

using Clock = std::chrono::steady_clock;
// One request time-out of the library and room for a slow machine.
constexpr auto kOwnTimeOutBound = std::chrono::seconds(5 + 3);

// A callback as the program writes them: it sends a page's three lines to its device, then
// does some work of its own with the results.
struct SlowCallback {
    CDeviceExports* exports = nullptr;
    UniqueHandle entered{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    UniqueHandle neverSet{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    std::atomic<int> inside{0};
    std::atomic<int> finished{0};

    void Run(NuvexDevice device) {
        ++inside;
        SetEvent(entered.get());
        for (DWORD line = 0; line < 3; ++line)
            exports->SetString(device, 1, line, 4, L"Line");
        WaitForSingleObject(neverSet.get(), 500); // the program's own work with the results
        ++finished;
        --inside;
    }
};

void WINAPI SlowOnArrival(NuvexDevice device, DWORD added, void* context) {
    if (added == 1)
        static_cast<SlowCallback*>(context)->Run(device);
}

void WINAPI SlowOnButtons(NuvexDevice device, DWORD, void* context) {
    static_cast<SlowCallback*>(context)->Run(device);
}

class SilentServiceTest : public ServiceTest {
protected:
    // The service freezes, then `trigger` makes it send the request whose callback waits on it.
    void ExpectOthersUnhindered(SlowCallback& callback, const std::function<void()>& trigger) {
        m_service.Freeze();
        trigger();
        ASSERT_EQ(WaitForSingleObject(callback.entered.get(), 5000), WAIT_OBJECT_0);

        auto start = Clock::now();
        GUID type{};
        EXPECT_EQ(m_exports.GetDeviceType(m_panelDevice, &type), S_OK);
        EXPECT_LT(Clock::now() - start, std::chrono::seconds(2)) << "nothing to wait for";

        start = Clock::now();
        EXPECT_EQ(m_exports.SetString(m_panelDevice, 1, 0, 4, L"Else"), E_UNEXPECTED);
        EXPECT_LT(Clock::now() - start, kOwnTimeOutBound) << "its own time-out, no more";

        ASSERT_EQ(callback.inside, 1) << "the callback still waits on the service";
        start = Clock::now();
        m_exports.Deinitialize();
        EXPECT_LT(Clock::now() - start, kOwnTimeOutBound);
        EXPECT_EQ(callback.inside, 0) << "no callback runs once Deinitialize has returned";
        EXPECT_EQ(callback.finished, 1);
        m_service.Resume();
        // Woken, it reads what waited, our late reply to its own timed-out request among it.
        EXPECT_TRUE(m_service.WaitForDisconnection());
        m_service.ClearFaults();
    }
};

} // namespace

TEST_F(SilentServiceTest, ArrivalCallbackWaitingOnTheServiceHoldsUpNoOtherDevice) {
    SlowCallback callback;
    callback.exports = &m_exports;
    m_exports.RegisterDeviceCallback(SlowOnArrival, &callback);
    StandinDeviceConfig late = StandinDeviceConfig::Joystick(L"LATE-JOYSTICK");
    late.announceOnConnect = false;
    m_service.AddDevice(late);
    ExpectOthersUnhindered(callback, [&] {
        // The request goes out; the library's reply is never read.
        EXPECT_EQ(m_service.AnnounceDevice(L"LATE-JOYSTICK", 100), kStandinNoReply);
    });
}

TEST_F(SilentServiceTest, SoftButtonCallbackWaitingOnTheServiceHoldsUpNoOtherDevice) {
    SlowCallback callback;
    callback.exports = &m_exports;
    ASSERT_EQ(m_exports.RegisterSoftButtonCallback(m_joystickDevice, SlowOnButtons, &callback),
              S_OK);
    ExpectOthersUnhindered(callback, [&] {
        EXPECT_EQ(m_service.PressSoftButtons(L"SERIAL-NUMBER-16", 1, 100), kStandinNoReply);
    });
}

namespace {

struct StuckCallback {
    UniqueHandle entered{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    UniqueHandle release{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    UniqueHandle left{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
};

void WINAPI StuckOnButtons(NuvexDevice, DWORD, void* context) {
    auto* callback = static_cast<StuckCallback*>(context);
    SetEvent(callback->entered.get());
    WaitForSingleObject(callback->release.get(), 30000);
    SetEvent(callback->left.get());
}

} // namespace

TEST_F(ServiceTest, CallbackThatDoesNotReturnHoldsUpDeinitializeOnlyForItsBound) {
    CDebugOutputCapture capture;
    StuckCallback callback;
    ASSERT_EQ(m_exports.RegisterSoftButtonCallback(m_joystickDevice, StuckOnButtons, &callback),
              S_OK);
    auto press = std::async(std::launch::async,
                            [&] { return m_service.PressSoftButtons(L"SERIAL-NUMBER-16", 1); });
    ASSERT_EQ(WaitForSingleObject(callback.entered.get(), 5000), WAIT_OBJECT_0);
    const auto start = Clock::now();
    m_exports.Deinitialize();
    EXPECT_LT(Clock::now() - start, kOwnTimeOutBound);
    EXPECT_EQ(capture.Count(L"CTransferPipeClient_impl::EndConnection() - handlers still running "
                            L"after 5000 ms\n"),
              1u);
    SetEvent(callback.release.get());
    EXPECT_EQ(WaitForSingleObject(callback.left.get(), 5000), WAIT_OBJECT_0);
    press.wait();
}
