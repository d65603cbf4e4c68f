#include "nuvex/protocol/TransferPipeClientImpl.h"

CTransferPipeClient_impl::CTransferPipeClient_impl() : m_manager(std::make_unique<CPipeManager>()) {
    m_manager->SetTransmit(&m_pipeClient);
}

CTransferPipeClient_impl::~CTransferPipeClient_impl() {
    m_manager->CancelAllTransfers();
    m_pipeClient.Disconnect();
    m_manager.reset();
}

void CTransferPipeClient_impl::OnPipeConnect(PipeSourceToken source) {
    if (IRecieveMessages* receiver = m_receiver)
        receiver->OnConnect(source);
}

void CTransferPipeClient_impl::OnPipeDisconnect(PipeSourceToken source) {
    if (IRecieveMessages* receiver = m_receiver)
        receiver->OnDisconnect(source);
}

void CTransferPipeClient_impl::OnPipeRecieve(PipeSourceToken source, DWORD byteCount,
                                             const BYTE* buffer) {
    m_manager->Recieve(source, byteCount, buffer);
}
