#include "standins/hid-panels/VirtualHidPanels.h"

#include "panels/PanelIds.h"

namespace {

// What the panels hold when plugged in: the radio's upper selector at COM1 and its lower one at
// NAV1, the multi panel's selector at altitude, and on the switch panel the battery, alternator
// and avionics masters on, the magnetos on both and the gear lever down.
const VirtualPanelDescription kPanels[] = {
    {CVirtualHidPanels::kRadioSerial, kRadioPanelProductId, 4, 23, {0x01, 0x02, 0x00}},
    {CVirtualHidPanels::kMultiSerial, kMultiPanelProductId, 4, 13, {0x01, 0x00, 0x00}},
    {CVirtualHidPanels::kSwitchSerial, kSwitchPanelProductId, 4, 2, {0x07, 0x00, 0x09}},
    {CVirtualHidPanels::kAnnunciatorSerial, kAnnunciatorPanelProductId, 0, 7, {0x00, 0x00, 0x00}},
};

} // namespace

CVirtualHidPanels::CVirtualHidPanels(const std::wstring& logPath)
    : m_log(logPath), m_driver(kPanels, sizeof(kPanels) / sizeof(kPanels[0]), m_log) {}

bool CVirtualHidPanels::StartControl(const std::wstring& pipeName) {
    return m_control.Start(pipeName);
}
