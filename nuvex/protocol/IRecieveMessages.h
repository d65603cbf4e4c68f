#pragma once
// The party that handles the requests the service sends.

#include "nuvex/transport/IPipeTransmit.h"

class IRecieveMessages {
public:
    virtual ~IRecieveMessages() = default;
    virtual void OnConnect(PipeSourceToken source) = 0;
    virtual void OnDisconnect(PipeSourceToken source) = 0;
    // Returns the number of reply bytes written, at most replyCapacity.
    virtual DWORD RecieveMessage(PipeSourceToken source, DWORD dwMessage, DWORD cbIn,
                                 const BYTE* data, DWORD replyCapacity, BYTE* reply) = 0;
};
