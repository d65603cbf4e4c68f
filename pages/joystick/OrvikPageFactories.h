#pragma once
// The factories of the six joystick display pages, one per kind of "Orvik" child element.

#include "app/PageFactory.h"

void AddOrvikPageFactories(CPageFactories& factories);
