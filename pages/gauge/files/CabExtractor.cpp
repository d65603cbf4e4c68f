#include "pages/gauge/files/CabExtractor.h"

#include "pages/gauge/files/AnsiPath.h"

#include "app/trace/Trace.h"
#include "common/UniqueHandle.h"

#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <sys/stat.h>

#include <cstring>
#include <new>
#include <string_view>

namespace {

// Longest output folder, archive name or directory, and extracted path, in narrow form.
constexpr size_t kMaxPathChars = 254;
// Longest name of a continuing cabinet, in narrow form.
constexpr size_t kMaxCabinetNameChars = 255;
// Error codes of the decompressor the extractor sets itself.
constexpr int kMemoryAllocationFailed = FDIERROR_ALLOC_FAIL;
constexpr int kFailureWritingTarget = FDIERROR_TARGET_FILE;
// An archive's attribute bit saying that the file's time is already UTC.
constexpr USHORT kTimeIsUtc = 0x100;
// The attributes an extracted file keeps: read-only, hidden, system, archive.
constexpr USHORT kKeptAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                   FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;
// How an extracted file is opened for writing: create, truncate, write only, raw bytes,
// sequential; readable and writable by its owner.
constexpr int kCreateForWriting = _O_CREAT | _O_TRUNC | _O_WRONLY | _O_BINARY | _O_SEQUENTIAL;
constexpr int kReadWritePermission = _S_IREAD | _S_IWRITE;

// Narrow paths with Unicode runs go through the wide file functions, all others through the
// narrow ones.
DWORD AttributesOf(const std::string& path) {
    return HoldsUnicodeRuns(path) ? GetFileAttributesW(WideFromAnsiPath(path).c_str())
                                  : GetFileAttributesA(path.c_str());
}

void SetAttributes(const std::string& path, DWORD attributes) {
    if (HoldsUnicodeRuns(path))
        SetFileAttributesW(WideFromAnsiPath(path).c_str(), attributes);
    else
        SetFileAttributesA(path.c_str(), attributes);
}

void MakeFolder(const std::string& path) {
    if (HoldsUnicodeRuns(path))
        CreateDirectoryW(WideFromAnsiPath(path).c_str(), nullptr);
    else
        CreateDirectoryA(path.c_str(), nullptr);
}

HANDLE OpenExistingForUpdate(const std::string& path) {
    if (HoldsUnicodeRuns(path))
        return CreateFileW(WideFromAnsiPath(path).c_str(), GENERIC_READ | GENERIC_WRITE,
                           FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    return CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// Creates `folder` (with or without a closing "\") and every missing folder above it.
void CreateFolderTree(std::string folder) {
    if (!folder.empty() && folder.back() == '\\')
        folder.pop_back();
    if (folder.empty())
        return;
    const DWORD attributes = AttributesOf(folder);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return;
    const size_t slash = folder.rfind('\\');
    if (slash != std::string::npos)
        CreateFolderTree(folder.substr(0, slash));
    MakeFolder(folder);
}

// True for a segment of dots and spaces with at least two dots: "..", and the forms that path
// normalisation (which trims trailing dots and spaces) may read as "..".
bool IsParentSegment(std::wstring_view segment) {
    size_t dots = 0;
    for (const wchar_t c : segment) {
        if (c == L'.')
            ++dots;
        else if (c != L' ')
            return false;
    }
    return dots >= 2;
}

// True when an archive entry's name would be written anywhere but below the output folder: a
// rooted name ("\x", "\\server\share\x"), a drive ("C:\x", "C:x"), or a parent segment. The name
// is judged in its wide form, since a Unicode run may spell out any character.
bool LeavesOutputFolder(std::string_view entryName) {
    const std::wstring name = WideFromAnsiPath(entryName);
    if (!name.empty() && (name.front() == L'\\' || name.front() == L'/'))
        return true;
    if (name.find(L':') != std::wstring::npos)
        return true;
    size_t start = 0;
    while (start <= name.size()) {
        const size_t end = name.find_first_of(L"\\/", start);
        const size_t stop = end == std::wstring::npos ? name.size() : end;
        if (IsParentSegment(std::wstring_view(name).substr(start, stop - start)))
            return true;
        start = stop + 1;
    }
    return false;
}

// The decompressor's file callbacks: the system heap and the runtime library's low-level files.
void* DIAMONDAPI CabAllocate(ULONG size) {
    return HeapAlloc(GetProcessHeap(), 0, size);
}

void DIAMONDAPI CabRelease(void* memory) {
    HeapFree(GetProcessHeap(), 0, memory);
}

INT_PTR OpenNarrowOrWide(const char* path, int flags, int permission) {
    int handle = -1;
    if (HoldsUnicodeRuns(path)) {
        const std::wstring widePath = WideFromAnsiPath(path);
        if (flags & _O_CREAT) // a read-only file of an earlier extraction is overwritten
            SetFileAttributesW(widePath.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (_wsopen_s(&handle, widePath.c_str(), flags, _SH_DENYNO, permission) != 0)
            return -1;
    } else {
        if (flags & _O_CREAT)
            SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
        if (_sopen_s(&handle, path, flags, _SH_DENYNO, permission) != 0)
            return -1;
    }
    return handle;
}

INT_PTR DIAMONDAPI CabOpen(char* path, int flags, int permission) {
    try {
        return OpenNarrowOrWide(path, flags, permission);
    } catch (const std::bad_alloc&) {
        return -1;
    }
}

UINT DIAMONDAPI CabRead(INT_PTR handle, void* buffer, UINT size) {
    return static_cast<UINT>(_read(static_cast<int>(handle), buffer, size));
}

UINT DIAMONDAPI CabWrite(INT_PTR handle, void* buffer, UINT size) {
    return static_cast<UINT>(_write(static_cast<int>(handle), buffer, size));
}

int DIAMONDAPI CabClose(INT_PTR handle) {
    return _close(static_cast<int>(handle));
}

LONG DIAMONDAPI CabSeek(INT_PTR handle, LONG distance, int origin) {
    return _lseek(static_cast<int>(handle), distance, origin);
}

} // namespace

bool ExtractCabinet(const wchar_t* archive, const wchar_t* folder) {
    CCabExtractor extractor;
    return extractor.Extract(archive, folder);
}

CCabExtractor::CCabExtractor(const CCabinetLibrary& library) : m_library(library) {}

CCabExtractor::~CCabExtractor() {
    DestroyContext();
}

bool CCabExtractor::Extract(const wchar_t* archive, const wchar_t* folder) {
    if (!CreateContext())
        return false;
    const bool extracted = Run(AnsiPathFromWide(archive), AnsiPathFromWide(folder));
    if (!extracted)
        DebugTrace(L"%ws", ErrorText().c_str());
    DestroyContext();
    return extracted;
}

bool CCabExtractor::CreateContext() {
    if (!m_library.IsLoaded())
        return Fail(kCouldNotLoadLibrary);
    m_context = m_library.Create(CabAllocate, CabRelease, CabOpen, CabRead, CabWrite, CabClose,
                                 CabSeek, cpu80386, &m_erf);
    return m_context != nullptr;
}

void CCabExtractor::DestroyContext() {
    if (m_context)
        m_library.Destroy(m_context);
    m_context = nullptr;
}

bool CCabExtractor::Run(const std::string& archive, const std::string& folder) {
    m_overrideCode = 0;
    if (folder.size() > kMaxPathChars)
        return Fail(kPathTooLong);
    m_outputFolder = folder;
    if (m_outputFolder.size() > 1 && m_outputFolder.back() != '\\')
        m_outputFolder += '\\';

    const size_t slash = archive.rfind('\\');
    std::string name = slash == std::string::npos ? std::string() : archive.substr(slash + 1);
    const std::string directory =
        slash == std::string::npos ? std::string() : archive.substr(0, slash + 1);
    if (name.size() > kMaxPathChars || directory.size() > kMaxPathChars)
        return Fail(kPathTooLong);
    if (m_outputFolder.empty() || name.empty() || directory.empty())
        return Fail(kInvalidParameters);
    if (HoldsUnicodeRuns(name))
        return Fail(kUnicodeCabinetName);

    // A file that continues into the next cabinet of a set is finished by the decompressor; the
    // files that start in that cabinet need a pass of their own.
    m_nextCabinet = name;
    while (true) {
        if (!CopyCabinet(name, directory))
            return false;
        if (_stricmp(m_nextCabinet.c_str(), name.c_str()) == 0)
            break;
        name = m_nextCabinet;
    }
    return !m_erf.fError;
}

bool CCabExtractor::CopyCabinet(const std::string& name, const std::string& directory) {
    std::string cabinetName = name;
    std::string cabinetPath = directory;
    return m_library.Copy(m_context, cabinetName.data(), cabinetPath.data(), 0, Notify, nullptr,
                          this) != FALSE;
}

bool CCabExtractor::Fail(int code) {
    m_overrideCode = code;
    m_erf.fError = TRUE;
    return false;
}

int CCabExtractor::ErrorCode() const {
    if (!m_erf.fError)
        return 0;
    return m_overrideCode != 0 ? m_overrideCode : m_erf.erfOper;
}

std::wstring CCabExtractor::ErrorText() const {
    if (!m_erf.fError)
        return L"Success";
    std::wstring text = MessageOfCode(ErrorCode());
    if (m_erf.erfType == 0)
        return text;
    constexpr DWORD kSystemTextChars = 5000;
    std::wstring systemText(kSystemTextChars, L'\0');
    const DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                        nullptr, static_cast<DWORD>(m_erf.erfType), 0,
                                        systemText.data(), kSystemTextChars, nullptr);
    if (length == 0)
        systemText = L"Windows has no explanation for this error code.";
    else
        systemText.resize(length);
    return text + L"\nError " + std::to_wstring(m_erf.erfType) + L": " + systemText;
}

const wchar_t* CCabExtractor::MessageOfCode(int code) {
    switch (code) {
    case 0:
        return L"Success";
    case 1:
        return L"Cabinet file (or part of splitted CAB) not found";
    case 2:
        return L"Not a cabinet";
    case 3:
        return L"Unknown cabinet version";
    case 4:
        return L"Corrupt cabinet";
    case 5:
        return L"Memory allocation failed";
    case 6:
        return L"Unknown compression type";
    case 7:
        return L"Failure decompressing data";
    case 8:
        return L"Failure writing to target file";
    case 9:
        return L"Cabinets in set have different RESERVE sizes";
    case 10:
        return L"Cabinet returned on fdintNEXT_CABINET is incorrect";
    case 11:
        return L"User aborted";
    case 1000:
        return L"Could not load Cabinet.dll";
    case 1001:
        return L"Invalid parameters";
    case 1002:
        return L"The filename of the CAB file must NEVER contain Unicode characters!";
    case 1003:
        return L"Extracting Unicode paths requires Windows NT, 2000, XP or higher.";
    case 1004:
        return L"The specified resource could not be opened.";
    case 1005:
        return L"The path is too long. (Max 250 Ansii characters or approx 100 Unicode "
               L"characters).";
    default:
        return L"Unknown error";
    }
}

INT_PTR DIAMONDAPI CCabExtractor::Notify(FDINOTIFICATIONTYPE type, PFDINOTIFICATION notification) {
    auto* const extractor = static_cast<CCabExtractor*>(notification->pv);
    try {
        switch (type) {
        case fdintCOPY_FILE:
            return extractor->OnCopyFile(*notification);
        case fdintCLOSE_FILE_INFO:
            return extractor->OnCloseFileInfo(*notification);
        case fdintNEXT_CABINET:
            return extractor->OnNextCabinet(*notification);
        default:
            return 0;
        }
    } catch (const std::bad_alloc&) {
        // Paths are built in strings; without memory the decompressor is told to stop.
        extractor->m_overrideCode = kMemoryAllocationFailed;
        return type == fdintCLOSE_FILE_INFO ? FALSE : -1;
    }
}

INT_PTR CCabExtractor::OnCopyFile(const FDINOTIFICATION& notification) {
    const std::string_view entry = notification.psz1;
    if (LeavesOutputFolder(entry)) {
        DebugTrace(L"Skipped the archive entry \"%S\": its path leads outside the output folder",
                   notification.psz1);
        return 0;
    }
    const size_t slash = entry.rfind('\\');
    const size_t nameStart = slash == std::string_view::npos ? 0 : slash + 1;
    const std::string targetFolder = m_outputFolder + std::string(entry.substr(0, nameStart));
    const std::string target = targetFolder + std::string(entry.substr(nameStart));
    if (targetFolder.size() > kMaxPathChars || target.size() > kMaxPathChars) {
        Fail(kPathTooLong);
        return 0;
    }
    CreateFolderTree(targetFolder);
    const INT_PTR handle =
        OpenNarrowOrWide(target.c_str(), kCreateForWriting, kReadWritePermission);
    if (handle <= 0)
        m_overrideCode = kFailureWritingTarget;
    return handle;
}

INT_PTR CCabExtractor::OnCloseFileInfo(const FDINOTIFICATION& notification) {
    CabClose(notification.hf);
    const std::string path = m_outputFolder + notification.psz1;
    if (path.size() > kMaxPathChars)
        return FALSE;
    UniqueFile file(OpenExistingForUpdate(path));
    if (!file)
        return TRUE;
    FILETIME localTime = {};
    if (DosDateTimeToFileTime(notification.date, notification.time, &localTime)) {
        FILETIME stamp = localTime;
        if (!(notification.attribs & kTimeIsUtc))
            LocalFileTimeToFileTime(&localTime, &stamp);
        SetFileTime(file.get(), &stamp, nullptr, &stamp);
    }
    file.reset();
    SetAttributes(path, notification.attribs & kKeptAttributes);
    return TRUE;
}

INT_PTR CCabExtractor::OnNextCabinet(const FDINOTIFICATION& notification) {
    if (notification.fdie != FDIERROR_NONE) {
        m_overrideCode = notification.fdie;
        return -1;
    }
    if (std::strlen(notification.psz1) > kMaxCabinetNameChars)
        return -1;
    m_nextCabinet = notification.psz1;
    return 0;
}
