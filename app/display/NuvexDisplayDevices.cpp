#include "app/display/NuvexDisplayDevices.h"

CNuvexDisplayDevices::CNuvexDisplayDevices(CNuvexLibrary& library, ServiceCheck isServiceRunning)
    : m_isServiceRunning(isServiceRunning), m_router(library) {}

void CNuvexDisplayDevices::LoadGaugeAssignments() {
    m_assignments.Load();
}

void CNuvexDisplayDevices::SaveGaugeAssignments() {
    m_assignments.Save();
}

bool CNuvexDisplayDevices::IsNuvexServiceRunning() {
    return m_isServiceRunning();
}

bool CNuvexDisplayDevices::InitializeNuvex(const PageMap& pages) {
    return m_router.InitializeNuvex(pages);
}

void CNuvexDisplayDevices::FinalizeNuvex() {
    m_router.FinalizeNuvex();
}

bool CNuvexDisplayDevices::DetachPages() {
    return m_router.DetachPages();
}

void CNuvexDisplayDevices::RefreshPage(IPage* page) {
    m_router.RefreshPage(page);
}

std::wstring CNuvexDisplayDevices::GetAssignedGauge(NuvexDevice device) {
    DisplayDeviceRecord record;
    if (!m_router.FindDevice(device, record))
        return std::wstring();
    return m_assignments.Get(record.serialNumber);
}

void CNuvexDisplayDevices::SetAssignedGauge(NuvexDevice device, const std::wstring& gaugeName) {
    DisplayDeviceRecord record;
    if (m_router.FindDevice(device, record))
        m_assignments.Set(record.serialNumber, gaugeName);
}
