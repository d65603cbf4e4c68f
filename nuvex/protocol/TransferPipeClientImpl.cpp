#include "nuvex/protocol/TransferPipeClientImpl.h"

#include "nuvex/transport/DebugLine.h"

CTransferPipeClient_impl::CTransferPipeClient_impl() : m_manager(std::make_unique<CPipeManager>()) {
    m_manager->SetTransmit(&m_pipeClient);
}

CTransferPipeClient_impl::~CTransferPipeClient_impl() {
    EndConnection(CPipeManager::kHandlerStopTimeoutMs);
    m_manager.reset();
}

void CTransferPipeClient_impl::EndConnection(DWORD timeoutMs) {
    m_manager->StopTakingWork();
    m_pipeClient.SignalStop();
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    const auto remaining = [deadline] {
        const ULONGLONG now = GetTickCount64();
        return static_cast<DWORD>(now < deadline ? deadline - now : 0);
    };
    m_manager->CancelAllTransfers(remaining());
    if (!m_manager->WaitForHandlers(remaining()))
        DebugLine(L"CTransferPipeClient_impl::EndConnection() - handlers still running after %d "
                  L"ms\n",
                  timeoutMs);
    m_pipeClient.Disconnect();
    m_manager->DropPartialTransfers();
    m_manager->TakeWork();
}

void CTransferPipeClient_impl::OnPipeConnect(PipeSourceToken source) {
    if (IRecieveMessages* receiver = m_receiver)
        receiver->OnConnect(source);
}

void CTransferPipeClient_impl::OnPipeDisconnect(PipeSourceToken source) {
    m_manager->DropPartialTransfers();
    if (IRecieveMessages* receiver = m_receiver)
        receiver->OnDisconnect(source);
}

void CTransferPipeClient_impl::OnPipeRecieve(PipeSourceToken source, DWORD byteCount,
                                             const BYTE* buffer) {
    m_manager->Recieve(source, byteCount, buffer);
}
