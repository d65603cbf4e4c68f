#include "pages/joystick/Page_Orvik_Dme.h"

void CPage_Orvik_Dme::OnSimInitialize(const PageConfiguration*) {
    using simconnect::DataTypeFloat32;
    BeginInitialize(L"CPage_Orvik_Dme::OnSimInitialize");
    AddDatum("nav dme:1", "nmiles", DataTypeFloat32, 0,
             L"CPage_Orvik_Dme::OnSimInitialize - "
             L"SimConnect_AddToDataDefinition(nav1 dme)");
    AddDatum("nav dme:2", "nmiles", DataTypeFloat32, 0,
             L"CPage_Orvik_Dme::OnSimInitialize - "
             L"SimConnect_AddToDataDefinition(nav2 dme)");
    AddDatum("nav dmespeed:1", "Knots", DataTypeFloat32, 0,
             L"CPage_Orvik_Dme::OnSimInitialize - "
             L"SimConnect_AddToDataDefinition(nav1 dmespeed)");
    AddDatum("nav dmespeed:2", "Knots", DataTypeFloat32, 0,
             L"CPage_Orvik_Dme::OnSimInitialize - "
             L"SimConnect_AddToDataDefinition(nav2 dmespeed)");
    EndInitialize(L"CPage_Orvik_Dme::OnSimInitialize - "
                  L"SimConnect_SetNotificationGroupPriority");
}

void CPage_Orvik_Dme::OnSimRecieveData(const void* data, DWORD size) {
    ReceiveRecord(data, size, m_record,
                  L"CPage_Orvik_Dme::OnSimRecieveData - Data Format Size Mismatch");
}

void CPage_Orvik_Dme::FormatLines() {
    const DWORD receiver = m_state ? 1 : 0;
    FormatLine(0, L" DME     [R%d]", static_cast<int>(receiver + 1));
    const double distance = m_record.distance[receiver];
    if (distance < 0)
        FormatLine(1, L" ---- NM");
    else
        FormatLine(1, L" %#06.1lf NM", distance);
    const double speed = m_record.speed[receiver];
    if (speed < 0)
        FormatLine(2, L" --- Knots");
    else
        FormatLine(2, L" %#06.1lf Knots", speed);
}

bool CPage_Orvik_Dme::ApplyButtons(DWORD buttons) {
    if (!(buttons & SoftButton_Select))
        return false;
    m_state = m_state ? 0 : 1;
    return true;
}
