#pragma once
// The program's display-device side: the display-device library bound from the registry, the
// router of its devices' notifications, and the instrument panels' remembered gauges.

#include "app/display/DisplayDeviceRouter.h"
#include "app/contracts/DisplayDevices.h"
#include "app/display/GaugeAssignments.h"
#include "app/display/NuvexLibrary.h"

class CNuvexDisplayDevices final : public IDisplayDevices {
public:
    using ServiceCheck = bool (*)();

    // Tests pass a library of their own, and a service that runs or has gone as they need.
    explicit CNuvexDisplayDevices(CNuvexLibrary& library = GetNuvexLibrary(),
                                  ServiceCheck isServiceRunning = &::IsNuvexServiceRunning);

    void LoadGaugeAssignments() override;
    void SaveGaugeAssignments() override;

    bool IsNuvexServiceRunning() override;
    bool InitializeNuvex(const PageMap& pages) override;
    void FinalizeNuvex() override;
    bool DetachPages() override;

    void RefreshPage(IPage* page) override;
    std::wstring GetAssignedGauge(NuvexDevice device) override;
    void SetAssignedGauge(NuvexDevice device, const std::wstring& gaugeName) override;

private:
    ServiceCheck m_isServiceRunning;
    CDisplayDeviceRouter m_router;
    CGaugeAssignments m_assignments;
};
