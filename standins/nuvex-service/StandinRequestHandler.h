#pragma once
// Answers one request of the client library: checks its body against the layout of its message
// id, changes the addressed device's state and builds the reply (HRESULT first, then whatever the
// message's reply layout holds, cut to the reply capacity).

#include "standins/nuvex-service/StandinService.h"

#include <windows.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

struct StandinHandledRequest {
    std::vector<BYTE> reply;
    StandinDeviceState* shownChanged = nullptr;          // the device whose shown content changed
    std::optional<std::pair<DWORD, DWORD>> changedLine;  // page and line message 6 wrote
    std::optional<std::pair<DWORD, DWORD>> changedImage; // page and index message 7 wrote
};

class CStandinRequestHandler {
public:
    // forcedResult: the result configured for this message id, replacing the service's own.
    // expectedTerminal: the client's terminal id, when known.
    static StandinHandledRequest Handle(const StandinRequest& request,
                                        std::vector<StandinDeviceState>& devices,
                                        std::optional<HRESULT> forcedResult,
                                        std::optional<DWORD> expectedTerminal,
                                        std::vector<std::wstring>& faults);
};
