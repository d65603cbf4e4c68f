#pragma once
// The one place the program is put together: its panels, page classes and display-device side.

#include "app/core/Dravik.h"

DravikComponents ProgramComponents();
