#include "tests/support/TestPageHost.h"

void CTestPageHost::RefreshPage(IPage* page) {
    if (m_refresh)
        m_refresh(page);
}

std::wstring CTestPageHost::GetAssignedGauge(NuvexDevice device) {
    std::lock_guard<std::mutex> lock(m_lock);
    auto found = m_assignments.find(device);
    return found == m_assignments.end() ? std::wstring() : found->second;
}

void CTestPageHost::SetAssignedGauge(NuvexDevice device, const std::wstring& gaugeName) {
    std::lock_guard<std::mutex> lock(m_lock);
    m_assignments[device] = gaugeName;
}
