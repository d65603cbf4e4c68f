#include "registration/AddonRegistration.h"

#include "registration/AddonRegistrar.h"

#include <windows.h>

#include <shlobj.h>

#include <string>
#include <vector>

namespace {

constexpr size_t kFolderPathLength = 1024;
constexpr DWORD kProgramPathLength = 4096;

// The roaming application-data folder followed by the simulator's folder; false when the shell
// cannot give the application-data folder.
bool GetSimulatorFolder(std::wstring& folder) {
    std::vector<wchar_t> buffer(kFolderPathLength, L'\0');
    if (!SHGetSpecialFolderPathW(nullptr, buffer.data(), CSIDL_APPDATA, FALSE))
        return false;
    folder = std::wstring(buffer.data()) + L"\\Dovetail Games\\FSW";
    return true;
}

// The user's documents folder; empty when the shell cannot give it.
std::wstring GetDocumentsFolder() {
    std::vector<wchar_t> buffer(kFolderPathLength, L'\0');
    if (FAILED(
            SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, SHGFP_TYPE_CURRENT, buffer.data())))
        return {};
    return buffer.data();
}

// The executable's full path; empty when it cannot be read whole.
std::wstring GetProgramPath() {
    std::vector<wchar_t> buffer(kProgramPathLength, L'\0');
    const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), kProgramPathLength);
    if (length == 0 || length >= kProgramPathLength)
        return {};
    return std::wstring(buffer.data(), length);
}

} // namespace

bool InstallAddon() {
    std::wstring simulatorFolder;
    if (!GetSimulatorFolder(simulatorFolder))
        return false;
    return CAddonRegistrar(simulatorFolder, GetDocumentsFolder(), GetProgramPath()).Install();
}

bool UninstallAddon() {
    std::wstring simulatorFolder;
    if (!GetSimulatorFolder(simulatorFolder))
        return false;
    return CAddonRegistrar(simulatorFolder, L"", GetProgramPath()).Uninstall();
}
