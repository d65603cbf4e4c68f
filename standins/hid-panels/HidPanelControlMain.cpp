// HidPanelControl.exe <words...>: sends one command to the virtual panels of a running
// DravikDemo.exe (VirtualPanelControl.h lists them) and prints the reply; exit code 0 when the
// reply starts with "OK".

#include "standins/hid-panels/VirtualPanelControl.h"
#include "standins/nuvex-service/StandinControlClient.h"

#include <cstdio>
#include <string>

namespace {

// A hundred knob steps take about half a minute.
constexpr DWORD kCommandTimeoutMs = 60000;

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        fwprintf(stderr, L"usage: HidPanelControl.exe <command words...>\n");
        return 2;
    }
    std::wstring command;
    for (int i = 1; i < argc; ++i)
        command += (i > 1 ? L" " : L"") + std::wstring(argv[i]);
    std::wstring reply;
    if (!CStandinControlClient::Send(command, reply, kCommandTimeoutMs,
                                     CVirtualPanelControl::kPipeName)) {
        fwprintf(stderr, L"HidPanelControl: the virtual panels do not answer\n");
        return 1;
    }
    wprintf(L"%ls\n", reply.c_str());
    return reply.compare(0, 2, L"OK") == 0 ? 0 : 1;
}
