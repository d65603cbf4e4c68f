#pragma once
// Framing, reply matching and dispatch of transfers over one pipe: requests of the library wait
// here for their replies; requests of the service are reassembled and handed to handlers.
//
// What the service sends is bounded before it is kept: partial transfers in number and bytes
// (the oldest goes first), the service's requests through the handler queue.

#include "common/UniqueHandle.h"
#include "nuvex/protocol/IRecieveMessages.h"
#include "nuvex/protocol/TransferHandlerQueue.h"
#include "nuvex/transport/IPipeTransmit.h"

#include <windows.h>

#include <atomic>
#include <condition_variable>
#include <list>
#include <map>
#include <memory>
#include <mutex>

class CTransferBuilder;

class CPipeManager {
public:
    // Bounds the waits of a connection's end and of the manager's destruction.
    static constexpr DWORD kHandlerStopTimeoutMs = 30000;
    // Transfers that span packets are replies with a server message's output (sized by its
    // caller) and nothing else, and the service writes a transfer's packets back to back: a
    // few at once is normal, 64 is plenty; 16 MB holds any output a caller would ask for.
    static constexpr size_t kMaxPartialTransfers = 64;
    static constexpr ULONGLONG kMaxPartialBytes = 16 * 1024 * 1024;

    CPipeManager();
    // Cancels what is pending, waits (bounded) for running handlers, frees the builders.
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
    // Releases every waiting request (each fails) and waits, bounded, until they have gone.
    void CancelAllTransfers(DWORD timeoutMs = kHandlerStopTimeoutMs);

    // A connection's end, in steps around the pipe's own: StopTakingWork makes new requests
    // fail at once and drops the service's requests not yet started; WaitForHandlers waits,
    // bounded, for those running; TakeWork undoes the first step.
    void StopTakingWork();
    bool WaitForHandlers(DWORD timeoutMs);
    void TakeWork();
    // The connection has ended: what it left half-sent can never complete.
    void DropPartialTransfers();

private:
    struct PendingRequest {
        HANDLE replyEvent;
        DWORD replyCapacity;
        BYTE* reply;
        DWORD replyBytes;
        bool cancelled;
    };

    DWORD GetNextTransferContextId();
    CTransferBuilder* FindBuilder(PipeSourceToken source, DWORD contextId) const;
    CTransferBuilder* AddBuilder(PipeSourceToken source, DWORD byteCount, const BYTE* packet);
    bool MakeRoom(const CTransferBuilder* growing, DWORD payloadBytes);
    void DropBuilder(std::list<std::unique_ptr<CTransferBuilder>>::iterator builder);
    void RemoveBuilder(const CTransferBuilder* builder);
    void ProcessTransfer(PipeSourceToken source, DWORD contextId, const BYTE* transfer, DWORD size);
    void CompleteRequest(DWORD contextId, const BYTE* data, DWORD byteCount);
    void ErasePending(DWORD contextId);

    std::atomic<IRecieveMessages*> m_receiver{nullptr};
    std::atomic<IPipeTransmit*> m_pTransmit{nullptr};
    std::atomic<bool> m_refusing{false};
    DWORD m_lastContextId = 0;
    std::map<DWORD, PendingRequest> m_pending;
    size_t m_cancelledPending = 0; // pending records released by CancelAllTransfers
    std::list<std::unique_ptr<CTransferBuilder>> m_builders; // oldest first
    ULONGLONG m_partialBytes = 0;
    mutable std::recursive_mutex m_lock;
    std::condition_variable_any m_cancelledGone;
    // Last: its destructor waits for handler threads, which use everything above.
    CTransferHandlerQueue m_handlers{*this};
};
