#pragma once
// The factories of the six joystick display pages, one per kind of "Orvik" child element.

#include "app/contracts/PageFactory.h"

void AddOrvikPageFactories(CPageFactories& factories);
