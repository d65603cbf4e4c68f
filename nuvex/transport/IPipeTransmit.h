#pragma once
// The write side of the pipe as the transfer layer sees it.

#include <windows.h>

// Opaque value naming one connection: what the reader hands to its sink, or 0.
using PipeSourceToken = UINT_PTR;

class IPipeTransmit {
public:
    virtual ~IPipeTransmit() = default;
    // Writes one packet; true only when the whole write completed within the time-out.
    virtual bool PipeWrite(PipeSourceToken source, DWORD byteCount, const void* buffer,
                           DWORD timeoutMs) = 0;
};
