#include "tests/support/TestDisplayDevices.h"

#include "tests/support/CallLog.h"

void CTestDisplayDevices::LoadGaugeAssignments() {
    TestCallLog().Add("devices LoadGaugeAssignments");
}

void CTestDisplayDevices::SaveGaugeAssignments() {
    TestCallLog().Add("devices SaveGaugeAssignments");
}

bool CTestDisplayDevices::IsNuvexServiceRunning() {
    return m_serviceRunning;
}

bool CTestDisplayDevices::InitializeNuvex(const PageMap& pages) {
    std::string ids;
    for (const auto& entry : pages)
        ids += (ids.empty() ? "" : ",") + std::to_string(entry.first);
    TestCallLog().Add("devices InitializeNuvex " + ids);
    return true;
}

void CTestDisplayDevices::FinalizeNuvex() {
    TestCallLog().Add("devices FinalizeNuvex");
}

void CTestDisplayDevices::RefreshPage(IPage* page) {
    TestCallLog().Add("devices RefreshPage " + std::to_string(page ? page->PageId() : 0));
}

std::wstring CTestDisplayDevices::GetAssignedGauge(NuvexDevice) {
    TestCallLog().Add("devices GetAssignedGauge");
    return L"Assigned";
}

void CTestDisplayDevices::SetAssignedGauge(NuvexDevice, const std::wstring& gaugeName) {
    TestCallLog().Add("devices SetAssignedGauge " +
                      std::string(gaugeName.begin(), gaugeName.end()));
}
