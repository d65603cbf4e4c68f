#include "pages/joystick/Page_Orvik_Autopilot.h"

#include <string>

namespace {

const char* const kEvents[] = {
    "AP_MASTER",       "AP_HDG_HOLD_ON",   "AP_NAV1_HOLD_ON", "AP_APR_HOLD_ON", "AP_BC_HOLD_ON",
    "AP_HDG_HOLD_OFF", "AP_NAV1_HOLD_OFF", "AP_APR_HOLD_OFF", "AP_BC_HOLD_OFF", "AP_ALT_HOLD",
    "AP_ALT_VAR_INC",  "AP_ALT_VAR_DEC",   "AP_VS_VAR_INC",   "AP_VS_VAR_DEC"};

struct Datum {
    const char* name;
    const char* units;
};
const Datum kDatums[] = {
    {"autopilot master", "Bool"},
    {"autopilot heading lock", "Bool"},
    {"autopilot nav1 lock", "Bool"},
    {"autopilot approach hold", "Bool"},
    {"autopilot backcourse hold", "Bool"},
    {"autopilot altitude lock", "Bool"},
    {"autopilot altitude lock var", "Feet"},
    {"autopilot vertical hold var", "Feet/minute"},
};

} // namespace

void CPage_Orvik_Autopilot::OnSimInitialize(const PageConfiguration*) {
    BeginInitialize(L"CPage_Orvik_Autopilot::OnSimInitialize");
    for (const Datum& datum : kDatums) {
        std::wstring label = L"CPage_Orvik_Autopilot::OnSimInitialize - "
                             L"SimConnect_AddToDataDefinition(";
        for (const char* c = datum.name; *c; ++c)
            label += static_cast<wchar_t>(*c);
        label += L")";
        AddDatum(datum.name, datum.units, simconnect::DataTypeInt32, 0, label.c_str());
    }
    for (int i = 0; i < EventCount; ++i)
        m_events[i] = MapEvent(kEvents[i]);
    EndInitialize(L"CPage_Orvik_Autopilot::OnSimInitialize - "
                  L"SimConnect_SetNotificationGroupPriority");
}

void CPage_Orvik_Autopilot::OnSimRecieveData(const void* data, DWORD size) {
    ReceiveRecord(data, size, m_record,
                  L"CPage_Orvik_Autopilot::OnSimRecieveData - Data Format Size Mismatch");
}

void CPage_Orvik_Autopilot::FormatLines() {
    const DWORD s = m_state;
    const Record& r = m_record;
    FormatLine(0, L"%wc%ws%wc   %06d%wc", s == 0 ? L'[' : L' ', r.altitudeLock ? L"ALT" : L"---",
               s == 0 ? L']' : L' ', static_cast<int>(r.targetAltitude),
               s == 1   ? L'<'
               : s == 6 ? L'\u00AB'
                        : L' ');
    FormatLine(1, L"%wc%ws%wc     %05d%wc", L' ', L"VS", L' ',
               static_cast<int>(r.targetVerticalSpeed),
               s == 3   ? L'<'
               : s == 7 ? L'\u00AB'
                        : L' ');
    const wchar_t* lateral = r.headingLock      ? L"HDG"
                             : r.nav1Lock       ? L"NAV"
                             : r.approachHold   ? L"APR"
                             : r.backcourseHold ? L"BC "
                                                : L"---";
    FormatLine(2, L"%wc%ws%wc    %wc%ws%wc", s == 4 ? L'[' : L' ', r.master ? L"AP" : L"--",
               s == 4 ? L']' : L' ',
               s == 5   ? L'<'
               : s == 8 ? L'\u00AB'
                        : L' ',
               lateral,
               s == 5   ? L'>'
               : s == 8 ? L'\u00BB'
                        : L' ');
}

void CPage_Orvik_Autopilot::CommandLateralMode(DWORD mode) {
    // Heading, NAV1, approach, back course: ON for the commanded mode, OFF for the others.
    for (DWORD lateral = 1; lateral < kLateralModeCount; ++lateral) {
        const int on = HeadingOn + static_cast<int>(lateral - 1);
        const int off = HeadingOff + static_cast<int>(lateral - 1);
        TriggerEvent(m_events[lateral == mode ? on : off]);
    }
}

bool CPage_Orvik_Autopilot::ApplyButtons(DWORD buttons) {
    static constexpr ButtonRow kTable[] = {
        {Fire(AltitudeHold), Go(5), Go(1)},
        {Go(6), Go(0), Go(3)},
        {Go(2), Go(2), Go(2)}, // no transition leads here
        {Go(7), Go(1), Go(4)},
        {Fire(Master), Go(3), Go(5)},
        {Go(8), Go(4), Go(0)},
        {Go(1), Fire(AltitudeUp), Fire(AltitudeDown)},
        {Go(3), Fire(VerticalSpeedUp), Fire(VerticalSpeedDown)},
    };
    // Only a single button acts: two together, or none, change nothing.
    if (buttons != SoftButton_Select && buttons != SoftButton_Up && buttons != SoftButton_Down)
        return false;
    if (m_state != kLateralModeEditing) {
        ApplyButtonTable(buttons, kTable, m_events);
        return true;
    }
    if (buttons == SoftButton_Select) {
        m_state = 5;
        return true;
    }
    m_lateralMode = buttons == SoftButton_Up
                        ? (m_lateralMode + 1) % kLateralModeCount
                        : (m_lateralMode + kLateralModeCount - 1) % kLateralModeCount;
    CommandLateralMode(m_lateralMode);
    return true;
}
