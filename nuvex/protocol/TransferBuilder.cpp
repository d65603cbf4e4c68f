#include "nuvex/protocol/TransferBuilder.h"

#include "nuvex/protocol/TransferFormat.h"
#include "nuvex/transport/DebugLine.h"

#include <algorithm>
#include <cstring>
#include <new>

bool CTransferBuilder::Initialize(DWORD byteCount, const BYTE* packet) {
    return Add(true, byteCount, packet);
}

bool CTransferBuilder::Append(DWORD byteCount, const BYTE* packet) {
    return Add(false, byteCount, packet);
}

bool CTransferBuilder::Check(const wchar_t* operation, DWORD contextId, DWORD byteCount,
                             const BYTE* packet, PacketHeader& header) {
    if (byteCount < sizeof(PacketHeader)) {
        DebugLine(L"CTransferBuilder::%ws() - packet buffer too small\n", operation);
        return false;
    }
    std::memcpy(&header, packet, sizeof(header));
    const ULONGLONG expected = ULONGLONG{header.cbPacket} + sizeof(PacketHeader);
    if (expected > byteCount) {
        DebugLine(L"CTransferBuilder::%ws() - buffer size mismatch (%d != %d)\n", operation,
                  static_cast<DWORD>(expected), byteCount);
        return false;
    }
    if (header.wPacket > header.wPacketCount) {
        DebugLine(L"CTransferBuilder::%ws() - packet number exceeds expected packet count\n",
                  operation);
        return false;
    }
    if (header.TransferContextId != contextId) {
        DebugLine(L"CTransferBuilder::%ws() - invalid transfer id\n", operation);
        return false;
    }
    return true;
}

bool CTransferBuilder::Add(bool initial, DWORD byteCount, const BYTE* packet) {
    PacketHeader header{};
    if (!Check(initial ? L"Initialize" : L"Append", m_contextId, byteCount, packet, header))
        return false;
    const ULONGLONG newSize = ULONGLONG{m_size} + header.cbPacket;
    if (!Reserve(newSize)) {
        if (initial)
            DebugLine(L"CTransferBuilder::Initialize() - unable to allocate transfer buffer\n");
        else
            DebugLine(L"CTransferBuilder::Append() - unable to reallocate transfer buffer\n");
        return false;
    }
    if (header.cbPacket != 0)
        std::memcpy(m_data.get() + m_size, packet + sizeof(PacketHeader), header.cbPacket);
    m_size = static_cast<DWORD>(newSize);
    m_complete = header.wPacket == header.wPacketCount;
    return true;
}

// The first packet gets exactly its payload's room; later growth doubles it.
bool CTransferBuilder::Reserve(ULONGLONG size) {
    if (size > MAXDWORD)
        return false;
    if (size <= m_capacity && m_data)
        return true;
    const ULONGLONG capacity =
        m_data ? std::min<ULONGLONG>(MAXDWORD, std::max<ULONGLONG>(size, ULONGLONG{m_capacity} * 2))
               : size;
    std::unique_ptr<BYTE[]> data(new (std::nothrow) BYTE[static_cast<size_t>(capacity)]);
    if (!data)
        return false;
    if (m_size != 0)
        std::memcpy(data.get(), m_data.get(), m_size);
    m_data = std::move(data);
    m_capacity = static_cast<DWORD>(capacity);
    return true;
}
