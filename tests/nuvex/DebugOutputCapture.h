#pragma once
// Collects what the process writes to the debugger output while an instance lives, by catching
// the exception that OutputDebugString raises for a debugger.

#include <windows.h>

#include <string>
#include <vector>

class CDebugOutputCapture {
public:
    CDebugOutputCapture();
    ~CDebugOutputCapture();
    CDebugOutputCapture(const CDebugOutputCapture&) = delete;
    CDebugOutputCapture& operator=(const CDebugOutputCapture&) = delete;

    std::vector<std::wstring> Lines() const;
    // How many captured lines are exactly this text (newline included).
    size_t Count(const std::wstring& line) const;

private:
    PVOID m_handler;
};
