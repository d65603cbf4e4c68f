#pragma once
// The server end of a message-type named pipe: one client at a time, overlapped I/O, one thread
// that accepts a client, reads its messages one by one and accepts the next client after the
// previous one has gone. Writes come from any thread, one at a time, each bounded by a time-out.

#include "common/UniqueHandle.h"

#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

class IStandinPipeSink {
public:
    virtual ~IStandinPipeSink() = default;
    virtual void OnClientConnected() = 0;
    // One message as read; the buffer is reused after the call.
    virtual void OnMessage(const BYTE* data, size_t size) = 0;
    virtual void OnClientDisconnected() = 0;
    // Something the server noticed about the client's writes (an over-long message).
    virtual void OnPipeFault(const std::wstring& text) = 0;
};

class CStandinPipeServer {
public:
    explicit CStandinPipeServer(IStandinPipeSink& sink);
    ~CStandinPipeServer();
    CStandinPipeServer(const CStandinPipeServer&) = delete;
    CStandinPipeServer& operator=(const CStandinPipeServer&) = delete;

    // Creates the pipe (the first and only instance of its name) and starts the thread.
    bool Start(const std::wstring& name);
    // Ends the connection and the thread; the sink hears OnClientDisconnected when a client was
    // connected.
    void Stop();
    // One message; false when no client is connected, the write fails or the time-out passes.
    bool Write(const BYTE* data, size_t size, DWORD timeoutMs);
    bool IsConnected() const { return m_connected; }
    // The process id of the connected client; false when unknown.
    bool ClientProcessId(ULONG& processId);

private:
    static DWORD WINAPI ThreadProc(void* self);
    void Serve();
    bool AcceptClient();
    void ReadClient();
    // Waits for an overlapped operation or the stop event; cancels it on stop or time-out.
    bool Complete(OVERLAPPED& overlapped, DWORD timeoutMs, DWORD& bytes, DWORD& error);

    IStandinPipeSink& m_sink;
    UniqueFile m_pipe;
    UniqueHandle m_stop;
    UniqueHandle m_thread;
    std::mutex m_writeLock;
    std::atomic<bool> m_connected{false};
};
