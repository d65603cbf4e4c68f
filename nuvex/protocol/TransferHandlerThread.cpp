#include "nuvex/protocol/TransferHandlerThread.h"

#include "nuvex/protocol/PipeManager.h"
#include "nuvex/protocol/TransferFormat.h"
#include "nuvex/transport/DebugLine.h"
#include "nuvex/transport/LibraryThread.h"

#include "common/CallNoThrow.h"

#include <algorithm>
#include <cstring>
#include <new>

bool CTransferHandlerThread::Create(CPipeManager& manager, PipeSourceToken source,
                                    DWORD transferBytes, const BYTE* transfer, DWORD replyCapacity,
                                    DWORD contextId) {
    std::unique_ptr<CTransferHandlerThread> job(
        new (std::nothrow) CTransferHandlerThread(manager, source, contextId));
    if (!job) {
        DebugLine(L"CTransferHandlerThread::Create - out of memory\n");
        return false;
    }
    job->m_input.reset(new (std::nothrow) BYTE[transferBytes]);
    if (job->m_input && transferBytes != 0) {
        std::memcpy(job->m_input.get(), transfer, transferBytes);
        job->m_inputBytes = transferBytes;
    }
    job->m_reply.reset(new (std::nothrow) BYTE[replyCapacity]());
    if (job->m_reply)
        job->m_replyCapacity = replyCapacity;
    job->m_thread.reset(CreateLibraryThread(ThreadProc, job.get(), CREATE_SUSPENDED));
    if (!job->m_thread) {
        DebugLine(L"CTransferHandlerThread::Create - CreateThread failed\n");
        return false;
    }
    manager.OnHandlerStarted();
    ResumeThread(job.release()->m_thread.get());
    return true;
}

// A request whose handling throws goes unanswered, as one the receiver could not handle; the
// job ends all the same.
DWORD WINAPI CTransferHandlerThread::ThreadProc(void* parameter) noexcept {
    auto* job = static_cast<CTransferHandlerThread*>(parameter);
    CPipeManager& manager = job->m_manager;
    (void)CallNoThrow([job] { job->DoThreadProc(); });
    delete job;
    manager.OnHandlerEnded();
    return 0;
}

void CTransferHandlerThread::DoThreadProc() {
    TransferHeader header{};
    if (m_inputBytes < sizeof(header)) {
        DebugLine(L"CTransferHandlerThread::DoThreadProc() - invalid input size\n");
        return;
    }
    std::memcpy(&header, m_input.get(), sizeof(header));
    // A header may claim more data than the transfer carries: hand on only what is there.
    const DWORD dataBytes = std::min<DWORD>(header.cbIn, m_inputBytes - sizeof(header));
    DWORD replyBytes = 0;
    if (IRecieveMessages* receiver = m_manager.Receiver()) {
        replyBytes = receiver->RecieveMessage(m_source, header.dwMessage, dataBytes,
                                              m_input.get() + sizeof(header), m_replyCapacity,
                                              m_reply.get());
        replyBytes = std::min(replyBytes, m_replyCapacity);
    } else {
        DebugLine(L"CTransferHandlerThread::DoThreadProc() - no Reciever to process message\n");
    }
    if (!m_manager.HasTransmit()) {
        DebugLine(L"CTransferHandlerThread::DoThreadProc() - no Transmit pointer to return "
                  L"results\n");
    } else if (!m_manager.WritePackets(m_source, m_contextId, kTransferReply, header.dwMessage,
                                       replyBytes, m_reply.get(), 0, kReplyTimeoutMs)) {
        DebugLine(L"CTransferHandlerThread::DoThreadProc() - WritePackets Failed\n");
    }
}
