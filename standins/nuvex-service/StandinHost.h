#pragma once
// What ZanNvx.exe runs, as a service or in a console: the service core with the devices of a
// configuration file, live device files in an output folder, and the control pipe.

#include "standins/nuvex-service/StandinControlServer.h"
#include "standins/nuvex-service/StandinService.h"

#include "common/UniqueHandle.h"

#include <memory>
#include <string>

class CStandinHost {
public:
    // allowQuit: the control command "quit" signals QuitEvent (console runs only).
    explicit CStandinHost(bool allowQuit);
    ~CStandinHost();

    // False with a message when the configuration cannot be read or a pipe cannot be created.
    bool Start(const std::wstring& configPath, const std::wstring& outputFolder,
               std::wstring& error);
    void Stop();
    HANDLE QuitEvent() const { return m_quit.get(); }

private:
    UniqueHandle m_quit;
    CStandinService m_service;
    std::unique_ptr<CStandinControlServer> m_control;
};
