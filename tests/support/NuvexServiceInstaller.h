#pragma once
// Installs the stand-in display-device service ZanNvx.exe as the Windows service "ZanNvx" in the
// test prefix, starts and stops it (each bounded) and deletes it again. Whatever is still
// installed when the object goes is stopped and deleted. Installing also lays out the display-
// device software's gauge images, which stay installed.

#include <windows.h>

#include <string>

class CNuvexServiceInstaller {
public:
    static constexpr const wchar_t* kServiceName = L"ZanNvx";

    CNuvexServiceInstaller() = default;
    ~CNuvexServiceInstaller();
    CNuvexServiceInstaller(const CNuvexServiceInstaller&) = delete;
    CNuvexServiceInstaller& operator=(const CNuvexServiceInstaller&) = delete;

    // ZanNvx.exe beside the running test executable.
    static std::wstring ServiceExePath();
    // Where the display-device software keeps the built-in gauge's images.
    static constexpr const wchar_t* kImageFolder = L"C:\\Program Files\\Harmel\\Nuvex\\1024";
    // Copies the images of the "1024" folder beside ZanNvx.exe into kImageFolder. Images already
    // installed with the same content are left alone, so test processes running at once never
    // rewrite a file another one may be reading.
    static bool InstallImages();
    // A service left over by an earlier, interrupted run is stopped and deleted first.
    bool Install(const std::wstring& configPath, const std::wstring& outputFolder);
    bool Start(DWORD timeoutMs = 15000);
    bool Stop(DWORD timeoutMs = 15000);
    bool Delete();
    // The state the service control manager reports (SERVICE_RUNNING, ...), 0 when unknown.
    static DWORD QueryState();

private:
    static bool WaitForState(SC_HANDLE service, SERVICE_NOTIFYW& notify, DWORD state,
                             DWORD timeoutMs);
    static bool StopAndDelete(SC_HANDLE service, SERVICE_NOTIFYW& notify, DWORD timeoutMs);
    static void CALLBACK OnStatusChange(void* notify);
    static bool InstallImage(const std::wstring& source, const std::wstring& target);

    bool m_installed = false;
};
