#pragma once
// The server end of a message-type named pipe: one client at a time, overlapped I/O, one thread
// that accepts a client, reads its messages one by one and serves the next client after the
// previous one has gone (a second instance already waits for it meanwhile). Writes come from any
// thread, one at a time, each bounded by a time-out.

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
    // While paused the server hears nothing more of the client, as if hung: a message read (or a
    // client accepted, or a connection lost) meanwhile is held until Resume, and the client's
    // further writes stay in the pipe (and wait once it is full). Writes still go out. Stop ends
    // a pause.
    void Pause();
    void Resume();
    bool IsPaused() const;
    // The process id of the connected client; false when unknown.
    bool ClientProcessId(ULONG& processId);

private:
    static DWORD WINAPI ThreadProc(void* self);
    void Serve();
    UniqueFile CreateInstance(bool first);
    bool AcceptClient();
    void ReadClient();
    // Waits for an overlapped operation or the stop event; cancels it on stop or time-out.
    bool Complete(HANDLE pipe, OVERLAPPED& overlapped, DWORD timeoutMs, DWORD& bytes, DWORD& error);
    // False when the server stops during a pause.
    bool WaitWhilePaused();

    IStandinPipeSink& m_sink;
    std::wstring m_name;
    UniqueFile m_listening; // the instance waiting for the next client (server thread only)
    UniqueFile m_pipe;      // the instance connected to the client
    UniqueHandle m_stop;
    UniqueHandle m_running{CreateEventW(nullptr, TRUE, TRUE, nullptr)}; // reset while paused
    UniqueHandle m_thread;
    std::mutex m_writeLock;
    std::atomic<bool> m_connected{false};
};
