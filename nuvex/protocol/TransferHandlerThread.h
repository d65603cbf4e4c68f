#pragma once
// One inbound request of the service, handled on a short-lived thread of its own and answered.

#include "common/UniqueHandle.h"
#include "nuvex/transport/IPipeTransmit.h"

#include <windows.h>

#include <memory>

class CPipeManager;

class CTransferHandlerThread {
public:
    static constexpr DWORD kReplyTimeoutMs = 30000;

    // Copies the transfer (header included) and starts the thread, which then owns the job.
    static bool Create(CPipeManager& manager, PipeSourceToken source, DWORD transferBytes,
                       const BYTE* transfer, DWORD replyCapacity, DWORD contextId);

private:
    CTransferHandlerThread(CPipeManager& manager, PipeSourceToken source, DWORD contextId)
        : m_manager(manager), m_source(source), m_contextId(contextId) {}

    static DWORD WINAPI ThreadProc(void* parameter) noexcept;
    void DoThreadProc();

    CPipeManager& m_manager;
    PipeSourceToken m_source;
    DWORD m_inputBytes = 0;
    std::unique_ptr<BYTE[]> m_input;
    DWORD m_replyCapacity = 0;
    std::unique_ptr<BYTE[]> m_reply;
    DWORD m_contextId;
    UniqueHandle m_thread;
};
