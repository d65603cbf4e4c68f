#pragma once
// What a page may ask of the application that owns it: to be shown again, and the instrument
// panels' gauge assignments. The application implements it; tests drive pages with hosts of
// their own. Every operation may be called from the main thread and from the display-device
// library's threads, never with a lock of the page held.

#include "nuvex/api/Nuvex.h"

#include <string>

class IPage;

class IPageHost {
public:
    virtual ~IPageHost() = default;

    // Sends the page again to every display device on which it is the active page.
    virtual void RefreshPage(IPage* page) = 0;
    // The gauge the instrument panel showed last, empty when none is assigned.
    virtual std::wstring GetAssignedGauge(NuvexDevice device) = 0;
    // Assigns the gauge to the instrument panel; kept with the next simulator stop or pause.
    virtual void SetAssignedGauge(NuvexDevice device, const std::wstring& gaugeName) = 0;
};
