#pragma once
// Reassembles one inbound transfer from its packets, in arrival order.

#include "nuvex/transport/IPipeTransmit.h"

#include <windows.h>

#include <memory>

struct PacketHeader;

class CTransferBuilder {
public:
    CTransferBuilder(PipeSourceToken source, DWORD contextId)
        : m_source(source), m_contextId(contextId) {}

    // The checks every packet of a transfer passes, with their trace lines named after the
    // operation ("Initialize" or "Append"); fills header when the packet passes.
    static bool Check(const wchar_t* operation, DWORD contextId, DWORD byteCount,
                      const BYTE* packet, PacketHeader& header);

    // The first packet, then each further one; false (traced) when the packet is refused, and
    // the builder then keeps what it had. Payloads are appended in place: the buffer grows by
    // doubling, so a transfer of n packets is copied O(n) bytes in all.
    bool Initialize(DWORD byteCount, const BYTE* packet);
    bool Append(DWORD byteCount, const BYTE* packet);

    PipeSourceToken Source() const { return m_source; }
    DWORD ContextId() const { return m_contextId; }
    bool IsComplete() const { return m_complete; }
    DWORD Size() const { return m_size; }
    const BYTE* Data() const { return m_data.get(); }

private:
    bool Add(bool initial, DWORD byteCount, const BYTE* packet);
    bool Reserve(ULONGLONG size);

    PipeSourceToken m_source;
    bool m_complete = false;
    DWORD m_contextId;
    DWORD m_size = 0;
    DWORD m_capacity = 0;
    std::unique_ptr<BYTE[]> m_data;
};
