#pragma once
// Reassembles the transfers that arrive on the service's pipe, one packet per read, and cuts
// outgoing transfers into packets. Inbound packets are checked against the framing a
// well-behaved peer produces; every deviation is reported as a fault line.

#include <windows.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

struct StandinTransfer {
    DWORD contextId = 0;
    DWORD message = 0;
    BYTE type = 0;
    DWORD replyCapacity = 0; // cbOut of the header
    std::vector<BYTE> data;  // the bytes after the 16-byte transfer header
};

class CStandinTransferAssembler {
public:
    // Adds one packet; returns the transfer it completes, if any.
    std::optional<StandinTransfer> AddPacket(const BYTE* packet, size_t size,
                                             std::vector<std::wstring>& faults);
    // Drops every partial transfer (a new connection starts clean).
    void Reset();

    static std::vector<std::vector<BYTE>> BuildPackets(DWORD contextId, BYTE type, DWORD message,
                                                       const std::vector<BYTE>& data,
                                                       DWORD replyCapacity);

private:
    struct Partial {
        WORD packetCount = 0;
        WORD nextPacket = 1;
        std::vector<BYTE> bytes;
    };

    std::optional<StandinTransfer> Complete(DWORD contextId, std::vector<BYTE> bytes,
                                            WORD packetCount, std::vector<std::wstring>& faults);

    std::map<DWORD, Partial> m_partials; // by TransferContextId
};
