#pragma once
// The wire formats above the pipe: a packet is a 12-byte header and a payload; the payloads of a
// transfer's packets, joined, are a 16-byte transfer header and the message body. Little-endian.

#include <windows.h>

#pragma pack(push, 1)
struct PacketHeader {
    DWORD TransferContextId;
    WORD wPacket; // 1 for the first
    WORD wPacketCount;
    DWORD cbPacket; // payload bytes after this header
};

struct TransferHeader {
    DWORD dwMessage;
    BYTE bType;
    BYTE reserved1; // always 0xFF
    WORD reserved2; // always 0xFFFF
    DWORD cbIn;     // data bytes that follow
    DWORD cbOut;    // request: reply capacity; reply: 0
};
#pragma pack(pop)

static_assert(sizeof(PacketHeader) == 12);
static_assert(sizeof(TransferHeader) == 16);

inline constexpr BYTE kTransferReply = 1;
inline constexpr BYTE kTransferRequest = 2;
inline constexpr DWORD kPacketPayloadLimit = 1024;
inline constexpr DWORD kPacketReadBufferSize = kPacketPayloadLimit + sizeof(PacketHeader);
inline constexpr DWORD kMaxPacketsPerTransfer = 0xFFFF;
