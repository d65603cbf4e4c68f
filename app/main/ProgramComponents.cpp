#include "app/main/ProgramComponents.h"

#include "app/contracts/HidPanel.h"
#include "app/display/NuvexDisplayDevices.h"
#include "pages/gauge/GaugePageFactory.h"
#include "pages/joystick/OrvikPageFactories.h"
#include "panels/PanelClass_Autopilot.h"
#include "panels/PanelClass_Backlit.h"
#include "panels/PanelClass_Radios.h"
#include "panels/PanelClass_Switch.h"

DravikComponents ProgramComponents() {
    return ProgramComponents(GetWindowsHidDriver());
}

// The panels, page classes and display-device side of the program: the panels in the order
// multi, radio, switch, annunciator; the page classes as the factories of their kinds.
DravikComponents ProgramComponents(IHidDriver& hid) {
    DravikComponents components;
    components.panels.push_back(std::make_unique<CHidPanel<CPanelClass_Autopilot>>(hid));
    components.panels.push_back(std::make_unique<CHidPanel<CPanelClass_Radios>>(hid));
    components.panels.push_back(std::make_unique<CHidPanel<CPanelClass_Switch>>(hid));
    components.panels.push_back(std::make_unique<CHidPanel<CPanelClass_Backlit>>(hid));
    AddGaugePageFactory(components.pageFactories);
    AddOrvikPageFactories(components.pageFactories);
    components.displayDevices = std::make_unique<CNuvexDisplayDevices>();
    return components;
}
