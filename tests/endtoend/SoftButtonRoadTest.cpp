// A Down press on the COM/NAV page being edited: the service sends the press over the pipe, the
// library hands it to the program, the page sends "COM_RADIO_WHOLE_DEC", the simulator tunes the
// standby frequency and sends new data, and the joystick display receives the new line.

#include "app/main/ProgramComponents.h"
#include "standins/nuvex-service/StandinControlClient.h"
#include "tests/support/NuvexServiceInstaller.h"
#include "tests/support/SimConnectStandin.h"

#include "common/UniqueHandle.h"

#include <gtest/gtest.h>

#include <objbase.h>

#include <fstream>
#include <string>

namespace {

constexpr DWORD kWaitMs = 15000;
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

// HKLM "SOFTWARE\Harmel\FSX Plugin" value "Nuvex" for the test; the earlier value comes back.
class NuvexRegistryValue {
public:
    explicit NuvexRegistryValue(const std::wstring& path) {
        RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Harmel\\FSX Plugin", 0, nullptr, 0,
                        KEY_READ | KEY_WRITE, nullptr, &m_key, nullptr);
        wchar_t old[512] = {};
        DWORD size = sizeof(old) - sizeof(wchar_t);
        m_hadValue = RegQueryValueExW(m_key, L"Nuvex", nullptr, nullptr,
                                      reinterpret_cast<BYTE*>(old), &size) == ERROR_SUCCESS;
        m_old = old;
        Set(path);
    }
    ~NuvexRegistryValue() {
        if (m_hadValue)
            Set(m_old);
        else
            RegDeleteValueW(m_key, L"Nuvex");
        RegCloseKey(m_key);
    }
    NuvexRegistryValue(const NuvexRegistryValue&) = delete;
    NuvexRegistryValue& operator=(const NuvexRegistryValue&) = delete;

private:
    void Set(const std::wstring& value) {
        RegSetValueExW(m_key, L"Nuvex", 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    }

    HKEY m_key = nullptr;
    bool m_hadValue = false;
    std::wstring m_old;
};

// The program's main thread: COM, the application object and its loop until the simulator quits.
DWORD WINAPI RunProgram(void* result) {
    CoInitialize(nullptr);
    {
        CDravik dravik(ProgramComponents());
        *static_cast<bool*>(result) = dravik.Run(GetModuleHandleW(nullptr));
    }
    CoUninitialize();
    return 0;
}

// A control command to the running service; true when it answers "OK".
bool Command(const std::wstring& command) {
    std::wstring reply;
    return CStandinControlClient::Send(command, reply, kWaitMs + 1000) &&
           reply.rfind(L"OK", 0) == 0;
}

// Waits until the line shows the text; on failure the display's lines are part of the message.
testing::AssertionResult WaitLine(int line, const std::wstring& text) {
    if (Command(L"waitline " + std::wstring(kJoystick) + L" " + std::to_wstring(line) + L" " +
                std::to_wstring(kWaitMs) + L" " + text))
        return testing::AssertionSuccess();
    std::wstring lines;
    CStandinControlClient::Send(L"lines " + std::wstring(kJoystick), lines, kWaitMs);
    std::string shown(lines.begin(), lines.end());
    return testing::AssertionFailure() << "the display shows: " << shown;
}

bool Press(DWORD bits) {
    return Command(L"press " + std::wstring(kJoystick) + L" " + std::to_wstring(bits));
}

bool Transmitted(const CSimConnectStandin& simulator, const std::string& eventName) {
    for (const auto& transmission : simulator.Transmissions())
        if (transmission.eventName == eventName)
            return true;
    return false;
}

} // namespace

TEST(SoftButtonRoad, DownOnTheEditedComStandbyTunesTheSimulatorAndTheDisplayFollows) {
    CSimConnectStandin simulator;
    ASSERT_TRUE(simulator.IsLoaded());
    simulator.SetVariable("COM ACTIVE FREQUENCY:1", "MHz", 121.5);
    simulator.SetVariable("COM STANDBY FREQUENCY:1", "MHz", 119.7);
    simulator.SetVariable("NAV ACTIVE FREQUENCY:1", "MHz", 110.5);
    simulator.SetVariable("NAV STANDBY FREQUENCY:1", "MHz", 113.9);

    std::wstring work = TempFolder(L"dravik-endtoend");
    WriteText(work + L"\\devices.cfg", "joystick JOY1\n");
    WriteText(work + L"\\Dravik.xml", "<Dravik><Orvik><ComNav Radio1=\"true\"/><Adf/></Orvik>"
                                      "</Dravik>\n");
    CNuvexServiceInstaller service;
    ASSERT_TRUE(service.Install(work + L"\\devices.cfg", work + L"\\out"));
    ASSERT_TRUE(service.Start());
    NuvexRegistryValue nuvex(BinFolder() + L"\\Nuvex.dll");

    // "Dravik.xml" is read from the current folder, as the simulator starts the program.
    wchar_t previousFolder[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, previousFolder);
    SetCurrentDirectoryW(work.c_str());
    bool ran = false;
    UniqueHandle mainThread(CreateThread(nullptr, 0, RunProgram, &ran, 0, nullptr));
    ASSERT_TRUE(mainThread);

    EXPECT_TRUE(WaitLine(0, L"  COM1    NAV1  "));
    ASSERT_TRUE(simulator.WaitForCount(standin::CallSubscribe, 4));
    EXPECT_TRUE(simulator.RaiseSystemEvent("SimStart"));
    EXPECT_TRUE(WaitLine(1, L"[121.50] 110.50 "));
    EXPECT_TRUE(WaitLine(2, L" 119.70  113.90 "));

    EXPECT_TRUE(Press(4)); // Down: the COM standby MHz part is selected
    EXPECT_TRUE(WaitLine(2, L">119.70  113.90 "));
    EXPECT_TRUE(Press(1)); // Select: edit it
    EXPECT_TRUE(WaitLine(2, L"\u00BB119.70  113.90 "));
    EXPECT_FALSE(Transmitted(simulator, "COM_RADIO_WHOLE_DEC"));
    EXPECT_TRUE(Press(4)); // Down: one MHz less
    EXPECT_TRUE(WaitLine(2, L"\u00BB118.70  113.90 "));
    EXPECT_TRUE(Transmitted(simulator, "COM_RADIO_WHOLE_DEC"));
    EXPECT_NEAR(simulator.GetVariable("COM STANDBY FREQUENCY:1", "MHz").value_or(0), 118.7, 1e-6);

    simulator.Quit();
    EXPECT_EQ(WaitForSingleObject(mainThread.get(), kWaitMs), WAIT_OBJECT_0);
    EXPECT_TRUE(ran);
    SetCurrentDirectoryW(previousFolder);
    EXPECT_TRUE(service.Stop());
    EXPECT_TRUE(service.Delete());
}
