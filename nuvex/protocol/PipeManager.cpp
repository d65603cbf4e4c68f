#include "nuvex/protocol/PipeManager.h"

#include "nuvex/protocol/TransferBuilder.h"
#include "nuvex/protocol/TransferFormat.h"
#include "nuvex/protocol/TransferHandlerThread.h"
#include "nuvex/transport/DebugLine.h"

#include <algorithm>
#include <cstring>
#include <new>

CPipeManager::CPipeManager() : m_handlersEnded(CreateEventW(nullptr, TRUE, TRUE, nullptr)) {}

CPipeManager::~CPipeManager() {
    CancelAllTransfers();
    WaitForSingleObject(m_handlersEnded.get(), kHandlerStopTimeoutMs);
    std::lock_guard lock(m_lock);
    for (const auto& builder : m_builders)
        DebugLine(L"Freeing partially constructed transfer %d (%ws)\n", builder->ContextId(),
                  builder->IsComplete() ? L"Finished" : L"Not Finished");
    m_builders.clear();
}

DWORD CPipeManager::GetNextTransferContextId() {
    const DWORD start = m_lastContextId;
    DWORD id = start;
    for (;;) {
        id = id == 0xFFFFFFFF ? 0 : id + 1;
        if (m_pending.find(id) == m_pending.end()) {
            m_lastContextId = id;
            return id;
        }
        if (id == start) {
            DebugLine(
                L"CPipeManager::GetNextTransferContextId() - unable to find free context id\n");
            return 0;
        }
    }
}

bool CPipeManager::Transmit(PipeSourceToken source, DWORD dwMessage, DWORD cbIn, const void* data,
                            DWORD replyCapacity, void* reply, DWORD* replyBytes, DWORD timeoutMs) {
    DWORD id = 0;
    {
        std::lock_guard lock(m_lock);
        id = GetNextTransferContextId();
    }
    UniqueHandle replyEvent(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    if (!replyEvent)
        return false;
    {
        std::lock_guard lock(m_lock);
        if (m_pending.find(id) != m_pending.end()) {
            DebugLine(L"CPipeManager::Transmit() - context id already exists\n");
            return false;
        }
        m_pending[id] = {replyEvent.get(), replyCapacity, static_cast<BYTE*>(reply), 0};
    }
    bool result = false;
    if (!WritePackets(source, id, kTransferRequest, dwMessage, cbIn, data, replyCapacity,
                      timeoutMs)) {
        DebugLine(L"CPipeManager::Transmit(...) - WritePackets failed (TransferContextId=%d)\n",
                  id);
    } else {
        switch (WaitForSingleObject(replyEvent.get(), timeoutMs)) {
        case WAIT_OBJECT_0: {
            std::lock_guard lock(m_lock);
            if (replyBytes != nullptr)
                *replyBytes = m_pending[id].replyBytes;
            result = !m_cancelling;
            break;
        }
        case WAIT_TIMEOUT:
            DebugLine(L"CPipeManager::Transmit(...) - timeout while waiting for response from "
                      L"target (TransferContextId=%d, dwMessage=%d, cbIn=%d, cbOut=%d)\n",
                      id, dwMessage, cbIn, replyCapacity);
            break;
        default:
            break;
        }
    }
    std::lock_guard lock(m_lock);
    m_pending.erase(id);
    return result;
}

bool CPipeManager::WritePackets(PipeSourceToken source, DWORD contextId, BYTE bType,
                                DWORD dwMessage, DWORD cbIn, const void* data, DWORD cbOut,
                                DWORD timeoutMs) {
    IPipeTransmit* transmit = m_pTransmit;
    ULONGLONG remaining = ULONGLONG{cbIn} + sizeof(TransferHeader);
    const ULONGLONG packetCount = (remaining + kPacketPayloadLimit - 1) / kPacketPayloadLimit;
    // The packet count field is 16 bits wide: a larger transfer would be cut short on the wire.
    if (transmit == nullptr || packetCount > kMaxPacketsPerTransfer)
        return false;
    std::unique_ptr<BYTE[]> packet(new (std::nothrow)
                                       BYTE[kPacketPayloadLimit + sizeof(PacketHeader)]);
    if (!packet) {
        DebugLine(L"CPipeManager::WritePackets() - unable to allocate packet buffer\n");
        return false;
    }
    const TransferHeader transferHeader{dwMessage, bType, 0xFF, 0xFFFF, cbIn, cbOut};
    const auto* nextData = static_cast<const BYTE*>(data);
    for (ULONGLONG number = 1; number <= packetCount; ++number) {
        std::memset(packet.get(), 0, kPacketPayloadLimit + sizeof(PacketHeader));
        const auto payload =
            static_cast<DWORD>(std::min<ULONGLONG>(kPacketPayloadLimit, remaining));
        const PacketHeader packetHeader{contextId, static_cast<WORD>(number),
                                        static_cast<WORD>(packetCount), payload};
        std::memcpy(packet.get(), &packetHeader, sizeof(packetHeader));
        BYTE* room = packet.get() + sizeof(packetHeader);
        DWORD roomBytes = payload;
        if (number == 1) {
            std::memcpy(room, &transferHeader, sizeof(transferHeader));
            room += sizeof(transferHeader);
            roomBytes -= sizeof(transferHeader);
        }
        if (nextData != nullptr) {
            std::memcpy(room, nextData, roomBytes);
            nextData += roomBytes;
        }
        remaining -= payload;
        if (!transmit->PipeWrite(source, payload + sizeof(PacketHeader), packet.get(), timeoutMs)) {
            DebugLine(L"CPipeManager::WritePackets() - m_pTransmit->PipeWrite failed\n");
            return false;
        }
    }
    return true;
}

void CPipeManager::Recieve(PipeSourceToken source, DWORD byteCount, const BYTE* packet) {
    if (byteCount < sizeof(PacketHeader)) {
        DebugLine(L"CPipeManager::Recieve() - recieved buffer was too small for a header!\n");
        return;
    }
    PacketHeader header{};
    std::memcpy(&header, packet, sizeof(header));
    std::lock_guard lock(m_lock);
    CTransferBuilder* builder = FindBuilder(source, header.TransferContextId);
    if (builder == nullptr) {
        auto fresh = std::make_unique<CTransferBuilder>(source, header.TransferContextId);
        if (!fresh->Initialize(byteCount, packet)) {
            DebugLine(L"CPipeManager::Recieve() - pTransfer->Initialize failed\n");
            return;
        }
        builder = fresh.get();
        m_builders.push_back(std::move(fresh));
    } else if (!builder->Append(byteCount, packet)) {
        DebugLine(L"CPipeManager::Recieve() - pTransfer->Append failed\n");
        return;
    }
    ProcessTransfer(builder);
}

CTransferBuilder* CPipeManager::FindBuilder(PipeSourceToken source, DWORD contextId) const {
    for (const auto& builder : m_builders) {
        if (builder->Source() == source && builder->ContextId() == contextId)
            return builder.get();
    }
    return nullptr;
}

void CPipeManager::ProcessTransfer(CTransferBuilder* builder) {
    if (!builder->IsComplete())
        return;
    const DWORD size = builder->Size();
    const BYTE* transfer = builder->Data();
    TransferHeader header{};
    const bool hasHeader = size >= sizeof(header);
    if (hasHeader)
        std::memcpy(&header, transfer, sizeof(header));
    if (hasHeader && header.bType == kTransferReply) {
        CompleteRequest(builder->ContextId(), transfer + sizeof(header), size - sizeof(header));
    } else if (!CTransferHandlerThread::Create(*this, builder->Source(), size, transfer,
                                               hasHeader ? header.cbOut : 0,
                                               builder->ContextId())) {
        DebugLine(L"CTransferHandlerThread::Create failed %08X\n", GetLastError());
    }
    RemoveBuilder(builder);
}

void CPipeManager::CompleteRequest(DWORD contextId, const BYTE* data, DWORD byteCount) {
    std::lock_guard lock(m_lock);
    const auto pending = m_pending.find(contextId);
    if (pending == m_pending.end()) {
        DebugLine(L"CPipeManager::ProcessTransfer() - unable to find matching transfer "
                  L"(TransferContextId=%d)\n",
                  contextId);
        return;
    }
    PendingRequest& request = pending->second;
    const DWORD copied = request.reply != nullptr ? std::min(request.replyCapacity, byteCount) : 0;
    if (request.reply != nullptr) {
        std::memset(request.reply, 0, request.replyCapacity);
        std::memcpy(request.reply, data, copied);
    }
    request.replyBytes = copied;
    SetEvent(request.replyEvent);
}

void CPipeManager::RemoveBuilder(const CTransferBuilder* builder) {
    m_builders.remove_if([builder](const auto& listed) { return listed.get() == builder; });
}

void CPipeManager::CancelAllTransfers() {
    {
        std::lock_guard lock(m_lock);
        m_cancelling = true;
        for (const auto& [id, request] : m_pending) {
            DebugLine(L"CPipeManager::CancelAllTransfers(...) - cancelling transfer "
                      L"(TransferContextId=%d)\n",
                      id);
            SetEvent(request.replyEvent);
        }
    }
    for (;;) {
        {
            std::lock_guard lock(m_lock);
            if (m_pending.empty())
                break;
        }
        Sleep(100);
    }
    m_cancelling = false;
}

void CPipeManager::OnHandlerStarted() {
    std::lock_guard lock(m_lock);
    if (m_runningHandlers++ == 0)
        ResetEvent(m_handlersEnded.get());
}

void CPipeManager::OnHandlerEnded() {
    bool last = false;
    {
        std::lock_guard lock(m_lock);
        last = --m_runningHandlers == 0;
    }
    // The last thing a handler does with the manager: once set, the manager may be gone.
    if (last)
        SetEvent(m_handlersEnded.get());
}
