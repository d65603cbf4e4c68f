#include "app/Dravik.h"

// The panels, page classes and display-device side this build has. Each joins here when it is
// added to the program: a panel as CHidPanel<its class> in the order multi, radio, switch,
// annunciator; a page class as the factory of its kind.
DravikComponents ProgramComponents() {
    return DravikComponents{};
}
