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
    // Not logged: every finalisation detaches the pages right before destroying them. Answers
    // false once the test made a notification stay inside a page.
    bool DetachPages() override { return !m_pageStaysBusy; }
    void RefreshPage(IPage* page) override;
    std::wstring GetAssignedGauge(NuvexDevice device) override;
    void SetAssignedGauge(NuvexDevice device, const std::wstring& gaugeName) override;

    // A notification stays inside a page beyond the bounded wait of DetachPages.
    void KeepAPageBusy() { m_pageStaysBusy = true; }

private:
    bool m_serviceRunning;
    bool m_pageStaysBusy = false;
};
