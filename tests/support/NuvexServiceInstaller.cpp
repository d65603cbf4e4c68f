#include "tests/support/NuvexServiceInstaller.h"

#include "common/UniqueHandle.h"

#include <memory>
#include <optional>
#include <string>

namespace {

DWORD NotifyMaskFor(DWORD state) {
    return state == SERVICE_RUNNING ? SERVICE_NOTIFY_RUNNING | SERVICE_NOTIFY_STOPPED
                                    : SERVICE_NOTIFY_STOPPED;
}

UniqueServiceHandle OpenManager() {
    return UniqueServiceHandle(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
}

UniqueServiceHandle OpenZanNvx(SC_HANDLE manager) {
    return UniqueServiceHandle(
        OpenServiceW(manager, CNuvexServiceInstaller::kServiceName, SERVICE_ALL_ACCESS));
}

std::wstring Quoted(const std::wstring& text) {
    return L"\"" + text + L"\"";
}

std::optional<std::string> ReadWholeFile(const std::wstring& path) {
    const UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size{};
    if (!file || !GetFileSizeEx(file.get(), &size))
        return std::nullopt;
    std::string content(static_cast<size_t>(size.QuadPart), '\0');
    DWORD read = 0;
    if (!ReadFile(file.get(), content.data(), static_cast<DWORD>(content.size()), &read, nullptr) ||
        read != content.size())
        return std::nullopt;
    return content;
}

bool WriteWholeFile(const std::wstring& path, const std::string& content) {
    const UniqueFile file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    return file &&
           WriteFile(file.get(), content.data(), static_cast<DWORD>(content.size()), &written,
                     nullptr) &&
           written == content.size();
}

// Every folder of the path, from the drive down.
bool CreateFolders(const std::wstring& path) {
    for (size_t slash = path.find(L'\\', 3);; slash = path.find(L'\\', slash + 1)) {
        const std::wstring folder = path.substr(0, slash);
        if (!CreateDirectoryW(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
            return false;
        if (slash == std::wstring::npos)
            return true;
    }
}

} // namespace

CNuvexServiceInstaller::~CNuvexServiceInstaller() {
    if (m_installed)
        Delete();
}

std::wstring CNuvexServiceInstaller::ServiceExePath() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path);
    folder.erase(folder.find_last_of(L"\\/") + 1);
    return folder + L"ZanNvx.exe";
}

bool CNuvexServiceInstaller::Install(const std::wstring& configPath,
                                     const std::wstring& outputFolder) {
    const UniqueServiceHandle manager = OpenManager();
    if (!manager || !InstallImages())
        return false;
    SERVICE_NOTIFYW notify{};
    if (const UniqueServiceHandle stale = OpenZanNvx(manager.get()))
        StopAndDelete(stale.get(), notify, 15000);
    std::wstring command = Quoted(ServiceExePath()) + L" " + Quoted(configPath);
    if (!outputFolder.empty())
        command += L" " + Quoted(outputFolder);
    const UniqueServiceHandle service(
        CreateServiceW(manager.get(), kServiceName, kServiceName, SERVICE_ALL_ACCESS,
                       SERVICE_WIN32_OWN_PROCESS, SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL,
                       command.c_str(), nullptr, nullptr, nullptr, nullptr, nullptr));
    m_installed = static_cast<bool>(service);
    return m_installed;
}

bool CNuvexServiceInstaller::Start(DWORD timeoutMs) {
    SERVICE_NOTIFYW notify{};
    const UniqueServiceHandle manager = OpenManager();
    const UniqueServiceHandle service = manager ? OpenZanNvx(manager.get()) : UniqueServiceHandle();
    if (!service || !StartServiceW(service.get(), 0, nullptr))
        return false;
    return WaitForState(service.get(), notify, SERVICE_RUNNING, timeoutMs);
}

bool CNuvexServiceInstaller::Stop(DWORD timeoutMs) {
    SERVICE_NOTIFYW notify{};
    const UniqueServiceHandle manager = OpenManager();
    const UniqueServiceHandle service = manager ? OpenZanNvx(manager.get()) : UniqueServiceHandle();
    if (!service)
        return false;
    SERVICE_STATUS status{};
    ControlService(service.get(), SERVICE_CONTROL_STOP, &status);
    return WaitForState(service.get(), notify, SERVICE_STOPPED, timeoutMs);
}

bool CNuvexServiceInstaller::Delete() {
    SERVICE_NOTIFYW notify{};
    const UniqueServiceHandle manager = OpenManager();
    const UniqueServiceHandle service = manager ? OpenZanNvx(manager.get()) : UniqueServiceHandle();
    m_installed = false;
    return service && StopAndDelete(service.get(), notify, 15000);
}

bool CNuvexServiceInstaller::InstallImages() {
    std::wstring source = ServiceExePath();
    source.erase(source.find_last_of(L'\\') + 1);
    source += L"1024\\";
    const std::wstring target = std::wstring(kImageFolder) + L"\\";
    WIN32_FIND_DATAW found{};
    const UniqueFindHandle find(FindFirstFileW((source + L"*.bmp").c_str(), &found));
    if (!find || !CreateFolders(kImageFolder))
        return false;
    bool installed = true;
    do {
        installed = InstallImage(source + found.cFileName, target + found.cFileName) && installed;
    } while (FindNextFileW(find.get(), &found));
    return installed;
}

// A new or changed image goes in under a temporary name and is then renamed into place, so a
// reader never sees half a file.
bool CNuvexServiceInstaller::InstallImage(const std::wstring& source, const std::wstring& target) {
    const std::optional<std::string> content = ReadWholeFile(source);
    if (!content)
        return false;
    if (ReadWholeFile(target) == content)
        return true;
    const std::wstring temporary = target + L"." + std::to_wstring(GetCurrentProcessId()) + L".tmp";
    if (!WriteWholeFile(temporary, *content))
        return false;
    if (MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING))
        return true;
    DeleteFileW(temporary.c_str());
    return ReadWholeFile(target) == content; // another process put the same image there first
}

DWORD CNuvexServiceInstaller::QueryState() {
    const UniqueServiceHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
    const UniqueServiceHandle service(
        manager ? OpenServiceW(manager.get(), kServiceName, SERVICE_QUERY_STATUS) : nullptr);
    SERVICE_STATUS status{};
    return service && QueryServiceStatus(service.get(), &status) ? status.dwCurrentState : 0;
}

bool CNuvexServiceInstaller::StopAndDelete(SC_HANDLE service, SERVICE_NOTIFYW& notify,
                                           DWORD timeoutMs) {
    SERVICE_STATUS status{};
    if (QueryServiceStatus(service, &status) && status.dwCurrentState != SERVICE_STOPPED) {
        ControlService(service, SERVICE_CONTROL_STOP, &status);
        WaitForState(service, notify, SERVICE_STOPPED, timeoutMs);
    }
    return DeleteService(service) != FALSE;
}

// The notification record must outlive the service handle: closing the handle cancels a
// notification that has not come.
bool CNuvexServiceInstaller::WaitForState(SC_HANDLE service, SERVICE_NOTIFYW& notify, DWORD state,
                                          DWORD timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        SERVICE_STATUS status{};
        if (!QueryServiceStatus(service, &status))
            return false;
        if (status.dwCurrentState == state)
            return true;
        if (status.dwCurrentState == SERVICE_STOPPED && state != SERVICE_STOPPED)
            return false;
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline)
            return false;
        // The manager reports the state (at once when it holds already) as an APC to this thread.
        notify = SERVICE_NOTIFYW{};
        notify.dwVersion = SERVICE_NOTIFY_STATUS_CHANGE;
        notify.pfnNotifyCallback = OnStatusChange;
        if (NotifyServiceStatusChangeW(service, NotifyMaskFor(state), &notify) != ERROR_SUCCESS)
            return false;
        SleepEx(static_cast<DWORD>(deadline - now), TRUE);
    }
}

void CALLBACK CNuvexServiceInstaller::OnStatusChange(void*) {}
