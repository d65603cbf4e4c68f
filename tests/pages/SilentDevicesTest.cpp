#include "app/display/SilentDevices.h"

#include "common/UniqueHandle.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

const NuvexDevice kSilent = reinterpret_cast<NuvexDevice>(0x10);
const NuvexDevice kOther = reinterpret_cast<NuvexDevice>(0x20);

using Devices = std::vector<NuvexDevice>;

struct SendOnThread {
    CSilentDevices* silent;
    bool allowed;
};

DWORD WINAPI TrySend(void* context) {
    auto* attempt = static_cast<SendOnThread*>(context);
    attempt->allowed = attempt->silent->MaySend(kSilent);
    return 0;
}

// Whether a send to kSilent may go, asked on another thread.
bool MaySendOnAnotherThread(CSilentDevices& silent) {
    SendOnThread attempt = {&silent, false};
    UniqueHandle thread(CreateThread(nullptr, 0, TrySend, &attempt, 0, nullptr));
    EXPECT_EQ(WaitForSingleObject(thread.get(), 10000), WAIT_OBJECT_0);
    return attempt.allowed;
}

} // namespace

TEST(SilentDevices, AnUnansweredSendSilencesItsDeviceUntilItAnswersAgain) {
    CSilentDevices silent;
    EXPECT_TRUE(silent.MaySend(kSilent));
    silent.OnResult(kSilent, E_UNEXPECTED, true);
    EXPECT_TRUE(silent.IsSilent(kSilent));
    EXPECT_FALSE(silent.MaySend(kSilent));
    EXPECT_TRUE(silent.MaySend(kOther));
    // Other failures are answers of the service.
    silent.OnResult(kSilent, E_HANDLE, false);
    EXPECT_TRUE(silent.IsSilent(kSilent));
    const DWORD untilProbe = silent.TimeToNextDue();
    EXPECT_GT(untilProbe, 0u);
    EXPECT_LE(untilProbe, CSilentDevices::kProbeIntervalMs);
    EXPECT_TRUE(silent.TakeDue().empty());

    // Any request it answers ends the silence, and what it missed is due at once.
    silent.OnResult(kSilent, S_OK, false);
    EXPECT_FALSE(silent.IsSilent(kSilent));
    EXPECT_TRUE(silent.MaySend(kSilent));
    EXPECT_EQ(WaitForSingleObject(silent.Changed(), 0), WAIT_OBJECT_0);
    EXPECT_EQ(silent.TimeToNextDue(), 0u);
    EXPECT_EQ(silent.TakeDue(), Devices{kSilent});
    EXPECT_EQ(silent.TimeToNextDue(), INFINITE);
}

TEST(SilentDevices, OnlySendsAreMissed) {
    CSilentDevices silent;
    silent.OnResult(kSilent, E_UNEXPECTED, false); // say, a page that could not be added
    EXPECT_EQ(silent.TimeToNextDue(), INFINITE);
    silent.OnResult(kSilent, S_OK, false);
    EXPECT_TRUE(silent.TakeDue().empty());

    silent.OnResult(kSilent, E_UNEXPECTED, false);
    EXPECT_FALSE(silent.MaySend(kSilent)); // a refused send is missed
    silent.OnResult(kSilent, S_OK, false);
    EXPECT_EQ(silent.TakeDue(), Devices{kSilent});

    silent.OnResult(kOther, E_UNEXPECTED, true);
    silent.Forget(kOther);
    EXPECT_FALSE(silent.IsSilent(kOther));
    EXPECT_EQ(silent.TimeToNextDue(), INFINITE);
}

// After the interval the thread that takes the silent device may probe it with one send; nobody
// else may send until the device answers.
TEST(SilentDevices, AProbeLetsOneSendOfItsOwnThreadThrough) {
    CSilentDevices silent;
    silent.OnResult(kSilent, E_UNEXPECTED, true);
    const DWORD untilProbe = silent.TimeToNextDue();
    ASSERT_NE(untilProbe, INFINITE);
    WaitForSingleObject(silent.Changed(), 0); // the silence itself
    EXPECT_EQ(WaitForSingleObject(silent.Changed(), untilProbe + 100), WAIT_TIMEOUT);
    ASSERT_EQ(silent.TakeDue(), Devices{kSilent});

    EXPECT_FALSE(MaySendOnAnotherThread(silent));
    EXPECT_TRUE(silent.MaySend(kSilent));
    EXPECT_FALSE(silent.MaySend(kSilent));
    silent.EndProbe(kSilent);

    // Unanswered again: the next probe waits a whole interval.
    silent.OnResult(kSilent, E_UNEXPECTED, true);
    EXPECT_GT(silent.TimeToNextDue(), 0u);
    EXPECT_TRUE(silent.TakeDue().empty());
}
