#pragma once
// One inbound request of the service: a copy of its transfer, handled on a handler thread (see
// CTransferHandlerQueue) and answered.

#include "nuvex/protocol/IRecieveMessages.h"
#include "nuvex/transport/IPipeTransmit.h"

#include <windows.h>

#include <memory>

class CPipeManager;

class CTransferHandlerThread {
public:
    static constexpr DWORD kReplyTimeoutMs = 30000;

    // Copies the transfer (header included). The reply gets the room of one HRESULT, never the
    // capacity the request announces. Null (traced) when the job cannot be made.
    static std::unique_ptr<CTransferHandlerThread> Create(PipeSourceToken source,
                                                          DWORD transferBytes, const BYTE* transfer,
                                                          DWORD replyCapacity, DWORD contextId);

    DWORD InputBytes() const { return m_inputBytes; }
    DWORD ContextId() const { return m_contextId; }

    // Hands the request to the manager's receiver and writes the reply; on a handler thread.
    void DoThreadProc(CPipeManager& manager);

private:
    CTransferHandlerThread(PipeSourceToken source, DWORD replyCapacity, DWORD contextId)
        : m_source(source), m_replyCapacity(replyCapacity), m_contextId(contextId) {}

    PipeSourceToken m_source;
    DWORD m_inputBytes = 0;
    std::unique_ptr<BYTE[]> m_input;
    DWORD m_replyCapacity;
    BYTE m_reply[kReplyRoomBytes] = {};
    DWORD m_contextId;
};
