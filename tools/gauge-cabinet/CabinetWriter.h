#pragma once
// Packs files into a one-cabinet archive with the platform's compressor (Cabinet.dll's FCI,
// loaded at run time), MSZIP-compressed, each file with its date, time and attributes.

#include <windows.h>

#include <string>
#include <vector>

struct CabinetSource {
    std::wstring path; // the file on disk
    std::string name;  // its name in the archive, subfolders separated by "\"
};

// False when the compressor is missing or a file cannot be read or written; `error` then says
// what failed. The compressor works in the ANSI code page: keep paths within it.
bool WriteCabinet(const std::wstring& cabinetPath, const std::vector<CabinetSource>& sources,
                  std::wstring& error);
