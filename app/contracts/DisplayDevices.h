#pragma once
// The application's display-device side: the binding to the display-device library, the
// records of the devices it announces (with the device lock) and the instrument panels' gauge
// assignments with their file. The application calls it at the points below; a build without
// it runs with the HID panels alone.

#include "app/contracts/IPage.h"

#include <map>
#include <memory>
#include <string>

using PageMap = std::map<DWORD, std::unique_ptr<IPage>>;

class IDisplayDevices {
public:
    virtual ~IDisplayDevices() = default;

    // At the end of the application's construction.
    virtual void LoadGaugeAssignments() = 0;
    // On every simulator stop and pause, before the pages stop.
    virtual void SaveGaugeAssignments() = 0;

    virtual bool IsNuvexServiceRunning() = 0;
    // Binds the library and offers `pages` to every device present; the map outlives the
    // binding and does not change until DetachPages.
    virtual bool InitializeNuvex(const PageMap& pages) = 0;
    virtual void FinalizeNuvex() = 0;
    // Before the pages are destroyed, whether or not the library was finalised: from now on no
    // notification of the library reaches a page. Waits, bounded, for those already inside one;
    // false when some still are, and the pages must then be left alive.
    virtual bool DetachPages() = 0;

    // What pages ask of their host.
    virtual void RefreshPage(IPage* page) = 0;
    virtual std::wstring GetAssignedGauge(NuvexDevice device) = 0;
    virtual void SetAssignedGauge(NuvexDevice device, const std::wstring& gaugeName) = 0;
};
