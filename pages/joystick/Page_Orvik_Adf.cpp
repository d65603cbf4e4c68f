#include "pages/joystick/Page_Orvik_Adf.h"

namespace {

const char* const kEvents[] = {"ADF1_WHOLE_INC", "ADF1_WHOLE_DEC", "ADF1_RADIO_TENTHS_INC",
                               "ADF1_RADIO_TENTHS_DEC", "RADIO_ADF_IDENT_TOGGLE"};

int Nibble(DWORD value, int shift) {
    return static_cast<int>((value >> shift) & 0xF);
}

} // namespace

void CPage_Orvik_Adf::OnSimInitialize(const PageConfiguration*) {
    using namespace simconnect;
    BeginInitialize(L"CPage_Orvik_Adf::OnSimInitialize");
    AddDatum("ADF SOUND:1", "Bool", DataTypeInt32, 0,
             L"CPage_Orvik_Adf::OnSimInitialize - "
             L"SimConnect_AddToDataDefinition(ADF SOUND)");
    AddDatum("adf active frequency:1", "Frequency ADF BCD32", DataTypeInt32, 0,
             L"CPage_Orvik_Adf::OnSimInitialize - "
             L"SimConnect_AddToDataDefinition(adf active frequency)");
    AddDatum("adf radial:1", "Degrees", DataTypeFloat32, 0.1f,
             L"CPage_Orvik_Adf::OnSimInitialize - "
             L"SimConnect_AddToDataDefinition(adf radial)");
    for (int i = 0; i < EventCount; ++i)
        m_events[i] = MapEvent(kEvents[i]);
    EndInitialize(L"CPage_Orvik_Adf::OnSimInitialize - "
                  L"SimConnect_SetNotificationGroupPriority");
}

void CPage_Orvik_Adf::OnSimRecieveData(const void* data, DWORD size) {
    ReceiveRecord(data, size, m_record,
                  L"CPage_Orvik_Adf::OnSimRecieveData - Data Format Size Mismatch");
}

void CPage_Orvik_Adf::FormatLines() {
    const DWORD s = m_state;
    FormatLine(0, L" ADF  %wc%ws%wc ", s == 0 ? L'[' : L' ', m_record.sound ? L"ON" : L"OFF",
               s == 0 ? L']' : L' ');

    const DWORD f = m_record.frequency;
    const wchar_t before = s == 1 ? L'>' : s == 3 ? L'\u00BB' : L' ';
    const wchar_t after = s == 2 ? L'<' : s == 4 ? L'\u00AB' : L' ';
    FormatLine(1, L"%wc%d%d%d%d.%d%wc", before, Nibble(f, 28), Nibble(f, 24), Nibble(f, 20),
               Nibble(f, 16), Nibble(f, 12), after);

    FormatLine(2, L" %06.2lf\u00B0", WrapDegrees(m_record.radial));
}

bool CPage_Orvik_Adf::ApplyButtons(DWORD buttons) {
    static constexpr ButtonRow kTable[] = {
        {Fire(IdentToggle), Go(2), Go(1)},
        {Go(3), Go(0), Go(2)},
        {Go(4), Go(1), Go(0)},
        {Go(1), Fire(WholeUp), Fire(WholeDown)},
        {Go(2), Fire(TenthsUp), Fire(TenthsDown)},
    };
    ApplyButtonTable(buttons, kTable, m_events);
    return true;
}
