#include "tests/nuvex/TestPipeServer.h"

namespace {

bool Complete(HANDLE pipe, OVERLAPPED& overlapped, BOOL started, DWORD* bytes, DWORD timeoutMs) {
    if (!started && GetLastError() != ERROR_IO_PENDING)
        return GetLastError() == ERROR_PIPE_CONNECTED;
    if (WaitForSingleObject(overlapped.hEvent, timeoutMs) != WAIT_OBJECT_0) {
        CancelIoEx(pipe, &overlapped);
        GetOverlappedResult(pipe, &overlapped, bytes, TRUE);
        return false;
    }
    return GetOverlappedResult(pipe, &overlapped, bytes, FALSE) != FALSE;
}

} // namespace

CTestPipeServer::CTestPipeServer(DWORD pipeType, DWORD inBufferSize)
    : m_pipe(
          CreateNamedPipeW(L"\\\\.\\pipe\\ZanthorNuvex", PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED,
                           pipeType | (pipeType == PIPE_TYPE_MESSAGE ? PIPE_READMODE_MESSAGE : 0),
                           1, 4096, inBufferSize, 0, nullptr)) {}

bool CTestPipeServer::WaitForClient(DWORD timeoutMs) {
    UniqueHandle event(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    OVERLAPPED overlapped{};
    overlapped.hEvent = event.get();
    DWORD ignored = 0;
    return Complete(m_pipe.get(), overlapped, ConnectNamedPipe(m_pipe.get(), &overlapped), &ignored,
                    timeoutMs);
}

bool CTestPipeServer::Write(const std::vector<BYTE>& message) {
    UniqueHandle event(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    OVERLAPPED overlapped{};
    overlapped.hEvent = event.get();
    DWORD written = 0;
    const BOOL started = WriteFile(m_pipe.get(), message.data(), static_cast<DWORD>(message.size()),
                                   nullptr, &overlapped);
    return Complete(m_pipe.get(), overlapped, started, &written, 5000) && written == message.size();
}

bool CTestPipeServer::Read(std::vector<BYTE>& message, DWORD timeoutMs) {
    UniqueHandle event(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    OVERLAPPED overlapped{};
    overlapped.hEvent = event.get();
    message.assign(4096, 0);
    DWORD read = 0;
    const BOOL started = ReadFile(m_pipe.get(), message.data(), 4096, nullptr, &overlapped);
    const bool done = Complete(m_pipe.get(), overlapped, started, &read, timeoutMs);
    message.resize(done ? read : 0);
    return done;
}

void CTestPipeServer::Close() {
    if (m_pipe)
        DisconnectNamedPipe(m_pipe.get());
    m_pipe.reset();
}
