#pragma once
// Simulator names are narrow strings in the system's ANSI code page.

#include <string>
#include <string_view>

// The text in the ANSI code page, cut to fit a buffer of bufferSize bytes with its terminating
// zero (never in the middle of a double-byte character).
std::string ToAnsiCodePage(std::wstring_view text, size_t bufferSize);
