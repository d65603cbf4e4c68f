#include "app/trace/Trace.h"

#include "app/trace/TraceProvider.h"

#include <cstdarg>
#include <cstdio>
#include <cwchar>

namespace {

// Formats with the C runtime's own wide rules (%s and %ws wide, %S narrow) after `indent`
// leading characters already in the zero-filled line, and writes the line.
void Emit(const wchar_t* indent, const wchar_t* format, va_list args) {
    wchar_t line[CTraceProvider::kLineChars] = {};
    size_t used = wcslen(indent);
    wcscpy(line, indent);
    _vsnwprintf(line + used, CTraceProvider::kLineChars - 1 - used, format, args);
    GetTraceProvider().Write(CTraceProvider::kLevel, CTraceProvider::kKeyword, line);
}

void EmitLine(const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    Emit(L"", format, args);
    va_end(args);
}

} // namespace

void TraceResult(HRESULT hr, const wchar_t* label) {
    EmitLine(L"  %ws returned %08X\n", label, static_cast<unsigned>(hr));
}

void TraceBool(const wchar_t* label, bool value) {
    EmitLine(L"  %ws returned %ws\n", label, value ? L"TRUE" : L"FALSE");
}

void DebugTrace(const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    Emit(L"  ", format, args);
    va_end(args);
}
