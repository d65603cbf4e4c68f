#pragma once
// Text for the gauge tool's console: numbers written the way a gauge author reads them, and the
// two output streams.

#include <windows.h>

#include <string>
#include <string_view>

// The shortest decimal form that reads back as the same float ("120", "0.5", "-1e+06", "nan").
std::wstring FormatNumber(float value);
// "0x00FFFFFF".
std::wstring FormatColour(COLORREF colour);
// The text between double quotes, as the tool quotes names and expressions.
std::wstring Quoted(std::wstring_view text);

// Standard output or standard error: UTF-16 to a console, UTF-8 to a file or a pipe.
class ToolStream {
public:
    explicit ToolStream(DWORD standardHandle) noexcept;

    void Write(std::wstring_view text);
    void Line(std::wstring_view text);

private:
    HANDLE m_handle;
    bool m_console;
};

ToolStream& Out() noexcept;
ToolStream& Err() noexcept;
