#pragma once
// Sends one command to the control pipe of a running ZanNvx.exe and reads its reply.

#include <windows.h>

#include <string>

class CStandinControlClient {
public:
    // False when the pipe cannot be reached or no reply comes within the time-out.
    static bool Send(const std::wstring& command, std::wstring& reply, DWORD timeoutMs,
                     const std::wstring& pipeName = L"\\\\.\\pipe\\ZanNvxControl");

private:
    static bool Complete(HANDLE pipe, OVERLAPPED& overlapped, DWORD timeoutMs, DWORD& bytes);
};
