#include "pages/gauge/files/GaugeFileLocation.h"

#include "pages/gauge/files/CabExtractor.h"
#include "pages/gauge/files/TempFolder.h"

#include "app/trace/Trace.h"
#include "app/xml/XmlElement.h"
#include "common/StringCompare.h"
#include "common/UniqueHandle.h"

#include <windows.h>

#include <cwchar>

namespace {

constexpr wchar_t kSimulatorKey[] = L"SOFTWARE\\Microsoft\\Microsoft Games\\flight simulator\\10.0";
constexpr size_t kSetupPathChars = MAX_PATH + 1;

// The folder of the program's executable, without a closing "\".
std::wstring ProgramFolder() {
    std::wstring path(MAX_PATH, L'\0');
    DWORD length = 0;
    while ((length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()))) ==
           path.size())
        path.resize(path.size() + MAX_PATH);
    path.resize(length);
    const size_t slash = path.rfind(L'\\');
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

// How "RootFolder" places the names of the gauge file and the archive.
struct RootFolder {
    bool absolute = false; // names are used as they are
    std::wstring folder;   // else they are joined to this folder with "\"

    std::wstring Place(const std::wstring& name) const {
        return absolute ? name : folder + L"\\" + name;
    }
};

RootFolder ChooseRootFolder(const wchar_t* value) {
    RootFolder root;
    if (value && EqualsNoCase(value, L"Absolute")) {
        DebugTrace(L"RootFolder=Absolute");
        root.absolute = true;
    } else if (value && EqualsNoCase(value, L"Fsx")) {
        DebugTrace(L"RootFolder=Fsx");
        root.folder = GetFsxSetupPath();
    } else {
        DebugTrace(L"RootFolder=Relative");
        root.folder = ProgramFolder();
    }
    return root;
}

} // namespace

bool FindGaugeFile(const PageConfiguration* configuration, std::wstring& gaugeFile,
                   std::wstring& tempFolder) {
    if (!configuration || !configuration->element)
        return false;
    const CXmlElement& element = *configuration->element;
    const RootFolder root = ChooseRootFolder(element.GetAttribute(L"RootFolder"));
    const wchar_t* const fileAttribute = element.GetAttribute(L"File");
    const std::wstring file = fileAttribute ? fileAttribute : L"";

    const wchar_t* const cabFile = element.GetAttribute(L"CabFile");
    if (!cabFile) {
        gaugeFile = root.Place(file);
        return true;
    }
    std::wstring folder;
    if (!CreateTempFolderName(folder))
        return false;
    tempFolder = folder;
    if (!ExtractCabinet(root.Place(cabFile).c_str(), folder.c_str()))
        return false;
    gaugeFile = folder + L"\\" + file;
    return true;
}

std::wstring GetFsxSetupPath() {
    UniqueRegistryKey key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSimulatorKey, 0, KEY_READ, key.put()) != ERROR_SUCCESS)
        return {};
    wchar_t value[kSetupPathChars + 1] = {}; // one more, so a value without its zero ends anyway
    DWORD size = kSetupPathChars * sizeof(wchar_t);
    if (RegQueryValueExW(key.get(), L"SetupPath", nullptr, nullptr, reinterpret_cast<BYTE*>(value),
                         &size) != ERROR_SUCCESS)
        return {};
    std::wstring path(value, wcsnlen(value, kSetupPathChars));
    if (!path.empty() && path.size() <= MAX_PATH && path.back() == L'\\')
        path.pop_back();
    return path;
}
