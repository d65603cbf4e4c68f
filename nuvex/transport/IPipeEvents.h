#pragma once
// The sink the pipe reader thread calls, one call at a time, in read order.

#include "nuvex/transport/IPipeTransmit.h"

class IPipeEvents {
public:
    virtual ~IPipeEvents() = default;
    virtual void OnPipeConnect(PipeSourceToken source) = 0;
    virtual void OnPipeDisconnect(PipeSourceToken source) = 0;
    // The buffer is reused by the next read: copy what is kept.
    virtual void OnPipeRecieve(PipeSourceToken source, DWORD byteCount, const BYTE* buffer) = 0;
};
