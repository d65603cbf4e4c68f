#pragma once
// How the numbers of a gauge page's element ("Timeout" and the buttons' "Id", "Bold" and "RGB")
// are read: leading blanks, tabs and line feeds skipped; a text longer than two characters whose
// second character is "x" or "X" is hexadecimal from its third character on, any other text
// decimal; reading stops at the first character that does not fit, so a text that starts with
// no digit is 0. Digits beyond 32 bits wrap.

#include <windows.h>

DWORD ReadConfigNumber(const wchar_t* text) noexcept;
