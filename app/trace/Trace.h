#pragma once
// The three trace operations every part of the program calls. Each writes one line through the
// program's trace provider at level 3, keyword 0x2.

#include <windows.h>

// "  <label> returned <HRESULT as 8 upper-case hex digits>\n", for success and failure alike.
void TraceResult(HRESULT hr, const wchar_t* label);

// "  <label> returned TRUE\n" or "... FALSE\n".
void TraceBool(const wchar_t* label, bool value);

// Two spaces, then the printf-style text (wide rules: %ws and %s wide, %S narrow). No newline is
// added.
void DebugTrace(const wchar_t* format, ...);
