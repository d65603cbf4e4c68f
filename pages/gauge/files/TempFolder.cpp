#include "pages/gauge/files/TempFolder.h"

#include <windows.h>

#include <objbase.h>

namespace {

// Longest folder name handed out, without its terminating zero.
constexpr size_t kMaxFolderChars = MAX_PATH;

bool IsDotEntry(const wchar_t* name) {
    return wcscmp(name, L".") == 0 || wcscmp(name, L"..") == 0;
}

// The position of the "\" that closes the root of `path`: the drive's ("C:\") or the share's
// ("\\server\share\").
size_t RootSeparator(const std::wstring& path) {
    if (path.rfind(L"\\\\", 0) != 0)
        return path.find(L'\\');
    const size_t server = path.find(L'\\', 2);
    return server == std::wstring::npos ? server : path.find(L'\\', server + 1);
}

// Creates every folder on the way to `path` that does not exist yet, from the first one below
// the root; the part after the last "\" is left alone. Stops at the first failure.
void CreateParentFolders(const std::wstring& path) {
    size_t separator = RootSeparator(path);
    if (separator == std::wstring::npos)
        return;
    while ((separator = path.find(L'\\', separator + 1)) != std::wstring::npos) {
        const std::wstring folder = path.substr(0, separator);
        if (GetFileAttributesW(folder.c_str()) == INVALID_FILE_ATTRIBUTES &&
            !CreateDirectoryW(folder.c_str(), nullptr))
            return;
    }
}

// Extracted files keep their read-only attribute, which would make DeleteFileW fail.
bool DeleteAnyFile(const std::wstring& path, DWORD attributes) {
    if (attributes & FILE_ATTRIBUTE_READONLY)
        SetFileAttributesW(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
    return DeleteFileW(path.c_str()) != FALSE;
}

// Deletes everything inside `folder`; false at the first entry that cannot be deleted.
bool DeleteContents(const std::wstring& folder) {
    WIN32_FIND_DATAW entry = {};
    const HANDLE listing = FindFirstFileW((folder + L"\\*.*").c_str(), &entry);
    if (listing == INVALID_HANDLE_VALUE)
        return true;
    bool deleted = true;
    do {
        if (IsDotEntry(entry.cFileName))
            continue;
        const std::wstring path = folder + L"\\" + entry.cFileName;
        deleted = (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                      ? DeleteFolder(path)
                      : DeleteAnyFile(path, entry.dwFileAttributes);
    } while (deleted && FindNextFileW(listing, &entry));
    FindClose(listing);
    return deleted;
}

} // namespace

bool CreateTempFolderName(std::wstring& folderName) {
    wchar_t tempPath[kMaxFolderChars + 1] = {};
    const DWORD tempLength = GetTempPathW(kMaxFolderChars + 1, tempPath);
    if (tempLength == 0 || tempLength > kMaxFolderChars)
        return false;
    GUID guid = {};
    if (FAILED(CoCreateGuid(&guid)))
        return false;
    // "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" with upper-case digits, 38 characters.
    wchar_t guidText[40] = {};
    if (StringFromGUID2(guid, guidText, 40) == 0)
        return false;
    folderName = std::wstring(tempPath, tempLength) + guidText;
    if (folderName.size() > kMaxFolderChars)
        folderName.resize(kMaxFolderChars);
    CreateParentFolders(folderName);
    return true;
}

bool DeleteFolder(const std::wstring& folder) {
    if (!DeleteContents(folder))
        return false;
    return RemoveDirectoryW(folder.c_str()) != FALSE;
}
