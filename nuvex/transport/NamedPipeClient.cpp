#include "nuvex/transport/NamedPipeClient.h"

#include "nuvex/transport/AccessAttributes.h"
#include "nuvex/transport/DebugLine.h"
#include "nuvex/transport/LibraryThread.h"
#include "nuvex/transport/OverLapped.h"

#include "common/CallNoThrow.h"

#include <memory>
#include <new>

namespace {
constexpr const wchar_t* kPipeName = L"\\\\.\\pipe\\ZanthorNuvex";
}

CNamedPipeClient::CNamedPipeClient(DWORD stopTimeoutMs)
    : m_connected(CreateEventW(nullptr, FALSE, FALSE, nullptr)),
      m_stop(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      m_readerEnded(CreateEventW(nullptr, FALSE, FALSE, nullptr)), m_stopTimeoutMs(stopTimeoutMs) {}

CNamedPipeClient::~CNamedPipeClient() {
    Disconnect();
}

bool CNamedPipeClient::Connect(DWORD readBufferSize) {
    if (m_name != nullptr) {
        SetLastError(ERROR_ALREADY_INITIALIZED);
        return false;
    }
    ResetEvent(m_stop.get());
    m_readBufferSize = readBufferSize;
    m_openError = 0;
    m_name = kPipeName;
    m_thread.reset(CreateLibraryThread(ReaderThreadProc, this, CREATE_SUSPENDED));
    if (!m_thread) {
        const DWORD error = GetLastError();
        m_name = nullptr;
        SetLastError(error);
        return false;
    }
    ResumeThread(m_thread.get());
    const HANDLE events[] = {m_connected.get(), m_stop.get(), m_readerEnded.get()};
    const DWORD wait = WaitForMultipleObjects(ARRAYSIZE(events), events, FALSE, m_stopTimeoutMs);
    if (wait == WAIT_OBJECT_0)
        return true;
    if (wait == WAIT_OBJECT_0 + 2) {
        m_thread.reset();
        m_name = nullptr;
    } else {
        StopReader();
    }
    SetLastError(m_openError != 0 ? m_openError : ERROR_PIPE_NOT_CONNECTED);
    return false;
}

void CNamedPipeClient::SignalStop() {
    SetEvent(m_stop.get());
}

void CNamedPipeClient::Disconnect() {
    if (m_name == nullptr)
        return;
    StopReader();
}

void CNamedPipeClient::StopReader() {
    SetEvent(m_stop.get());
    if (WaitForSingleObject(m_readerEnded.get(), m_stopTimeoutMs) != WAIT_OBJECT_0) {
        DebugLine(L"CNamedPipeClient::Disconnect() - timeout waiting for thread to terminate\n");
        TerminateThread(m_thread.get(), static_cast<DWORD>(-1));
        m_reading = false;
        ClosePipe();
    }
    m_thread.reset();
    m_name = nullptr;
}

// An exception ends the connection as a broken pipe would: the reading stops, the pipe is
// closed, and the reader's end is signalled all the same.
DWORD WINAPI CNamedPipeClient::ReaderThreadProc(void* parameter) noexcept {
    auto* client = static_cast<CNamedPipeClient*>(parameter);
    if (FAILED(CallNoThrow([client] { client->ReaderThread(); }))) {
        client->m_reading = false;
        client->ClosePipe();
    }
    SetEvent(client->m_readerEnded.get());
    return 0;
}

void CNamedPipeClient::ReaderThread() {
    if (!OpenPipe())
        return;
    // The reader reads through the connection's own reference: it is the one that lets go of it.
    const HANDLE pipe = Pipe()->get();
    // Reading before Connect returns, so that a request sent right after it is not refused.
    std::unique_ptr<BYTE[]> buffer(new (std::nothrow) BYTE[m_readBufferSize]());
    m_reading = buffer != nullptr;
    SetEvent(m_connected.get());
    ReadThread_Read(pipe, buffer.get());
}

bool CNamedPipeClient::OpenPipe() {
    CAccessAttributes attributes;
    UniqueFile pipe(CreateFileW(m_name, GENERIC_READ | GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, attributes.Get(), OPEN_EXISTING,
                                FILE_FLAG_OVERLAPPED, nullptr));
    if (!pipe) {
        m_openError = GetLastError();
        return false;
    }
    // One packet per read: in byte mode two packets written close together would arrive in
    // one read. A pipe that refuses message mode is read as it is.
    DWORD mode = PIPE_READMODE_MESSAGE;
    SetNamedPipeHandleState(pipe.get(), &mode, nullptr, nullptr);
    SharedPipe shared = std::make_shared<const UniqueFile>(std::move(pipe));
    std::lock_guard lock(m_pipeLock);
    m_pipe = std::move(shared);
    return true;
}

void CNamedPipeClient::ReadThread_Read(HANDLE pipe, BYTE* buffer) {
    const auto source = reinterpret_cast<PipeSourceToken>(this);
    if (m_sink != nullptr)
        m_sink->OnPipeConnect(source);
    if (buffer != nullptr) {
        for (;;) {
            COverLapped read;
            if (!read.IsValid())
                break;
            DWORD bytesRead = 0;
            const BOOL started = ReadFile(pipe, buffer, m_readBufferSize, nullptr, read.Get());
            if (FinishOperation(L"ReadFile", started, read, pipe, &bytesRead, INFINITE) !=
                COverLapped::Completed)
                break;
            if (m_sink != nullptr)
                m_sink->OnPipeRecieve(source, bytesRead, buffer);
            else
                DebugLine(L"CNamedPipeClient::ReadThread_Read() - no event handler set\n");
        }
        DebugLine(L"CNamedPipeClient::ReadThread_Read() - aborting read thread\n");
        m_reading = false;
    }
    if (m_sink != nullptr)
        m_sink->OnPipeDisconnect(source);
    ClosePipe();
}

CNamedPipeClient::SharedPipe CNamedPipeClient::Pipe() const {
    std::lock_guard lock(m_pipeLock);
    return m_pipe;
}

// The connection lets go of the handle: whichever of the reader and a timed-out stop comes
// first. A write still running keeps it open until it ends.
void CNamedPipeClient::ClosePipe() {
    SharedPipe closing;
    std::lock_guard lock(m_pipeLock);
    closing.swap(m_pipe);
}

bool CNamedPipeClient::PipeWrite(PipeSourceToken, DWORD byteCount, const void* buffer,
                                 DWORD timeoutMs) {
    const SharedPipe pipe = Pipe();
    if (m_name == nullptr || !pipe)
        return false;
    COverLapped write;
    if (!write.IsValid())
        return false;
    DWORD bytesWritten = 0;
    const BOOL started = WriteFile(pipe->get(), buffer, byteCount, nullptr, write.Get());
    return FinishOperation(L"WriteFile", started, write, pipe->get(), &bytesWritten, timeoutMs) ==
           COverLapped::Completed;
}

int CNamedPipeClient::FinishOperation(const wchar_t* operation, BOOL started,
                                      COverLapped& operationRecord, HANDLE pipe, DWORD* transferred,
                                      DWORD timeoutMs) {
    const DWORD error = started ? 0 : GetLastError();
    if (started || error == 0 || error == ERROR_IO_PENDING || error == ERROR_MORE_DATA)
        return operationRecord.GetResult(pipe, m_stop.get(), transferred, timeoutMs);
    // Failed at once (a vanished peer, a closed handle): no completion will ever come.
    DebugLine(L"FileOp: %ws %ws, %d, %08X\n", operation, L"FALSE", COverLapped::Failed, error);
    return COverLapped::Failed;
}
