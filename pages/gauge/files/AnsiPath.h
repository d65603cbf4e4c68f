#pragma once
// The narrow form in which wide paths travel through the cabinet decompressor, whose interface
// only takes narrow strings. Characters up to U+00FF are kept as the byte of the same value; each
// run of characters above U+00FF becomes "<", the base64 digits of its 16-bit code units read as
// one big-endian bit string (last digit filled with zero bits, no "=" fill), and ">". No Windows
// file name contains "<", so a narrow path holds Unicode characters exactly when it contains one.

#include <string>
#include <string_view>

std::string AnsiPathFromWide(std::wstring_view widePath);

// Reverses AnsiPathFromWide. Inside a run every complete 16 bits give one character; a byte
// outside the base64 alphabet ends the run, and a ">" that ends it is dropped.
std::wstring WideFromAnsiPath(std::string_view ansiPath);

// True when the narrow path carries Unicode runs and must be opened through its wide form.
inline bool HoldsUnicodeRuns(std::string_view ansiPath) {
    return ansiPath.find('<') != std::string_view::npos;
}
