#pragma once
// The demo's hand on the virtual panels: one UTF-16 command a message on a control pipe, one
// reply a message ("OK", or "ERROR" and why). Commands:
//
//   switch <serial> <byte> <mask> <bits> [<byte> <mask> <bits> ...]
//                        switches and selectors: within each mask of input byte 1 to 3, the
//                        bits given on and the others off; one input report carries them all
//   press <serial> <byte> <bits> [<count>]
//                        buttons and knob steps: count presses (default 1) of the bits, each a
//                        report with them set and one with them clear, presses at least
//                        CVirtualHidDevice::kPressIntervalMs apart
//   quiet <ms> [<timeout ms>]
//                        waits until the program has written no feature report for ms (by
//                        default at most 10 s)
//
// Numbers are decimal or 0x hexadecimal. A command that sends input answers once the panel has
// handled every report it sent.

#include "standins/hid-panels/VirtualHidDriver.h"
#include "standins/nuvex-service/StandinPipeServer.h"

#include <string>

class CVirtualPanelControl : private IStandinPipeSink {
public:
    static constexpr const wchar_t* kPipeName = L"\\\\.\\pipe\\DravikHidPanels";

    CVirtualPanelControl(CVirtualHidDriver& driver, CFeatureReportLog& log);
    ~CVirtualPanelControl() override;

    bool Start(const std::wstring& pipeName = kPipeName);
    void Stop();
    std::wstring Execute(const std::wstring& command);

private:
    void OnClientConnected() override {}
    void OnMessage(const BYTE* data, size_t size) override;
    void OnClientDisconnected() override {}
    void OnPipeFault(const std::wstring&) override {}

    CVirtualHidDriver& m_driver;
    CFeatureReportLog& m_log;
    CStandinPipeServer m_pipe{*this};
};
