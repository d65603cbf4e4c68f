#include "standins/nuvex-service/StandinControlClient.h"

#include "common/UniqueHandle.h"

#include <vector>

namespace {

constexpr DWORD kReplyBufferBytes = 4096;

} // namespace

bool CStandinControlClient::Complete(HANDLE pipe, OVERLAPPED& overlapped, DWORD timeoutMs,
                                     DWORD& bytes) {
    if (WaitForSingleObject(overlapped.hEvent, timeoutMs) != WAIT_OBJECT_0) {
        CancelIoEx(pipe, &overlapped);
        GetOverlappedResult(pipe, &overlapped, &bytes, TRUE);
        return false;
    }
    return GetOverlappedResult(pipe, &overlapped, &bytes, FALSE) != FALSE;
}

bool CStandinControlClient::Send(const std::wstring& command, std::wstring& reply, DWORD timeoutMs,
                                 const std::wstring& pipeName) {
    if (!WaitNamedPipeW(pipeName.c_str(), timeoutMs))
        return false;
    UniqueFile pipe(CreateFileW(pipeName.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr));
    DWORD mode = PIPE_READMODE_MESSAGE;
    if (!pipe || !SetNamedPipeHandleState(pipe.get(), &mode, nullptr, nullptr))
        return false;
    UniqueHandle event(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!event)
        return false;

    OVERLAPPED write{};
    write.hEvent = event.get();
    DWORD bytes = 0;
    const DWORD size = static_cast<DWORD>(command.size() * sizeof(wchar_t));
    if (!WriteFile(pipe.get(), command.data(), size, nullptr, &write) &&
        GetLastError() != ERROR_IO_PENDING)
        return false;
    if (!Complete(pipe.get(), write, timeoutMs, bytes))
        return false;

    ResetEvent(event.get());
    std::vector<wchar_t> buffer(kReplyBufferBytes / sizeof(wchar_t));
    OVERLAPPED read{};
    read.hEvent = event.get();
    if (!ReadFile(pipe.get(), buffer.data(), kReplyBufferBytes, nullptr, &read) &&
        GetLastError() != ERROR_IO_PENDING)
        return false;
    if (!Complete(pipe.get(), read, timeoutMs, bytes))
        return false;
    reply.assign(buffer.data(), bytes / sizeof(wchar_t));
    return true;
}
