#pragma once
// Cabinets for the extraction tests, made at run time: through the platform's compressor, or
// byte by byte for names and header fields the compressor would not write.

#include <windows.h>

#include <filesystem>
#include <string>
#include <vector>

struct CabinetEntry {
    std::string name; // as stored in the archive, subfolders separated by "\"
    std::string content;
    WORD date = 0x5A4F; // DOS date: 2025-02-15
    WORD time = 0x7A2E; // DOS time: 15:17:28
    WORD attributes = FILE_ATTRIBUTE_ARCHIVE;
};

enum class CabinetCompression { None, MsZip };

// Writes a one-cabinet archive at `path` with the platform's compressor (loaded at run time).
// The path may hold any characters; the compressor itself works in a plain temporary folder.
bool WriteCabinet(const std::filesystem::path& path, const std::vector<CabinetEntry>& entries,
                  CabinetCompression compression);

// The bytes of an uncompressed cabinet: one folder, one data block, the entries in order. Any
// names, and a format version of choice.
std::string RawCabinet(const std::vector<CabinetEntry>& entries, BYTE versionMajor = 1);

// Writes `bytes` to `path`.
void WriteBytes(const std::filesystem::path& path, const std::string& bytes);
