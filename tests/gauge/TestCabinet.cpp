#include "tests/gauge/TestCabinet.h"

#include <fci.h>
#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>

namespace fs = std::filesystem;

namespace {

using PFN_FCICreate = HFCI(DIAMONDAPI*)(PERF, PFNFCIFILEPLACED, PFNFCIALLOC, PFNFCIFREE, PFNFCIOPEN,
                                        PFNFCIREAD, PFNFCIWRITE, PFNFCICLOSE, PFNFCISEEK,
                                        PFNFCIDELETE, PFNFCIGETTEMPFILE, PCCAB, void*);
using PFN_FCIAddFile = BOOL(DIAMONDAPI*)(HFCI, char*, char*, BOOL, PFNFCIGETNEXTCABINET,
                                         PFNFCISTATUS, PFNFCIGETOPENINFO, TCOMP);
using PFN_FCIFlushCabinet = BOOL(DIAMONDAPI*)(HFCI, BOOL, PFNFCIGETNEXTCABINET, PFNFCISTATUS);
using PFN_FCIDestroy = BOOL(DIAMONDAPI*)(HFCI);

// What the compressor's callbacks share: the staging folder and the entry behind each source.
struct Session {
    std::string stagingFolder; // narrow, ends with "\"
    std::map<std::string, const CabinetEntry*> sources;
    int tempFiles = 0;
};

void* DIAMONDAPI Allocate(ULONG size) {
    return HeapAlloc(GetProcessHeap(), 0, size);
}

void DIAMONDAPI Release(void* memory) {
    HeapFree(GetProcessHeap(), 0, memory);
}

INT_PTR DIAMONDAPI Open(char* path, int flags, int permission, int* error, void*) {
    int handle = -1;
    *error = _sopen_s(&handle, path, flags, _SH_DENYNO, permission);
    return handle;
}

UINT DIAMONDAPI Read(INT_PTR handle, void* buffer, UINT size, int* error, void*) {
    const int read = _read(static_cast<int>(handle), buffer, size);
    *error = read < 0 ? errno : 0;
    return static_cast<UINT>(read);
}

UINT DIAMONDAPI Write(INT_PTR handle, void* buffer, UINT size, int* error, void*) {
    const int written = _write(static_cast<int>(handle), buffer, size);
    *error = written < 0 ? errno : 0;
    return static_cast<UINT>(written);
}

int DIAMONDAPI Close(INT_PTR handle, int* error, void*) {
    *error = 0;
    return _close(static_cast<int>(handle));
}

LONG DIAMONDAPI Seek(INT_PTR handle, LONG distance, int origin, int* error, void*) {
    *error = 0;
    return _lseek(static_cast<int>(handle), distance, origin);
}

int DIAMONDAPI Delete(char* path, int* error, void*) {
    *error = 0;
    return std::remove(path);
}

BOOL DIAMONDAPI GetTempFile(char* name, int size, void* context) {
    Session& session = *static_cast<Session*>(context);
    const std::string path =
        session.stagingFolder + "temp" + std::to_string(++session.tempFiles) + ".tmp";
    if (path.size() >= static_cast<size_t>(size))
        return FALSE;
    std::strcpy(name, path.c_str());
    return TRUE;
}

int DIAMONDAPI FilePlaced(PCCAB, char*, LONG, BOOL, void*) {
    return 0;
}

BOOL DIAMONDAPI GetNextCabinet(PCCAB, ULONG, void*) {
    return FALSE;
}

LONG DIAMONDAPI Status(UINT, ULONG, ULONG, void*) {
    return 0;
}

INT_PTR DIAMONDAPI GetOpenInfo(char* source, USHORT* date, USHORT* time, USHORT* attributes,
                               int* error, void* context) {
    const CabinetEntry& entry = *static_cast<Session*>(context)->sources.at(source);
    *date = entry.date;
    *time = entry.time;
    *attributes = entry.attributes;
    return Open(source, _O_RDONLY | _O_BINARY, 0, error, context);
}

std::string StagingFolder() {
    char temp[MAX_PATH + 1] = {};
    GetTempPathA(MAX_PATH + 1, temp);
    return std::string(temp) + "cabstage-" + std::to_string(GetCurrentProcessId()) + "\\";
}

bool Compress(Session& session, const std::vector<CabinetEntry>& entries, TCOMP compression) {
    const HMODULE cabinet = LoadLibraryA("Cabinet.dll");
    if (!cabinet)
        return false;
    const auto create = reinterpret_cast<PFN_FCICreate>(
        reinterpret_cast<void*>(GetProcAddress(cabinet, "FCICreate")));
    const auto addFile = reinterpret_cast<PFN_FCIAddFile>(
        reinterpret_cast<void*>(GetProcAddress(cabinet, "FCIAddFile")));
    const auto flush = reinterpret_cast<PFN_FCIFlushCabinet>(
        reinterpret_cast<void*>(GetProcAddress(cabinet, "FCIFlushCabinet")));
    const auto destroy = reinterpret_cast<PFN_FCIDestroy>(
        reinterpret_cast<void*>(GetProcAddress(cabinet, "FCIDestroy")));

    CCAB cab = {};
    cab.cb = 0x7FFFFFFF;
    cab.cbFolderThresh = 0x7FFFFFFF;
    cab.setID = 1;
    cab.iCab = 1;
    std::strcpy(cab.szCab, "test.cab");
    std::strcpy(cab.szCabPath, session.stagingFolder.c_str());
    ERF erf = {};
    const HFCI context = create(&erf, FilePlaced, Allocate, Release, Open, Read, Write, Close, Seek,
                                Delete, GetTempFile, &cab, &session);
    bool written = context != nullptr;
    for (size_t i = 0; written && i < entries.size(); ++i) {
        std::string source = session.stagingFolder + "source" + std::to_string(i);
        std::ofstream(source, std::ios::binary) << entries[i].content;
        session.sources[source] = &entries[i];
        std::string name = entries[i].name;
        written = addFile(context, source.data(), name.data(), FALSE, GetNextCabinet, Status,
                          GetOpenInfo, compression) != FALSE;
    }
    written = written && flush(context, FALSE, GetNextCabinet, Status) != FALSE;
    if (context)
        destroy(context);
    FreeLibrary(cabinet);
    return written;
}

void AppendWord(std::string& bytes, WORD value) {
    bytes += static_cast<char>(value & 0xFF);
    bytes += static_cast<char>(value >> 8);
}

void AppendDword(std::string& bytes, DWORD value) {
    AppendWord(bytes, static_cast<WORD>(value & 0xFFFF));
    AppendWord(bytes, static_cast<WORD>(value >> 16));
}

} // namespace

bool WriteCabinet(const fs::path& path, const std::vector<CabinetEntry>& entries,
                  CabinetCompression compression) {
    Session session;
    session.stagingFolder = StagingFolder();
    std::error_code ignored;
    fs::remove_all(session.stagingFolder, ignored);
    fs::create_directories(session.stagingFolder);
    bool written =
        Compress(session, entries,
                 compression == CabinetCompression::MsZip ? tcompTYPE_MSZIP : tcompTYPE_NONE);
    if (written) {
        fs::create_directories(path.parent_path());
        const fs::path cabinet = session.stagingFolder + "test.cab";
        written = CopyFileW(cabinet.c_str(), path.c_str(), FALSE) != FALSE;
    }
    fs::remove_all(session.stagingFolder, ignored);
    return written;
}

std::string RawCabinet(const std::vector<CabinetEntry>& entries, BYTE versionMajor) {
    constexpr DWORD kHeaderSize = 36;
    constexpr DWORD kFolderSize = 8;
    constexpr DWORD kDataHeaderSize = 8;

    std::string files;
    std::string data;
    for (const CabinetEntry& entry : entries) {
        AppendDword(files, static_cast<DWORD>(entry.content.size())); // 16-byte record, name
        AppendDword(files, static_cast<DWORD>(data.size()));          // offset in the folder
        AppendWord(files, 0);                                         // folder 0
        AppendWord(files, entry.date);
        AppendWord(files, entry.time);
        AppendWord(files, entry.attributes);
        files += entry.name;
        files += '\0';
        data += entry.content;
    }
    const DWORD dataStart = kHeaderSize + kFolderSize + static_cast<DWORD>(files.size());
    const DWORD total = dataStart + kDataHeaderSize + static_cast<DWORD>(data.size());

    std::string bytes = "MSCF";
    AppendDword(bytes, 0);
    AppendDword(bytes, total);
    AppendDword(bytes, 0);
    AppendDword(bytes, kHeaderSize + kFolderSize); // first file record
    AppendDword(bytes, 0);
    bytes += static_cast<char>(3); // minor version
    bytes += static_cast<char>(versionMajor);
    AppendWord(bytes, 1); // folders
    AppendWord(bytes, static_cast<WORD>(entries.size()));
    AppendWord(bytes, 0); // flags: no reserve, no previous or next cabinet
    AppendWord(bytes, 1); // set id
    AppendWord(bytes, 0); // number in the set

    AppendDword(bytes, dataStart);
    AppendWord(bytes, 1); // data blocks
    AppendWord(bytes, 0); // stored, no compression

    bytes += files;

    AppendDword(bytes, 0); // no checksum
    AppendWord(bytes, static_cast<WORD>(data.size()));
    AppendWord(bytes, static_cast<WORD>(data.size()));
    bytes += data;
    return bytes;
}

void WriteBytes(const fs::path& path, const std::string& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}
