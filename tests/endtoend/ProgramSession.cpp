#include "tests/endtoend/ProgramSession.h"

#include "app/main/ProgramComponents.h"
#include "standins/nuvex-service/StandinControlClient.h"

#include <objbase.h>

#include <fstream>

namespace {

const wchar_t kJoystick[] = L"JOY1";

std::wstring TempFolder(const wchar_t* name) {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    std::wstring folder = std::wstring(temp) + name;
    CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

std::wstring BinFolder() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring full(path);
    return full.substr(0, full.rfind(L'\\'));
}

void WriteText(const std::wstring& path, const char* text) {
    std::ofstream out(path.c_str(), std::ios::binary | std::ios::trunc);
    out << text;
}

void SetLibraryValue(HKEY key, const std::wstring& value) {
    RegSetValueExW(key, L"Nuvex", 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

} // namespace

CProgramSession::CProgramSession(CSimConnectStandin& simulator, const char* pagesXml)
    : m_simulator(simulator) {
    std::wstring work = TempFolder(L"dravik-endtoend");
    WriteText(work + L"\\devices.cfg", "joystick JOY1\n");
    WriteText(work + L"\\Dravik.xml", pagesXml);
    if (!m_service.Install(work + L"\\devices.cfg", work + L"\\out") || !m_service.Start())
        return;

    // HKLM "SOFTWARE\Harmel\FSX Plugin" value "Nuvex" for the test; the earlier value comes back.
    RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Harmel\\FSX Plugin", 0, nullptr, 0,
                    KEY_READ | KEY_WRITE, nullptr, &m_registryKey, nullptr);
    wchar_t old[512] = {};
    DWORD size = sizeof(old) - sizeof(wchar_t);
    m_hadLibraryValue = RegQueryValueExW(m_registryKey, L"Nuvex", nullptr, nullptr,
                                         reinterpret_cast<BYTE*>(old), &size) == ERROR_SUCCESS;
    m_previousLibraryValue = old;
    SetLibraryValue(m_registryKey, BinFolder() + L"\\Nuvex.dll");

    // "Dravik.xml" is read from the current folder, as the simulator starts the program.
    GetCurrentDirectoryW(MAX_PATH, m_previousFolder);
    SetCurrentDirectoryW(work.c_str());
    m_mainThread.reset(CreateThread(nullptr, 0, RunProgram, this, 0, nullptr));
    m_started = static_cast<bool>(m_mainThread);
}

CProgramSession::~CProgramSession() {
    if (m_mainThread && WaitForSingleObject(m_mainThread.get(), 0) == WAIT_TIMEOUT) {
        m_simulator.Quit();
        WaitForSingleObject(m_mainThread.get(), kWaitMs);
    }
    if (m_previousFolder[0])
        SetCurrentDirectoryW(m_previousFolder);
    if (m_registryKey) {
        if (m_hadLibraryValue)
            SetLibraryValue(m_registryKey, m_previousLibraryValue);
        else
            RegDeleteValueW(m_registryKey, L"Nuvex");
        RegCloseKey(m_registryKey);
    }
    EXPECT_TRUE(m_service.Stop());
    EXPECT_TRUE(m_service.Delete());
}

// The program's main thread: COM, the application object and its loop until the simulator quits.
DWORD WINAPI CProgramSession::RunProgram(void* session) {
    CoInitialize(nullptr);
    {
        CDravik dravik(ProgramComponents());
        static_cast<CProgramSession*>(session)->m_ran = dravik.Run(GetModuleHandleW(nullptr));
    }
    CoUninitialize();
    return 0;
}

bool CProgramSession::Command(const std::wstring& command) {
    std::wstring reply;
    return CStandinControlClient::Send(command, reply, kWaitMs + 1000) &&
           reply.rfind(L"OK", 0) == 0;
}

testing::AssertionResult CProgramSession::WaitLine(int line, const std::wstring& text) {
    if (Command(L"waitline " + std::wstring(kJoystick) + L" " + std::to_wstring(line) + L" " +
                std::to_wstring(kWaitMs) + L" " + text))
        return testing::AssertionSuccess();
    std::wstring lines;
    CStandinControlClient::Send(L"lines " + std::wstring(kJoystick), lines, kWaitMs);
    std::string shown(lines.begin(), lines.end());
    return testing::AssertionFailure() << "the display shows: " << shown;
}

bool CProgramSession::Press(DWORD bits) {
    return Command(L"press " + std::wstring(kJoystick) + L" " + std::to_wstring(bits));
}

bool CProgramSession::WaitForEnd(DWORD timeoutMs, bool& ran) {
    if (WaitForSingleObject(m_mainThread.get(), timeoutMs) != WAIT_OBJECT_0)
        return false;
    ran = m_ran;
    return true;
}
