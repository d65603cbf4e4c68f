#include "app/Dravik.h"

#include "app/HidPanel.h"
#include "panels/PanelClass_Autopilot.h"
#include "panels/PanelClass_Backlit.h"
#include "panels/PanelClass_Radios.h"
#include "panels/PanelClass_Switch.h"

// The panels, page classes and display-device side this build has. Each joins here when it is
// added to the program: a panel as CHidPanel<its class> in the order multi, radio, switch,
// annunciator; a page class as the factory of its kind.
DravikComponents ProgramComponents() {
    DravikComponents components;
    components.panels.push_back(std::make_unique<CHidPanel<CPanelClass_Autopilot>>());
    components.panels.push_back(std::make_unique<CHidPanel<CPanelClass_Radios>>());
    components.panels.push_back(std::make_unique<CHidPanel<CPanelClass_Switch>>());
    components.panels.push_back(std::make_unique<CHidPanel<CPanelClass_Backlit>>());
    return components;
}
