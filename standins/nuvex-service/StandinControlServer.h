#pragma once
// The control pipe of ZanNvx.exe, "\\.\pipe\ZanNvxControl": one UTF-16 command a message, one
// reply a message. Commands:
//
//   press <serial> <bits>          soft buttons (19); bits decimal or 0x hexadecimal
//   page <serial> <page> [<state>] page change (20); state 1 (default) activates
//   remove <serial>                device removal (18)
//   arrive <serial>                device arrival (17)
//   lines <serial>                 the three lines of the active page, one per reply line
//   waitline <serial> <line> <ms> <text>  waits until the active page's line shows the text
//                                  (everything after one space, verbatim; empty allowed)
//   waitrequest <message> <count> <ms>    waits for that many client requests of a message id
//   dump [<folder>]                device files into the folder (default: the output folder)
//   freeze                         stops reading the client: nothing is answered until resume
//   resume                         reads on; what the client sent meanwhile is answered late
//   status                         connection state
//   quit                           ends a console run (refused by the service)
//
// Replies start with "OK" or "ERROR"; requests to the client add its HRESULT as 0x%08X.

#include "standins/nuvex-service/StandinPipeServer.h"
#include "standins/nuvex-service/StandinService.h"

#include <string>

class CStandinControlServer : private IStandinPipeSink {
public:
    static constexpr const wchar_t* kPipeName = L"\\\\.\\pipe\\ZanNvxControl";

    // quitEvent: signalled by "quit"; null refuses the command.
    CStandinControlServer(CStandinService& service, std::wstring outputFolder, HANDLE quitEvent);
    ~CStandinControlServer() override;

    bool Start(const std::wstring& pipeName = kPipeName);
    void Stop();
    std::wstring Execute(const std::wstring& command);

private:
    void OnClientConnected() override {}
    void OnMessage(const BYTE* data, size_t size) override;
    void OnClientDisconnected() override {}
    void OnPipeFault(const std::wstring&) override {}

    CStandinService& m_service;
    std::wstring m_outputFolder;
    HANDLE m_quitEvent;
    CStandinPipeServer m_pipe{*this};
};
