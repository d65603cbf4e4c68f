#pragma once
// The demo's four virtual panels, as the program's panels expect them: a radio, a multi, a
// switch and an annunciator panel, with their control pipe and the log of what the program
// wrote to them.

#include "standins/hid-panels/FeatureReportLog.h"
#include "standins/hid-panels/VirtualHidDriver.h"
#include "standins/hid-panels/VirtualPanelControl.h"

#include <string>

class CVirtualHidPanels {
public:
    static constexpr const wchar_t* kRadioSerial = L"DEMO-RADIO";
    static constexpr const wchar_t* kMultiSerial = L"DEMO-MULTI";
    static constexpr const wchar_t* kSwitchSerial = L"DEMO-SWITCH";
    static constexpr const wchar_t* kAnnunciatorSerial = L"DEMO-ANNUNCIATOR";

    // logPath: the file of the feature reports; empty keeps them in memory only.
    explicit CVirtualHidPanels(const std::wstring& logPath = {});

    // False when the pipe cannot be made (another run holds it); the panels work without it.
    bool StartControl(const std::wstring& pipeName = CVirtualPanelControl::kPipeName);

    CVirtualHidDriver& Driver() { return m_driver; }
    CFeatureReportLog& Log() { return m_log; }
    CVirtualPanelControl& Control() { return m_control; }

private:
    CFeatureReportLog m_log;
    CVirtualHidDriver m_driver;
    CVirtualPanelControl m_control{m_driver, m_log};
};
