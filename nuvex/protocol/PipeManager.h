#pragma once
// Framing, reply matching and dispatch of transfers over one pipe: requests of the library wait
// here for their replies; requests of the service are reassembled and handed to handler threads.

#include "common/UniqueHandle.h"
#include "nuvex/protocol/IRecieveMessages.h"
#include "nuvex/transport/IPipeTransmit.h"

#include <windows.h>

#include <atomic>
#include <list>
#include <map>
#include <memory>
#include <mutex>

class CTransferBuilder;

class CPipeManager {
public:
    static constexpr DWORD kHandlerStopTimeoutMs = 30000;

    CPipeManager();
    // Cancels what is pending, waits (bounded) for running handler threads, frees the builders.
    ~CPipeManager();
    CPipeManager(const CPipeManager&) = delete;
    CPipeManager& operator=(const CPipeManager&) = delete;

    void SetReceiver(IRecieveMessages* receiver) { m_receiver = receiver; }
    IRecieveMessages* Receiver() const { return m_receiver; }
    void SetTransmit(IPipeTransmit* transmit) { m_pTransmit = transmit; }
    bool HasTransmit() const { return m_pTransmit != nullptr; }

    bool Transmit(PipeSourceToken source, DWORD dwMessage, DWORD cbIn, const void* data,
                  DWORD replyCapacity, void* reply, DWORD* replyBytes, DWORD timeoutMs);
    bool WritePackets(PipeSourceToken source, DWORD contextId, BYTE bType, DWORD dwMessage,
                      DWORD cbIn, const void* data, DWORD cbOut, DWORD timeoutMs);
    // One read of the pipe, on the reader thread.
    void Recieve(PipeSourceToken source, DWORD byteCount, const BYTE* packet);
    // Releases every waiting request (each fails) and waits until none is left.
    void CancelAllTransfers();

    // Handler threads tell the manager that they run, so that it outlives them.
    void OnHandlerStarted();
    void OnHandlerEnded();

private:
    struct PendingRequest {
        HANDLE replyEvent;
        DWORD replyCapacity;
        BYTE* reply;
        DWORD replyBytes;
    };

    DWORD GetNextTransferContextId();
    CTransferBuilder* FindBuilder(PipeSourceToken source, DWORD contextId) const;
    void ProcessTransfer(CTransferBuilder* builder);
    void CompleteRequest(DWORD contextId, const BYTE* data, DWORD byteCount);
    void RemoveBuilder(const CTransferBuilder* builder);

    std::atomic<IRecieveMessages*> m_receiver{nullptr};
    std::atomic<IPipeTransmit*> m_pTransmit{nullptr};
    std::atomic<bool> m_cancelling{false};
    DWORD m_lastContextId = 0;
    std::map<DWORD, PendingRequest> m_pending;
    std::list<std::unique_ptr<CTransferBuilder>> m_builders;
    LONG m_runningHandlers = 0;
    UniqueHandle m_handlersEnded; // manual reset: set while no handler thread runs
    mutable std::recursive_mutex m_lock;
};
