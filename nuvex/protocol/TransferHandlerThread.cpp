#include "nuvex/protocol/TransferHandlerThread.h"

#include "nuvex/protocol/PipeManager.h"
#include "nuvex/protocol/TransferFormat.h"
#include "nuvex/transport/DebugLine.h"

#include <algorithm>
#include <cstring>
#include <new>

std::unique_ptr<CTransferHandlerThread>
CTransferHandlerThread::Create(PipeSourceToken source, DWORD transferBytes, const BYTE* transfer,
                               DWORD replyCapacity, DWORD contextId) {
    std::unique_ptr<CTransferHandlerThread> job(
        new (std::nothrow) CTransferHandlerThread(source, replyCapacity, contextId));
    if (!job) {
        DebugLine(L"CTransferHandlerThread::Create - out of memory\n");
        return nullptr;
    }
    job->m_input.reset(new (std::nothrow) BYTE[transferBytes]);
    if (job->m_input && transferBytes != 0) {
        std::memcpy(job->m_input.get(), transfer, transferBytes);
        job->m_inputBytes = transferBytes;
    }
    return job;
}

void CTransferHandlerThread::DoThreadProc(CPipeManager& manager) {
    TransferHeader header{};
    if (m_inputBytes < sizeof(header)) {
        DebugLine(L"CTransferHandlerThread::DoThreadProc() - invalid input size\n");
        return;
    }
    std::memcpy(&header, m_input.get(), sizeof(header));
    // A header may claim more data than the transfer carries: hand on only what is there.
    const DWORD dataBytes = std::min<DWORD>(header.cbIn, m_inputBytes - sizeof(header));
    const DWORD replyRoom = std::min(m_replyCapacity, kReplyRoomBytes);
    DWORD replyBytes = 0;
    if (IRecieveMessages* receiver = manager.Receiver()) {
        replyBytes =
            receiver->RecieveMessage(m_source, header.dwMessage, dataBytes,
                                     m_input.get() + sizeof(header), m_replyCapacity, m_reply);
        replyBytes = std::min(replyBytes, replyRoom);
    } else {
        DebugLine(L"CTransferHandlerThread::DoThreadProc() - no Reciever to process message\n");
    }
    if (!manager.HasTransmit()) {
        DebugLine(L"CTransferHandlerThread::DoThreadProc() - no Transmit pointer to return "
                  L"results\n");
    } else if (!manager.WritePackets(m_source, m_contextId, kTransferReply, header.dwMessage,
                                     replyBytes, m_reply, 0, kReplyTimeoutMs)) {
        DebugLine(L"CTransferHandlerThread::DoThreadProc() - WritePackets Failed\n");
    }
}
