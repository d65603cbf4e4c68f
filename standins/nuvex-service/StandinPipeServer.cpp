#include "standins/nuvex-service/StandinPipeServer.h"

#include "standins/nuvex-service/StandinText.h"

namespace {

constexpr DWORD kBufferSize = 65536; // larger than any packet, so an over-long one is seen whole
constexpr DWORD kThreadStopTimeoutMs = 10000;
constexpr DWORD kInstances = 2;

// Any local user may connect: the service may run under another account than its client.
class COpenSecurity {
public:
    COpenSecurity() {
        InitializeSecurityDescriptor(&m_descriptor, SECURITY_DESCRIPTOR_REVISION);
        SetSecurityDescriptorDacl(&m_descriptor, TRUE, nullptr, FALSE);
        m_attributes.nLength = sizeof(m_attributes);
        m_attributes.lpSecurityDescriptor = &m_descriptor;
        m_attributes.bInheritHandle = FALSE;
    }
    SECURITY_ATTRIBUTES* Get() { return &m_attributes; }

private:
    SECURITY_DESCRIPTOR m_descriptor{};
    SECURITY_ATTRIBUTES m_attributes{};
};

} // namespace

CStandinPipeServer::CStandinPipeServer(IStandinPipeSink& sink) : m_sink(sink) {}

CStandinPipeServer::~CStandinPipeServer() {
    Stop();
}

bool CStandinPipeServer::Start(const std::wstring& name) {
    if (m_thread)
        return false;
    m_name = name;
    m_listening = CreateInstance(true);
    if (!m_listening)
        return false;
    m_stop.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (m_stop)
        m_thread.reset(CreateThread(nullptr, 0, ThreadProc, this, 0, nullptr));
    if (!m_thread) {
        m_listening.reset();
        m_stop.reset();
        return false;
    }
    return true;
}

// Two instances: the one serving the client and the one waiting for the next, so a client that
// reconnects at once never finds the pipe busy.
UniqueFile CStandinPipeServer::CreateInstance(bool first) {
    COpenSecurity security;
    return UniqueFile(CreateNamedPipeW(m_name.c_str(),
                                       PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED |
                                           (first ? FILE_FLAG_FIRST_PIPE_INSTANCE : 0),
                                       PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT,
                                       kInstances, kBufferSize, kBufferSize, 0, security.Get()));
}

void CStandinPipeServer::Stop() {
    if (!m_thread)
        return;
    SetEvent(m_stop.get());
    if (WaitForSingleObject(m_thread.get(), kThreadStopTimeoutMs) != WAIT_OBJECT_0)
        OutputDebugStringW(L"CStandinPipeServer::Stop - server thread did not end\n");
    std::lock_guard lock(m_writeLock);
    m_thread.reset();
    m_pipe.reset();
    m_listening.reset();
    m_stop.reset();
    Resume();
}

DWORD WINAPI CStandinPipeServer::ThreadProc(void* self) {
    static_cast<CStandinPipeServer*>(self)->Serve();
    return 0;
}

void CStandinPipeServer::Serve() {
    while (m_listening && AcceptClient() && WaitWhilePaused()) {
        {
            std::lock_guard lock(m_writeLock);
            m_pipe = std::move(m_listening);
            m_connected = true;
        }
        m_listening = CreateInstance(false);
        m_sink.OnClientConnected();
        ReadClient();
        {
            std::lock_guard lock(m_writeLock);
            m_connected = false;
            DisconnectNamedPipe(m_pipe.get());
            m_pipe.reset();
        }
        m_sink.OnClientDisconnected();
        if (WaitForSingleObject(m_stop.get(), 0) == WAIT_OBJECT_0)
            return;
    }
}

bool CStandinPipeServer::AcceptClient() {
    UniqueHandle event(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!event)
        return false;
    OVERLAPPED overlapped{};
    overlapped.hEvent = event.get();
    if (ConnectNamedPipe(m_listening.get(), &overlapped))
        return true;
    DWORD error = GetLastError();
    if (error == ERROR_PIPE_CONNECTED)
        return true;
    if (error != ERROR_IO_PENDING)
        return false;
    DWORD bytes = 0;
    return Complete(m_listening.get(), overlapped, INFINITE, bytes, error);
}

void CStandinPipeServer::ReadClient() {
    std::vector<BYTE> buffer(kBufferSize);
    std::vector<BYTE> overlong; // the parts of a message longer than the buffer
    for (;;) {
        UniqueHandle event(CreateEventW(nullptr, TRUE, FALSE, nullptr));
        if (!event)
            return;
        OVERLAPPED overlapped{};
        overlapped.hEvent = event.get();
        DWORD bytes = 0;
        DWORD error = ERROR_SUCCESS;
        const bool started =
            ReadFile(m_pipe.get(), buffer.data(), kBufferSize, nullptr, &overlapped) ||
            GetLastError() == ERROR_IO_PENDING || GetLastError() == ERROR_MORE_DATA;
        if (!started)
            return;
        const bool done = Complete(m_pipe.get(), overlapped, INFINITE, bytes, error);
        if (!WaitWhilePaused())
            return;
        if (!done && error != ERROR_MORE_DATA)
            return;
        if (!done) {
            overlong.insert(overlong.end(), buffer.begin(), buffer.begin() + bytes);
            continue;
        }
        if (!overlong.empty()) {
            m_sink.OnPipeFault(StandinFormat(L"message of more than %u bytes dropped",
                                             static_cast<unsigned>(overlong.size() + bytes)));
            overlong.clear();
            continue;
        }
        m_sink.OnMessage(buffer.data(), bytes);
    }
}

void CStandinPipeServer::Pause() {
    ResetEvent(m_running.get());
}

void CStandinPipeServer::Resume() {
    SetEvent(m_running.get());
}

bool CStandinPipeServer::IsPaused() const {
    return WaitForSingleObject(m_running.get(), 0) != WAIT_OBJECT_0;
}

bool CStandinPipeServer::WaitWhilePaused() {
    const HANDLE events[] = {m_running.get(), m_stop.get()};
    return WaitForMultipleObjects(2, events, FALSE, INFINITE) == WAIT_OBJECT_0;
}

bool CStandinPipeServer::Complete(HANDLE pipe, OVERLAPPED& overlapped, DWORD timeoutMs,
                                  DWORD& bytes, DWORD& error) {
    const HANDLE events[] = {overlapped.hEvent, m_stop.get()};
    const DWORD wait = WaitForMultipleObjects(2, events, FALSE, timeoutMs);
    if (wait != WAIT_OBJECT_0) {
        CancelIoEx(pipe, &overlapped);
        GetOverlappedResult(pipe, &overlapped, &bytes, TRUE);
        error = wait == WAIT_TIMEOUT ? ERROR_TIMEOUT : ERROR_OPERATION_ABORTED;
        return false;
    }
    if (GetOverlappedResult(pipe, &overlapped, &bytes, FALSE))
        return true;
    error = GetLastError();
    return false;
}

bool CStandinPipeServer::Write(const BYTE* data, size_t size, DWORD timeoutMs) {
    std::lock_guard lock(m_writeLock);
    if (!m_connected || !m_pipe)
        return false;
    UniqueHandle event(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!event)
        return false;
    OVERLAPPED overlapped{};
    overlapped.hEvent = event.get();
    if (!WriteFile(m_pipe.get(), data, static_cast<DWORD>(size), nullptr, &overlapped) &&
        GetLastError() != ERROR_IO_PENDING)
        return false;
    DWORD bytes = 0;
    DWORD error = ERROR_SUCCESS;
    return Complete(m_pipe.get(), overlapped, timeoutMs, bytes, error) && bytes == size;
}

bool CStandinPipeServer::ClientProcessId(ULONG& processId) {
    std::lock_guard lock(m_writeLock);
    return m_connected && GetNamedPipeClientProcessId(m_pipe.get(), &processId);
}
