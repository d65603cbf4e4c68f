#pragma once
// One overlapped read or write with an event of its own.

#include "common/UniqueHandle.h"

#include <windows.h>

class COverLapped {
public:
    enum Result { WaitFailed = -1, Failed = 0, Completed = 1, TimedOut = 2, Aborted = 3 };

    COverLapped();
    COverLapped(const COverLapped&) = delete;
    COverLapped& operator=(const COverLapped&) = delete;

    bool IsValid() const { return static_cast<bool>(m_event); }
    OVERLAPPED* Get() { return &m_overlapped; }

    // Waits for the operation or the abort event. An operation that does not complete is
    // cancelled and its completion awaited, so the record may be released afterwards. A message
    // longer than the buffer counts as completed with the part that fitted; the rest follows in
    // the next read, as it would in byte mode.
    int GetResult(HANDLE file, HANDLE abortEvent, DWORD* transferred, DWORD timeoutMs);

private:
    void Abandon(HANDLE file);

    OVERLAPPED m_overlapped{};
    UniqueHandle m_event;
};
