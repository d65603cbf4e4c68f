#include "tools/gauge-cabinet/CabinetWriter.h"

#include "common/UniqueHandle.h"

#include <fci.h>
#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>

namespace {

using PFN_FCICreate = HFCI(DIAMONDAPI*)(PERF, PFNFCIFILEPLACED, PFNFCIALLOC, PFNFCIFREE, PFNFCIOPEN,
                                        PFNFCIREAD, PFNFCIWRITE, PFNFCICLOSE, PFNFCISEEK,
                                        PFNFCIDELETE, PFNFCIGETTEMPFILE, PCCAB, void*);
using PFN_FCIAddFile = BOOL(DIAMONDAPI*)(HFCI, char*, char*, BOOL, PFNFCIGETNEXTCABINET,
                                         PFNFCISTATUS, PFNFCIGETOPENINFO, TCOMP);
using PFN_FCIFlushCabinet = BOOL(DIAMONDAPI*)(HFCI, BOOL, PFNFCIGETNEXTCABINET, PFNFCISTATUS);
using PFN_FCIDestroy = BOOL(DIAMONDAPI*)(HFCI);

// What the compressor's callbacks share: where its temporary files go.
struct Session {
    std::string tempFolder; // ends with "\"
    int tempFiles = 0;
};

std::string Ansi(const std::wstring& text) {
    const int size = WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(size > 0 ? size : 1), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, out.data(), size, nullptr, nullptr);
    out.resize(std::strlen(out.c_str()));
    return out;
}

void* DIAMONDAPI Allocate(ULONG size) {
    return HeapAlloc(GetProcessHeap(), 0, size);
}

void DIAMONDAPI Release(void* memory) {
    HeapFree(GetProcessHeap(), 0, memory);
}

INT_PTR DIAMONDAPI Open(char* path, int flags, int permission, int* error, void*) {
    int handle = -1;
    *error = _sopen_s(&handle, path, flags | _O_BINARY, _SH_DENYNO, permission);
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
    const std::string path = session.tempFolder + "cabinet-writer-" +
                             std::to_string(GetCurrentProcessId()) + "-" +
                             std::to_string(++session.tempFiles) + ".tmp";
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

// The source's date, time and attributes as the archive keeps them.
INT_PTR DIAMONDAPI GetOpenInfo(char* source, USHORT* date, USHORT* time, USHORT* attributes,
                               int* error, void* context) {
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (!GetFileAttributesExA(source, GetFileExInfoStandard, &data)) {
        *error = ENOENT;
        return -1;
    }
    FILETIME local = {};
    FileTimeToLocalFileTime(&data.ftLastWriteTime, &local);
    FileTimeToDosDateTime(&local, date, time);
    *attributes = static_cast<USHORT>(data.dwFileAttributes &
                                      (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                       FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE));
    return Open(source, _O_RDONLY, 0, error, context);
}

template <typename Fn> Fn Bind(HMODULE module, const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// Splits a path into its folder (with the closing "\") and its file name.
void SplitPath(const std::string& path, std::string& folder, std::string& name) {
    const size_t slash = path.find_last_of("\\/");
    folder = slash == std::string::npos ? std::string(".\\") : path.substr(0, slash + 1);
    name = slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace

bool WriteCabinet(const std::wstring& cabinetPath, const std::vector<CabinetSource>& sources,
                  std::wstring& error) {
    const UniqueModule cabinet(LoadLibraryW(L"Cabinet.dll"));
    if (!cabinet) {
        error = L"Cabinet.dll cannot be loaded";
        return false;
    }
    const auto create = Bind<PFN_FCICreate>(cabinet.get(), "FCICreate");
    const auto addFile = Bind<PFN_FCIAddFile>(cabinet.get(), "FCIAddFile");
    const auto flush = Bind<PFN_FCIFlushCabinet>(cabinet.get(), "FCIFlushCabinet");
    const auto destroy = Bind<PFN_FCIDestroy>(cabinet.get(), "FCIDestroy");
    if (!create || !addFile || !flush || !destroy) {
        error = L"Cabinet.dll lacks the compressor";
        return false;
    }

    Session session;
    char temp[MAX_PATH + 1] = {};
    GetTempPathA(MAX_PATH + 1, temp);
    session.tempFolder = temp;
    std::string folder;
    std::string name;
    SplitPath(Ansi(cabinetPath), folder, name);
    CCAB cab = {};
    cab.cb = 0x7FFFFFFF;
    cab.cbFolderThresh = 0x7FFFFFFF;
    cab.setID = 1;
    cab.iCab = 1;
    if (folder.size() >= sizeof(cab.szCabPath) || name.size() >= sizeof(cab.szCab)) {
        error = L"the cabinet's path is too long";
        return false;
    }
    std::strcpy(cab.szCabPath, folder.c_str());
    std::strcpy(cab.szCab, name.c_str());

    ERF erf = {};
    const HFCI context = create(&erf, FilePlaced, Allocate, Release, Open, Read, Write, Close, Seek,
                                Delete, GetTempFile, &cab, &session);
    if (!context) {
        error = L"the compressor cannot start";
        return false;
    }
    bool written = true;
    for (const CabinetSource& source : sources) {
        std::string path = Ansi(source.path);
        std::string stored = source.name;
        if (!addFile(context, path.data(), stored.data(), FALSE, GetNextCabinet, Status,
                     GetOpenInfo, tcompTYPE_MSZIP)) {
            error = L"cannot add " + source.path;
            written = false;
            break;
        }
    }
    if (written && !flush(context, FALSE, GetNextCabinet, Status)) {
        error = L"cannot write " + cabinetPath;
        written = false;
    }
    destroy(context);
    return written;
}
