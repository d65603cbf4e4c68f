#include "pages/joystick/Page_Orvik_Xpndr.h"

#include "app/trace/Trace.h"

namespace {

const char* const kEvents[] = {"XPNDR_1000_INC", "XPNDR_100_INC", "XPNDR_10_INC", "XPNDR_1_INC",
                               "XPNDR_1000_DEC", "XPNDR_100_DEC", "XPNDR_10_DEC", "XPNDR_1_DEC"};

} // namespace

void CPage_Orvik_Xpndr::OnSimInitialize(const PageConfiguration*) {
    BeginInitialize(L"CPage_Orvik_Xpndr::OnSimInitialize");
    AddDatum("transponder code:1", "BCO16", simconnect::DataTypeInt32, 0,
             L"CPage_Orvik_Xpndr::OnSimInitialize - "
             L"SimConnect_AddToDataDefinition(XPNDR)");
    for (int i = 0; i < EventCount; ++i)
        m_events[i] = MapEvent(kEvents[i]);
    EndInitialize(L"CPage_Orvik_Xpndr::OnSimInitialize - "
                  L"SimConnect_SetNotificationGroupPriority");
}

void CPage_Orvik_Xpndr::OnSimRecieveData(const void* data, DWORD size) {
    ReceiveRecord(data, size, m_record,
                  L"CPage_Orvik_Xpndr::OnSimRecieveData - Data Format Size Mismatch");
}

void CPage_Orvik_Xpndr::FormatLines() {
    const DWORD v = m_record.code;
    FormatLine(0, L"   Transponder   ");
    FormatLine(1, L"     %d%d%d%d       ", static_cast<int>((v >> 12) & 0xF),
               static_cast<int>((v >> 8) & 0xF), static_cast<int>((v >> 4) & 0xF),
               static_cast<int>(v & 0xF));
    wchar_t marks[4] = {L' ', L' ', L' ', L' '};
    if (m_state < 4)
        marks[m_state] = L'^';
    else if (m_state < 8)
        marks[m_state - 4] = L'-';
    FormatLine(2, L"     %wc%wc%wc%wc       ", marks[0], marks[1], marks[2], marks[3]);
}

bool CPage_Orvik_Xpndr::ApplyButtons(DWORD buttons) {
    // Up moves the selection towards the units digit, Down towards the thousands.
    static constexpr ButtonRow kTable[] = {
        {Go(4), Go(1), Go(3)},
        {Go(5), Go(2), Go(0)},
        {Go(6), Go(3), Go(1)},
        {Go(7), Go(0), Go(2)},
        {Go(0), Fire(Up1000), Fire(Down1000)},
        {Go(1), Fire(Up100), Fire(Down100)},
        {Go(2), Fire(Up10), Fire(Down10)},
        {Go(3), Fire(Up1), Fire(Down1)},
    };
    static constexpr struct {
        DWORD bit;
        const wchar_t* trace;
    } kButtons[] = {
        {SoftButton_Select, L"CPage_Orvik_Xpndr::OnButtonPress(SoftButton_Select)"},
        {SoftButton_Up, L"CPage_Orvik_Xpndr::OnButtonPress(SoftButton_Up)"},
        {SoftButton_Down, L"CPage_Orvik_Xpndr::OnButtonPress(SoftButton_Down)"},
    };
    for (const auto& button : kButtons) {
        if (!(buttons & button.bit))
            continue;
        DebugTrace(L"%ws", button.trace);
        ApplyButtonTable(button.bit, kTable, m_events);
    }
    return true;
}
