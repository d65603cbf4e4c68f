// DravikDemo.exe: Dravik.exe as it ships, with its HID panels on the demo's virtual panels
// instead of the Windows HID driver. Everything else (command line, registration, pages,
// display devices, the simulator) is the program's own.
//
// DRAVIK_HID_PANELS_LOG=<file> names the file of the feature reports the panels write; the
// control pipe "\\.\pipe\DravikHidPanels" takes the demo's input (VirtualPanelControl.h).

#include "app/main/DravikEntry.h"
#include "standins/hid-panels/DemoComponents.h"
#include "standins/hid-panels/VirtualHidPanels.h"

#include <memory>
#include <string>

namespace {

std::wstring EnvironmentValue(const wchar_t* name) {
    wchar_t value[MAX_PATH] = {};
    const DWORD length = GetEnvironmentVariableW(name, value, MAX_PATH);
    return length > 0 && length < MAX_PATH ? value : L"";
}

// The virtual panels outlive the application, which closes its devices as it ends.
bool RunDemoApplication(HINSTANCE instance) {
    CVirtualHidPanels panels(EnvironmentValue(L"DRAVIK_HID_PANELS_LOG"));
    panels.StartControl();
    auto application = std::make_unique<CDravik>(DemoComponents(panels.Driver()));
    return application->Run(instance);
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    EntryActions actions = DefaultEntryActions();
    actions.run = &RunDemoApplication;
    return DravikEntry(instance, GetCommandLineW(), actions);
}
