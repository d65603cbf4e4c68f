#include "nuvex/transport/OverLapped.h"

#include "nuvex/transport/DebugLine.h"

COverLapped::COverLapped() : m_event(CreateEventW(nullptr, FALSE, FALSE, nullptr)) {
    m_overlapped.hEvent = m_event.get();
}

int COverLapped::GetResult(HANDLE file, HANDLE abortEvent, DWORD* transferred, DWORD timeoutMs) {
    const HANDLE events[] = {m_event.get(), abortEvent};
    const DWORD wait = WaitForMultipleObjects(ARRAYSIZE(events), events, FALSE, timeoutMs);
    switch (wait) {
    case WAIT_OBJECT_0:
        if (GetOverlappedResult(file, &m_overlapped, transferred, FALSE) ||
            GetLastError() == ERROR_MORE_DATA)
            return Completed;
        return Failed;
    case WAIT_OBJECT_0 + 1:
        DebugLine(L"COverLapped::GetResult(...) - WAIT_OBJECT_0 + 1\n");
        Abandon(file);
        return Aborted;
    case WAIT_TIMEOUT:
        DebugLine(L"COverLapped::GetResult(...) - WAIT_TIMEOUT\n");
        Abandon(file);
        return TimedOut;
    default:
        DebugLine(L"COverLapped::GetResult(...) - wait = %08X\n", wait);
        Abandon(file);
        return WaitFailed;
    }
}

void COverLapped::Abandon(HANDLE file) {
    DWORD ignored = 0;
    CancelIoEx(file, &m_overlapped);
    GetOverlappedResult(file, &m_overlapped, &ignored, TRUE);
}
