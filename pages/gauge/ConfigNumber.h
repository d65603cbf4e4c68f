#pragma once
// How the numbers of a gauge page's element ("Timeout" and the buttons' "Id", "Bold" and "RGB")
// are read: leading blanks, tabs and line feeds skipped; a text longer than two characters whose
// second character is "x" or "X" is hexadecimal from its third character on, any other text
// decimal; reading stops at the first character that does not fit, so a text that starts with
// no digit is 0. Digits beyond 32 bits wrap.

#include <windows.h>

class CXmlElement;

DWORD ReadConfigNumber(const wchar_t* text) noexcept;
// The number in an attribute of `element`, or `absent` when the element has no such attribute.
DWORD ReadConfigNumber(const CXmlElement& element, const wchar_t* attribute, DWORD absent) noexcept;
