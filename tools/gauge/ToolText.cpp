#include "tools/gauge/ToolText.h"

#include <charconv>
#include <cstdio>
#include <string>

std::wstring FormatNumber(float value) {
    char buffer[32];
    const std::to_chars_result result = std::to_chars(buffer, buffer + sizeof(buffer), value);
    return std::wstring(buffer, result.ptr);
}

std::wstring FormatColour(COLORREF colour) {
    wchar_t buffer[16];
    std::swprintf(buffer, std::size(buffer), L"0x%08lX", static_cast<unsigned long>(colour));
    return buffer;
}

std::wstring Quoted(std::wstring_view text) {
    std::wstring quoted;
    quoted.reserve(text.size() + 2);
    quoted.append(1, L'"').append(text).append(1, L'"');
    return quoted;
}

ToolStream::ToolStream(DWORD standardHandle) noexcept : m_handle(GetStdHandle(standardHandle)) {
    DWORD mode = 0;
    m_console = GetConsoleMode(m_handle, &mode) != FALSE;
}

void ToolStream::Write(std::wstring_view text) {
    if (m_handle == nullptr || m_handle == INVALID_HANDLE_VALUE || text.empty())
        return;
    DWORD written = 0;
    if (m_console) {
        WriteConsoleW(m_handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        return;
    }
    const int length = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                           nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), utf8.data(), length,
                        nullptr, nullptr);
    WriteFile(m_handle, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
}

void ToolStream::Line(std::wstring_view text) {
    Write(text);
    Write(L"\r\n");
}

ToolStream& Out() noexcept {
    static ToolStream stream(STD_OUTPUT_HANDLE);
    return stream;
}

ToolStream& Err() noexcept {
    static ToolStream stream(STD_ERROR_HANDLE);
    return stream;
}
