#pragma once
// A test's session with the stand-in simulator: resets it, and guards a blocking Run with a
// watchdog that makes the simulator quit if the test has not ended the loop within the limit,
// so a broken loop fails the test instead of hanging it.

#include "tests/support/SimConnectStandin.h"

#include "common/UniqueHandle.h"

#include <gtest/gtest.h>

class CStandinSession {
public:
    static constexpr DWORD kWatchdogMs = 10000;

    CStandinSession() : m_stop(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
        m_thread.reset(CreateThread(nullptr, 0, &CStandinSession::Watchdog, this, 0, nullptr));
    }
    ~CStandinSession() {
        SetEvent(m_stop.get());
        WaitForSingleObject(m_thread.get(), kWatchdogMs);
        EXPECT_FALSE(m_fired) << "the loop did not end by itself";
        m_sim.Reset();
    }
    CStandinSession(const CStandinSession&) = delete;
    CStandinSession& operator=(const CStandinSession&) = delete;

    CSimConnectStandin& Sim() { return m_sim; }

private:
    static DWORD WINAPI Watchdog(void* context) {
        auto* self = static_cast<CStandinSession*>(context);
        if (WaitForSingleObject(self->m_stop.get(), kWatchdogMs) == WAIT_TIMEOUT) {
            self->m_fired = true;
            self->m_sim.Quit();
        }
        return 0;
    }

    CSimConnectStandin m_sim;
    UniqueHandle m_stop;
    UniqueHandle m_thread;
    volatile bool m_fired = false;
};
