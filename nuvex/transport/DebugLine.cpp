#include "nuvex/transport/DebugLine.h"

#include <windows.h>

#include <cstdarg>
#include <cstdio>

void DebugLine(const wchar_t* format, ...) {
    const DWORD lastError = GetLastError();
    wchar_t line[512] = {};
    va_list args;
    va_start(args, format);
    _vsnwprintf(line, ARRAYSIZE(line) - 1, format, args);
    va_end(args);
    OutputDebugStringW(line);
    SetLastError(lastError);
}
