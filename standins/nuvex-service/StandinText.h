#pragma once
// printf-style formatting into a std::wstring (MS wide rules: %s and %ws wide, %S narrow).

#include <cstdarg>
#include <cstdio>
#include <string>

inline std::wstring StandinFormat(const wchar_t* format, ...) {
    wchar_t text[512] = {};
    va_list args;
    va_start(args, format);
    _vsnwprintf(text, sizeof(text) / sizeof(text[0]) - 1, format, args);
    va_end(args);
    return text;
}
