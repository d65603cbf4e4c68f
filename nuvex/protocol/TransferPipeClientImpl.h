#pragma once
// The pipe client and the transfer manager of one library, joined: packets the reader delivers
// go to the manager; connection events go to the receiver.

#include "nuvex/protocol/IRecieveMessages.h"
#include "nuvex/protocol/PipeManager.h"
#include "nuvex/transport/IPipeEvents.h"
#include "nuvex/transport/NamedPipeClient.h"

#include <atomic>
#include <memory>

class CTransferPipeClient_impl : public IPipeEvents {
public:
    CTransferPipeClient_impl();
    // Ends the connection before the manager goes, so that no read reaches a freed manager.
    ~CTransferPipeClient_impl() override;
    CTransferPipeClient_impl(const CTransferPipeClient_impl&) = delete;
    CTransferPipeClient_impl& operator=(const CTransferPipeClient_impl&) = delete;

    void SetReceiver(IRecieveMessages* receiver) { m_receiver = receiver; }
    CNamedPipeClient& PipeClient() { return m_pipeClient; }
    // Ends the connection so that nothing of it runs on afterwards: new requests fail at once,
    // every read, write and waiting request is released first, then the handlers still running
    // are waited for (all this within timeoutMs) and the reader ends (within its own bound).
    void EndConnection(DWORD timeoutMs);
    CPipeManager& Manager() { return *m_manager; }

    void OnPipeConnect(PipeSourceToken source) override;
    void OnPipeDisconnect(PipeSourceToken source) override;
    void OnPipeRecieve(PipeSourceToken source, DWORD byteCount, const BYTE* buffer) override;

private:
    std::atomic<IRecieveMessages*> m_receiver{nullptr};
    CNamedPipeClient m_pipeClient;
    std::unique_ptr<CPipeManager> m_manager;
};
