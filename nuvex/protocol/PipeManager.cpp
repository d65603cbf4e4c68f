#include "nuvex/protocol/PipeManager.h"

#include "nuvex/protocol/TransferBuilder.h"
#include "nuvex/protocol/TransferFormat.h"
#include "nuvex/transport/DebugLine.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <new>

CPipeManager::CPipeManager() = default;

// Requests already received are still handled (their replies fail once the pipe is gone):
// only a connection's end drops what waits.
CPipeManager::~CPipeManager() {
    m_refusing = true;
    CancelAllTransfers();
    WaitForHandlers(kHandlerStopTimeoutMs);
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
    // A connection that is ending takes no new request: it would only wait for its time-out.
    if (m_refusing)
        return false;
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
        if (m_refusing)
            return false;
        if (m_pending.find(id) != m_pending.end()) {
            DebugLine(L"CPipeManager::Transmit() - context id already exists\n");
            return false;
        }
        m_pending[id] = {replyEvent.get(), replyCapacity, static_cast<BYTE*>(reply), 0, false};
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
            const PendingRequest& request = m_pending[id];
            if (replyBytes != nullptr)
                *replyBytes = request.replyBytes;
            result = !request.cancelled;
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
    ErasePending(id);
    return result;
}

void CPipeManager::ErasePending(DWORD contextId) {
    std::lock_guard lock(m_lock);
    const auto pending = m_pending.find(contextId);
    if (pending == m_pending.end())
        return;
    if (pending->second.cancelled && --m_cancelledPending == 0)
        m_cancelledGone.notify_all();
    m_pending.erase(pending);
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

// A transfer whose first packet is also its last is handled straight from the read buffer:
// replies to the library's own requests take no allocation on their way in.
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
        if (!CTransferBuilder::Check(L"Initialize", header.TransferContextId, byteCount, packet,
                                     header)) {
            DebugLine(L"CPipeManager::Recieve() - pTransfer->Initialize failed\n");
            return;
        }
        if (header.wPacket == header.wPacketCount) {
            ProcessTransfer(source, header.TransferContextId, packet + sizeof(PacketHeader),
                            header.cbPacket);
            return;
        }
        builder = AddBuilder(source, byteCount, packet);
        if (builder == nullptr)
            return;
    } else {
        if (!CTransferBuilder::Check(L"Append", builder->ContextId(), byteCount, packet, header)) {
            DebugLine(L"CPipeManager::Recieve() - pTransfer->Append failed\n");
            return;
        }
        if (!MakeRoom(builder, header.cbPacket))
            return;
        if (!builder->Append(byteCount, packet)) {
            DebugLine(L"CPipeManager::Recieve() - pTransfer->Append failed\n");
            return;
        }
        m_partialBytes += header.cbPacket;
    }
    if (!builder->IsComplete())
        return;
    ProcessTransfer(source, builder->ContextId(), builder->Data(), builder->Size());
    RemoveBuilder(builder);
}

CTransferBuilder* CPipeManager::FindBuilder(PipeSourceToken source, DWORD contextId) const {
    for (const auto& builder : m_builders) {
        if (builder->Source() == source && builder->ContextId() == contextId)
            return builder.get();
    }
    return nullptr;
}

// The first packet of a transfer that spans packets (already checked).
CTransferBuilder* CPipeManager::AddBuilder(PipeSourceToken source, DWORD byteCount,
                                           const BYTE* packet) {
    PacketHeader header{};
    std::memcpy(&header, packet, sizeof(header));
    if (m_builders.size() >= kMaxPartialTransfers)
        DropBuilder(m_builders.begin());
    if (!MakeRoom(nullptr, header.cbPacket))
        return nullptr;
    auto fresh = std::make_unique<CTransferBuilder>(source, header.TransferContextId);
    if (!fresh->Initialize(byteCount, packet)) {
        DebugLine(L"CPipeManager::Recieve() - pTransfer->Initialize failed\n");
        return nullptr;
    }
    m_partialBytes += fresh->Size();
    m_builders.push_back(std::move(fresh));
    return m_builders.back().get();
}

// Makes room for payloadBytes more among the partial transfers by dropping the oldest others.
// A transfer that alone would outgrow the bound is dropped itself (growing), or never started.
bool CPipeManager::MakeRoom(const CTransferBuilder* growing, DWORD payloadBytes) {
    const ULONGLONG own = growing != nullptr ? growing->Size() : 0;
    if (own + payloadBytes > kMaxPartialBytes) {
        if (growing != nullptr) {
            DropBuilder(std::find_if(m_builders.begin(), m_builders.end(),
                                     [&](const auto& listed) { return listed.get() == growing; }));
        }
        return false;
    }
    for (auto oldest = m_builders.begin();
         oldest != m_builders.end() && m_partialBytes + payloadBytes > kMaxPartialBytes;) {
        if (oldest->get() == growing)
            ++oldest;
        else
            DropBuilder(oldest++);
    }
    return true;
}

void CPipeManager::DropBuilder(std::list<std::unique_ptr<CTransferBuilder>>::iterator builder) {
    DebugLine(L"CPipeManager::Recieve() - partial transfers over their bound, dropping transfer "
              L"%d (%u bytes)\n",
              (*builder)->ContextId(), (*builder)->Size());
    m_partialBytes -= (*builder)->Size();
    m_builders.erase(builder);
}

void CPipeManager::RemoveBuilder(const CTransferBuilder* builder) {
    const auto listed = std::find_if(m_builders.begin(), m_builders.end(),
                                     [&](const auto& entry) { return entry.get() == builder; });
    if (listed == m_builders.end())
        return;
    m_partialBytes -= (*listed)->Size();
    m_builders.erase(listed);
}

void CPipeManager::DropPartialTransfers() {
    std::lock_guard lock(m_lock);
    for (const auto& builder : m_builders)
        DebugLine(L"Freeing partially constructed transfer %d (%ws)\n", builder->ContextId(),
                  builder->IsComplete() ? L"Finished" : L"Not Finished");
    m_builders.clear();
    m_partialBytes = 0;
}

void CPipeManager::ProcessTransfer(PipeSourceToken source, DWORD contextId, const BYTE* transfer,
                                   DWORD size) {
    TransferHeader header{};
    const bool hasHeader = size >= sizeof(header);
    if (hasHeader)
        std::memcpy(&header, transfer, sizeof(header));
    if (hasHeader && header.bType == kTransferReply) {
        CompleteRequest(contextId, transfer + sizeof(header), size - sizeof(header));
        return;
    }
    switch (m_handlers.Add(source, size, transfer, hasHeader ? header.cbOut : 0, contextId)) {
    case CTransferHandlerQueue::AddResult::Failed:
        DebugLine(L"CTransferHandlerThread::Create failed %08X\n", GetLastError());
        break;
    case CTransferHandlerQueue::AddResult::Full:
        DebugLine(L"CPipeManager::ProcessTransfer() - handler queue full, request dropped "
                  L"(TransferContextId=%d)\n",
                  contextId);
        break;
    default:
        break;
    }
}

void CPipeManager::CompleteRequest(DWORD contextId, const BYTE* data, DWORD byteCount) {
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

void CPipeManager::CancelAllTransfers(DWORD timeoutMs) {
    std::unique_lock lock(m_lock);
    for (auto& [id, request] : m_pending) {
        DebugLine(L"CPipeManager::CancelAllTransfers(...) - cancelling transfer "
                  L"(TransferContextId=%d)\n",
                  id);
        if (!request.cancelled) {
            request.cancelled = true;
            ++m_cancelledPending;
        }
        SetEvent(request.replyEvent);
    }
    m_cancelledGone.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                             [&] { return m_cancelledPending == 0; });
}

void CPipeManager::StopTakingWork() {
    m_refusing = true;
    m_handlers.Close();
}

bool CPipeManager::WaitForHandlers(DWORD timeoutMs) {
    return m_handlers.WaitUntilIdle(timeoutMs);
}

void CPipeManager::TakeWork() {
    m_handlers.Open();
    m_refusing = false;
}
