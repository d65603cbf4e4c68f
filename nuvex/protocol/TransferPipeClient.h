#pragma once
// The library's request side over the pipe: refuses at once while the pipe is not being read.

#include "nuvex/protocol/ITransmitMessages.h"
#include "nuvex/protocol/TransferPipeClientImpl.h"

#include <memory>

class CTransferPipeClient : public ITransmitMessages {
public:
    CTransferPipeClient();
    ~CTransferPipeClient() override;
    CTransferPipeClient(const CTransferPipeClient&) = delete;
    CTransferPipeClient& operator=(const CTransferPipeClient&) = delete;

    bool Transmit(PipeSourceToken source, DWORD dwMessage, DWORD cbIn, const void* data,
                  DWORD replyCapacity, void* reply, DWORD* replyBytes, DWORD timeoutMs) override;

    // Makes the receiver hear the service's requests and connection events, then connects.
    bool Connect(IRecieveMessages* receiver);
    // See CTransferPipeClient_impl::EndConnection.
    void Disconnect(DWORD timeoutMs) { m_impl->EndConnection(timeoutMs); }

private:
    std::unique_ptr<CTransferPipeClient_impl> m_impl;
};
