#pragma once
// The library's diagnostics: each call writes one complete line to the debugger output.

// printf-style with the wide rules (%ws wide, %d, %08X). The format carries its own newline.
// The calling thread's last error is left as it was.
void DebugLine(const wchar_t* format, ...);
