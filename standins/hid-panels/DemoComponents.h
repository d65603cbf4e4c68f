#pragma once
// The demo build of the program: the program's own components, with its panels on the virtual
// panels instead of the Windows HID driver.

#include "app/core/Dravik.h"
#include "standins/hid-panels/VirtualHidDriver.h"

DravikComponents DemoComponents(CVirtualHidDriver& hid);
