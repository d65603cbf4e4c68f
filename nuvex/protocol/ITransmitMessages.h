#pragma once
// The request side: one request transfer out, its reply back.

#include "nuvex/transport/IPipeTransmit.h"

class ITransmitMessages {
public:
    virtual ~ITransmitMessages() = default;
    // Blocks until the reply or the time-out; the reply's data go to reply (zero-filled over the
    // whole capacity first) and their count to *replyBytes.
    virtual bool Transmit(PipeSourceToken source, DWORD dwMessage, DWORD cbIn, const void* data,
                          DWORD replyCapacity, void* reply, DWORD* replyBytes, DWORD timeoutMs) = 0;
};
