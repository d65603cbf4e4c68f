#pragma once
// A bare client of the device pipe for the service's tests: writes packets as given, reassembles
// what the service sends by context id, and answers the service's requests by itself.

#include "common/UniqueHandle.h"

#include <windows.h>

#include <condition_variable>
#include <map>
#include <mutex>
#include <optional>
#include <vector>

struct RawTransfer {
    DWORD contextId = 0;
    DWORD message = 0;
    BYTE type = 0;
    BYTE reserved1 = 0;
    WORD reserved2 = 0;
    DWORD replyCapacity = 0;
    std::vector<BYTE> data;
    std::vector<size_t> packetSizes;
};

class CRawPipeClient {
public:
    CRawPipeClient() = default;
    ~CRawPipeClient();
    CRawPipeClient(const CRawPipeClient&) = delete;
    CRawPipeClient& operator=(const CRawPipeClient&) = delete;

    bool Connect(DWORD timeoutMs = 5000);
    void Close();

    // The answer to the service's requests of this message id: these reply data bytes, or no
    // reply at all. Unset message ids get the four bytes of S_OK.
    void SetAnswer(DWORD message, std::optional<std::vector<BYTE>> reply);

    static std::vector<std::vector<BYTE>> Packets(DWORD contextId, BYTE type, DWORD message,
                                                  const std::vector<BYTE>& data,
                                                  DWORD replyCapacity);
    bool WritePacket(const std::vector<BYTE>& packet);
    bool WriteTransfer(DWORD contextId, BYTE type, DWORD message, const std::vector<BYTE>& data,
                       DWORD replyCapacity);
    DWORD NextContextId();
    // A request and the service's reply to it.
    std::optional<RawTransfer> Transmit(DWORD message, const std::vector<BYTE>& data,
                                        DWORD replyCapacity, DWORD timeoutMs = 5000);
    std::optional<RawTransfer> WaitForReply(DWORD contextId, DWORD timeoutMs = 5000);
    bool WaitForServiceRequests(size_t count, DWORD timeoutMs = 5000);
    std::vector<RawTransfer> ServiceRequests() const;

private:
    static DWORD WINAPI ReadThreadProc(void* self);
    void ReadLoop();
    void OnPacket(const BYTE* packet, size_t size);
    void OnTransfer(RawTransfer transfer);

    UniqueFile m_pipe;
    UniqueHandle m_stop;
    UniqueHandle m_thread;
    mutable std::mutex m_lock;
    std::condition_variable m_changed;
    std::map<DWORD, RawTransfer> m_partial;
    std::map<DWORD, RawTransfer> m_replies;
    std::vector<RawTransfer> m_serviceRequests;
    std::map<DWORD, std::optional<std::vector<BYTE>>> m_answers;
    DWORD m_lastContextId = 0;
};
