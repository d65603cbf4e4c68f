// ZanNvx.exe, the stand-in display-device service.
//
//   ZanNvx.exe <config file> [<output folder>]            as the Windows service "ZanNvx"
//   ZanNvx.exe -console <config file> [<output folder>]   in the foreground until the control
//                                                          command "quit" or Ctrl+C
//   ZanNvx.exe -command <words...>                         sends one control command to the
//                                                          running service, prints the reply;
//                                                          exit code 0 when it starts with "OK"
//
// The configuration file format is in StandinConfigFile.h, the control commands in
// StandinControlServer.h.

#include "standins/nuvex-service/StandinControlClient.h"
#include "standins/nuvex-service/StandinHost.h"

#include <windows.h>

#include <cstdio>
#include <string>

namespace {

constexpr wchar_t kServiceName[] = L"ZanNvx";
constexpr DWORD kCommandTimeoutMs = 15000;

struct ServiceSettings {
    std::wstring configPath;
    std::wstring outputFolder;
};

// The service entry points of the dispatcher take no context.
ServiceSettings g_settings;
SERVICE_STATUS_HANDLE g_statusHandle = nullptr;
HANDLE g_stopEvent = nullptr;
HANDLE g_consoleQuit = nullptr;

void ReportStatus(DWORD state, DWORD exitCode = NO_ERROR) {
    SERVICE_STATUS status{};
    status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
    status.dwCurrentState = state;
    status.dwControlsAccepted = state == SERVICE_RUNNING ? SERVICE_ACCEPT_STOP : 0;
    status.dwWin32ExitCode = exitCode;
    status.dwWaitHint = state == SERVICE_RUNNING || state == SERVICE_STOPPED ? 0 : 10000;
    SetServiceStatus(g_statusHandle, &status);
}

DWORD WINAPI ServiceControl(DWORD control, DWORD, void*, void*) {
    if (control == SERVICE_CONTROL_STOP || control == SERVICE_CONTROL_SHUTDOWN) {
        ReportStatus(SERVICE_STOP_PENDING);
        SetEvent(g_stopEvent);
        return NO_ERROR;
    }
    return control == SERVICE_CONTROL_INTERROGATE ? NO_ERROR : ERROR_CALL_NOT_IMPLEMENTED;
}

void WINAPI ServiceMain(DWORD, wchar_t**) {
    g_statusHandle = RegisterServiceCtrlHandlerExW(kServiceName, ServiceControl, nullptr);
    if (!g_statusHandle)
        return;
    ReportStatus(SERVICE_START_PENDING);
    UniqueHandle stop(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    g_stopEvent = stop.get();
    CStandinHost host(false);
    std::wstring error;
    if (!stop || !host.Start(g_settings.configPath, g_settings.outputFolder, error)) {
        OutputDebugStringW((L"ZanNvx: " + error + L"\n").c_str());
        ReportStatus(SERVICE_STOPPED, ERROR_BAD_CONFIGURATION);
        return;
    }
    ReportStatus(SERVICE_RUNNING);
    // The service lives until the service control manager stops it.
    WaitForSingleObject(stop.get(), INFINITE);
    host.Stop();
    ReportStatus(SERVICE_STOPPED);
}

BOOL WINAPI ConsoleControl(DWORD) {
    SetEvent(g_consoleQuit);
    return TRUE;
}

int RunConsole(const ServiceSettings& settings) {
    CStandinHost host(true);
    std::wstring error;
    if (!host.Start(settings.configPath, settings.outputFolder, error)) {
        fwprintf(stderr, L"ZanNvx: %ls\n", error.c_str());
        return 1;
    }
    g_consoleQuit = host.QuitEvent();
    SetConsoleCtrlHandler(ConsoleControl, TRUE);
    wprintf(L"ZanNvx: serving; \"ZanNvx.exe -command quit\" or Ctrl+C ends\n");
    fflush(stdout);
    // A console run lives until it is told to quit.
    WaitForSingleObject(host.QuitEvent(), INFINITE);
    SetConsoleCtrlHandler(ConsoleControl, FALSE);
    host.Stop();
    return 0;
}

int RunCommand(int argc, wchar_t** argv) {
    std::wstring command;
    for (int i = 2; i < argc; ++i)
        command += (i > 2 ? L" " : L"") + std::wstring(argv[i]);
    std::wstring reply;
    if (!CStandinControlClient::Send(command, reply, kCommandTimeoutMs)) {
        fwprintf(stderr, L"ZanNvx: the control pipe does not answer\n");
        return 1;
    }
    wprintf(L"%ls\n", reply.c_str());
    return reply.compare(0, 2, L"OK") == 0 ? 0 : 1;
}

int Usage() {
    fwprintf(stderr, L"usage: ZanNvx.exe [-console] <config file> [<output folder>]\n"
                     L"       ZanNvx.exe -command <words...>\n");
    return 2;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc >= 3 && std::wstring(argv[1]) == L"-command")
        return RunCommand(argc, argv);
    const bool console = argc >= 2 && std::wstring(argv[1]) == L"-console";
    const int first = console ? 2 : 1;
    if (argc <= first || argc > first + 2)
        return Usage();
    g_settings.configPath = argv[first];
    g_settings.outputFolder = argc > first + 1 ? argv[first + 1] : L"";
    if (console)
        return RunConsole(g_settings);
    wchar_t name[] = L"ZanNvx"; // the dispatcher's table wants a writable name
    const SERVICE_TABLE_ENTRYW table[] = {{name, ServiceMain}, {nullptr, nullptr}};
    return StartServiceCtrlDispatcherW(table) ? 0 : static_cast<int>(GetLastError());
}
