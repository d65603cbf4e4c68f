#pragma once
// The party that handles the requests the service sends.

#include "nuvex/transport/IPipeTransmit.h"

#include <windows.h>

// Replies to the service's requests are one HRESULT: a handler gives its receiver room for that
// much, whatever reply capacity the request announces.
inline constexpr DWORD kReplyRoomBytes = sizeof(HRESULT);

class IRecieveMessages {
public:
    virtual ~IRecieveMessages() = default;
    virtual void OnConnect(PipeSourceToken source) = 0;
    virtual void OnDisconnect(PipeSourceToken source) = 0;
    // replyCapacity is what the requester announced; reply has room for
    // min(replyCapacity, kReplyRoomBytes) bytes. Returns the number of reply bytes written.
    virtual DWORD RecieveMessage(PipeSourceToken source, DWORD dwMessage, DWORD cbIn,
                                 const BYTE* data, DWORD replyCapacity, BYTE* reply) = 0;
};
