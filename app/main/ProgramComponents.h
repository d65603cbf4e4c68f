#pragma once
// The one place the program is put together: its panels, page classes and display-device side.

#include "app/core/Dravik.h"
#include "panels/HidDevice.h"

// The program's panels on the Windows HID driver.
DravikComponents ProgramComponents();
// The same parts, with the panels on another HID device layer (the demo's virtual panels).
DravikComponents ProgramComponents(IHidDriver& hid);
