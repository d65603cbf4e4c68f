#pragma once
// The client end of the display-device service's pipe: one reader thread per connection hands
// every completed read, as one packet, to the sink; writers write one packet per call.

#include "common/UniqueHandle.h"
#include "nuvex/transport/IPipeEvents.h"
#include "nuvex/transport/IPipeTransmit.h"

#include <windows.h>

#include <atomic>
#include <memory>
#include <mutex>

class COverLapped;

class CNamedPipeClient : public IPipeTransmit {
public:
    static constexpr DWORD kStopTimeoutMs = 30000;

    // stopTimeoutMs bounds the wait for the reader when the connection ends.
    explicit CNamedPipeClient(DWORD stopTimeoutMs = kStopTimeoutMs);
    ~CNamedPipeClient() override;
    CNamedPipeClient(const CNamedPipeClient&) = delete;
    CNamedPipeClient& operator=(const CNamedPipeClient&) = delete;

    void SetSink(IPipeEvents* sink) { m_sink = sink; }

    // Opens the pipe on a new reader thread; false (with the last error set) when already
    // connected or when the pipe cannot be opened.
    bool Connect(DWORD readBufferSize);
    // Releases every read and write of the connection at once; Disconnect then ends it.
    void SignalStop();
    void Disconnect();
    bool PipeWrite(PipeSourceToken source, DWORD byteCount, const void* buffer,
                   DWORD timeoutMs) override;

    // True while the read loop runs.
    bool IsReading() const { return m_reading; }

private:
    // The pipe handle has one owner, the connection; every write holds it as well while it
    // runs, so the handle is closed only when the connection has let go of it and no write can
    // still be using it, and its value never names another object under a write.
    using SharedPipe = std::shared_ptr<const UniqueFile>;

    static DWORD WINAPI ReaderThreadProc(void* parameter) noexcept;
    void ReaderThread();
    bool OpenPipe();
    void ReadThread_Read(HANDLE pipe, BYTE* buffer);
    void StopReader();
    SharedPipe Pipe() const;
    void ClosePipe();
    int FinishOperation(const wchar_t* operation, BOOL started, COverLapped& operationRecord,
                        HANDLE pipe, DWORD* transferred, DWORD timeoutMs);

    IPipeEvents* m_sink = nullptr;
    // Null while idle; the pipe's name from Connect until Disconnect.
    std::atomic<const wchar_t*> m_name{nullptr};
    mutable std::mutex m_pipeLock; // guards m_pipe itself, never held across I/O
    SharedPipe m_pipe;
    UniqueHandle m_thread;
    UniqueHandle m_connected;   // auto reset: the reader has opened the pipe
    UniqueHandle m_stop;        // manual reset: releases every read and write of the connection
    UniqueHandle m_readerEnded; // auto reset: the reader is about to exit
    DWORD m_readBufferSize = 0;
    DWORD m_openError = 0;
    std::atomic<bool> m_reading{false};
    const DWORD m_stopTimeoutMs;
};
