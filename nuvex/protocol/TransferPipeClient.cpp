#include "nuvex/protocol/TransferPipeClient.h"

#include "nuvex/protocol/TransferFormat.h"

CTransferPipeClient::CTransferPipeClient() : m_impl(std::make_unique<CTransferPipeClient_impl>()) {}

CTransferPipeClient::~CTransferPipeClient() = default;

bool CTransferPipeClient::Transmit(PipeSourceToken, DWORD dwMessage, DWORD cbIn, const void* data,
                                   DWORD replyCapacity, void* reply, DWORD* replyBytes,
                                   DWORD timeoutMs) {
    if (!m_impl->PipeClient().IsReading() || replyBytes == nullptr)
        return false;
    *replyBytes = 0;
    return m_impl->Manager().Transmit(0, dwMessage, cbIn, data, replyCapacity, reply, replyBytes,
                                      timeoutMs);
}

bool CTransferPipeClient::Connect(IRecieveMessages* receiver) {
    m_impl->SetReceiver(receiver);
    m_impl->Manager().SetReceiver(receiver);
    m_impl->PipeClient().SetSink(m_impl.get());
    return m_impl->PipeClient().Connect(kPacketReadBufferSize);
}
