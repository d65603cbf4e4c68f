#include "pages/joystick/Page_Orvik_VorHdg.h"

#include <cmath>

namespace {

const char* const kEvents[] = {"VOR1_OBI_INC", "VOR1_OBI_DEC", "HEADING_BUG_INC",
                               "HEADING_BUG_DEC"};

} // namespace

void CPage_Orvik_VorHdg::OnSimInitialize(const PageConfiguration*) {
    using simconnect::DataTypeFloat64;
    BeginInitialize(L"CPage_Orvik_VorHdg::OnSimInitialize");
    AddDatum("NAV1 OBS", "radians", DataTypeFloat64, 0,
             L"CPage_Orvik_VorHdg::OnSimInitialize - "
             L"SimConnect_AddToDataDefinition(NAV1 OBS)");
    AddDatum("Autopilot heading lock dir", "radians", DataTypeFloat64, 0,
             L"CPage_Orvik_VorHdg::OnSimInitialize - "
             L"SimConnect_AddToDataDefinition(Autopilot heading lock dir)");
    for (int i = 0; i < EventCount; ++i)
        m_events[i] = MapEvent(kEvents[i]);
    EndInitialize(L"CPage_Orvik_VorHdg::OnSimInitialize - "
                  L"SimConnect_SetNotificationGroupPriority");
}

void CPage_Orvik_VorHdg::OnSimRecieveData(const void* data, DWORD size) {
    ReceiveRecord(data, size, m_record,
                  L"CPage_Orvik_VorHdg::OnSimRecieveData - Data Format Size Mismatch");
}

int CPage_Orvik_VorHdg::WholeDegrees(double radians) {
    const double degrees = WrapDegrees(radians * 180 / 3.1415926535);
    return std::isfinite(degrees) ? static_cast<int>(degrees) : 0;
}

void CPage_Orvik_VorHdg::FormatLines() {
    const DWORD s = m_state;
    FormatLine(0, L"  VOR     HDG   ");
    const wchar_t before = s == 0 ? L'>' : s == 1 ? L'\u00BB' : L' ';
    const wchar_t after = s == 2 ? L'<' : s == 3 ? L'\u00AB' : L' ';
    FormatLine(1, L" %wc%03d\u00B0    %03d\u00B0%wc ", before, WholeDegrees(m_record.course),
               WholeDegrees(m_record.heading), after);
    FormatLine(2, L"");
}

bool CPage_Orvik_VorHdg::ApplyButtons(DWORD buttons) {
    static constexpr ButtonRow kTable[] = {
        {Go(1), Go(2), Go(2)},
        {Go(0), Fire(CourseUp), Fire(CourseDown)},
        {Go(3), Go(0), Go(0)},
        {Go(2), Fire(HeadingUp), Fire(HeadingDown)},
    };
    ApplyButtonTable(buttons, kTable, m_events);
    return true;
}
