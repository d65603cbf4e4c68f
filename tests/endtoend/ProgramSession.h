#pragma once
// The program as the simulator runs it, on real parts only: the program's code on a main thread
// of its own, Nuvex.dll bound from the registry, ZanNvx running as a Windows service with one
// joystick display "JOY1", and the stand-in simulator (owned by the test; made to quit at the end
// if the test did not). "Dravik.xml" is read from a scratch folder made the current folder.

#include "tests/support/NuvexServiceInstaller.h"
#include "tests/support/SimConnectStandin.h"

#include "common/UniqueHandle.h"

#include <gtest/gtest.h>

#include <string>

class CProgramSession {
public:
    static constexpr DWORD kWaitMs = 15000;

    // `pagesXml`: the content of "Dravik.xml".
    CProgramSession(CSimConnectStandin& simulator, const char* pagesXml);
    ~CProgramSession();
    CProgramSession(const CProgramSession&) = delete;
    CProgramSession& operator=(const CProgramSession&) = delete;

    // The service is installed and started, and the program's main thread runs.
    bool Started() const { return m_started; }

    // A control command to the running service; true when it answers "OK".
    static bool Command(const std::wstring& command);
    // Waits until the joystick's line shows the text; on failure the display's lines are part of
    // the message.
    static testing::AssertionResult WaitLine(int line, const std::wstring& text);
    static bool Press(DWORD bits);

    // Waits for the program's main thread; its Run result is in `ran`.
    bool WaitForEnd(DWORD timeoutMs, bool& ran);

private:
    static DWORD WINAPI RunProgram(void* session);

    CSimConnectStandin& m_simulator;
    CNuvexServiceInstaller m_service;
    HKEY m_registryKey = nullptr;
    bool m_hadLibraryValue = false;
    std::wstring m_previousLibraryValue;
    wchar_t m_previousFolder[MAX_PATH] = {};
    UniqueHandle m_mainThread;
    bool m_ran = false;
    bool m_started = false;
};
