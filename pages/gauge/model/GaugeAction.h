#pragma once
// What a mouse action of a gauge does: transmit a simulator event when it has a client event id,
// otherwise run its script on the page's variables when there is one, otherwise nothing.

#include <windows.h>

#include <string>

struct GaugeAction {
    std::wstring script;
    DWORD clientEventId = 0; // 0: none
    std::wstring eventName;  // the simulator event that clientEventId was mapped from
};
