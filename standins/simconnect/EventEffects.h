#pragma once
// What the simulated aircraft does when a client transmits a simulator event: one table from
// event name to changes of variables (radio tuning with and without carry, swaps, transponder
// digits, autopilot targets and modes, switches).

#include "standins/simconnect/VariableStore.h"

#include <windows.h>

#include <string>

// Applies every effect of the event (name compared without regard to case) and describes the
// changes, one "VARIABLE old -> new units" per effect, separated by "; ". False when the table
// has no effect for the event.
bool ApplyEventEffect(CVariableStore& store, const std::string& eventName, DWORD data,
                      std::string& changes);
