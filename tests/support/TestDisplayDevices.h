#pragma once
// The application's display-device side for tests: records every call in TestCallLog() as
// "devices <operation>[ <details>]" and answers with the values it was given.

#include "app/contracts/DisplayDevices.h"

class CTestDisplayDevices : public IDisplayDevices {
public:
    explicit CTestDisplayDevices(bool serviceRunning) : m_serviceRunning(serviceRunning) {}

    void LoadGaugeAssignments() override;
    void SaveGaugeAssignments() override;
    bool IsNuvexServiceRunning() override;
    // Logs "devices InitializeNuvex <page ids, comma-separated>".
    bool InitializeNuvex(const PageMap& pages) override;
    void FinalizeNuvex() override;
    void RefreshPage(IPage* page) override;
    std::wstring GetAssignedGauge(NuvexDevice device) override;
    void SetAssignedGauge(NuvexDevice device, const std::wstring& gaugeName) override;

private:
    bool m_serviceRunning;
};
