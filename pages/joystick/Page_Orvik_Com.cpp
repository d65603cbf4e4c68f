#include "pages/joystick/Page_Orvik_Com.h"

namespace {

constexpr wchar_t kSelected = L'>';
constexpr wchar_t kSelectedAfter = L'<';
constexpr wchar_t kEditing = L'\u00BB';
constexpr wchar_t kEditingAfter = L'\u00AB';

const char* const kRadio1Events[] = {"COM_RADIO_WHOLE_INC",        "COM_RADIO_WHOLE_DEC",
                                     "COM_RADIO_FRACT_INC_CARRY",  "COM_RADIO_FRACT_DEC_CARRY",
                                     "COM_STBY_RADIO_SWAP",        "NAV1_RADIO_WHOLE_INC",
                                     "NAV1_RADIO_WHOLE_DEC",       "NAV1_RADIO_FRACT_INC_CARRY",
                                     "NAV1_RADIO_FRACT_DEC_CARRY", "NAV1_RADIO_SWAP"};
const char* const kRadio2Events[] = {"COM2_RADIO_WHOLE_INC",
                                     "COM2_RADIO_WHOLE_DEC",
                                     "COM2_RADIO_FRACT_INC_CARRY",
                                     "COM2_RADIO_FRACT_DEC_CARRY",
                                     "COM2_RADIO_SWAP",
                                     "NAV2_RADIO_WHOLE_INC",
                                     "NAV2_RADIO_WHOLE_DEC",
                                     "NAV2_RADIO_FRACT_INC_CARRY",
                                     "NAV2_RADIO_FRACT_DEC_CARRY",
                                     "NAV2_RADIO_SWAP"};

int Nibble(INT32 value, int shift) {
    return static_cast<int>((value >> shift) & 0xF);
}

wchar_t Marker(DWORD state, DWORD selectedIn, wchar_t selected, DWORD editingIn, wchar_t editing) {
    if (state == selectedIn)
        return selected;
    return state == editingIn ? editing : L' ';
}

} // namespace

CPage_Orvik_Com::CPage_Orvik_Com(DWORD pageId, IPageHost* owner, const wchar_t* pageName,
                                 bool radio1)
    : CPage_Orvik_Base(pageId, owner, pageName), m_radio1(radio1) {}

void CPage_Orvik_Com::OnSimInitialize(const PageConfiguration*) {
    using simconnect::DataTypeInt32;
    BeginInitialize(L"CPage_Orvik_Com::OnSimInitialize");
    const bool r1 = m_radio1;
    AddDatum(r1 ? "com active frequency:1" : "com active frequency:2", "Frequency BCD16",
             DataTypeInt32, 0,
             L"CPage_Orvik_Com::OnSimInitialize - "
             L"SimConnect_AddToDataDefinition(com active frequency)");
    AddDatum(r1 ? "com standby frequency:1" : "com standby frequency:2", "Frequency BCD16",
             DataTypeInt32, 0,
             L"CPage_Orvik_Com::OnSimInitialize - "
             L"SimConnect_AddToDataDefinition(com standby frequency)");
    AddDatum(r1 ? "nav active frequency:1" : "nav active frequency:2", "Frequency BCD16",
             DataTypeInt32, 0,
             L"CPage_Orvik_Com::OnSimInitialize - "
             L"SimConnect_AddToDataDefinition(nav active frequency)");
    AddDatum(r1 ? "nav standby frequency:1" : "nav standby frequency:2", "Frequency BCD16",
             DataTypeInt32, 0,
             L"CPage_Orvik_Com::OnSimInitialize - "
             L"SimConnect_AddToDataDefinition(nav standby frequency)");
    const char* const* names = r1 ? kRadio1Events : kRadio2Events;
    for (int i = 0; i < EventCount; ++i)
        m_events[i] = MapEvent(names[i]);
    EndInitialize(L"CPage_Orvik_Com::OnSimInitialize - "
                  L"SimConnect_SetNotificationGroupPriority");
}

void CPage_Orvik_Com::OnSimRecieveData(const void* data, DWORD size) {
    ReceiveRecord(data, size, m_record,
                  L"CPage_Orvik_Com::OnSimRecieveData - Data Format Size Mismatch");
}

void CPage_Orvik_Com::FormatFrequencies(int line, INT32 com, wchar_t comBefore, wchar_t comAfter,
                                        INT32 nav, wchar_t navBefore, wchar_t navAfter) {
    FormatLine(line, L"%wc1%d%d.%d%d%wc%wc1%d%d.%d%d%wc", comBefore, Nibble(com, 12),
               Nibble(com, 8), Nibble(com, 4), Nibble(com, 0), comAfter, navBefore, Nibble(nav, 12),
               Nibble(nav, 8), Nibble(nav, 4), Nibble(nav, 0), navAfter);
}

void CPage_Orvik_Com::FormatLines() {
    const DWORD s = m_state;
    FormatLine(0, m_radio1 ? L"  COM1    NAV1  " : L"  COM2    NAV2  ");
    FormatFrequencies(1, m_record.comActive, s == 0 ? L'[' : L' ', s == 0 ? L']' : L' ',
                      m_record.navActive, s == 3 ? L'[' : L' ', s == 3 ? L']' : L' ');
    FormatFrequencies(2, m_record.comStandby, Marker(s, 1, kSelected, 6, kEditing),
                      Marker(s, 2, kSelectedAfter, 7, kEditingAfter), m_record.navStandby,
                      Marker(s, 4, kSelected, 8, kEditing),
                      Marker(s, 5, kSelectedAfter, 9, kEditingAfter));
}

bool CPage_Orvik_Com::ApplyButtons(DWORD buttons) {
    static constexpr ButtonRow kTable[] = {
        {Fire(ComSwap), Go(5), Go(1)},
        {Go(6), Go(0), Go(2)},
        {Go(7), Go(1), Go(3)},
        {Fire(NavSwap), Go(2), Go(4)},
        {Go(8), Go(3), Go(5)},
        {Go(9), Go(4), Go(0)},
        {Go(1), Fire(ComWholeUp), Fire(ComWholeDown)},
        {Go(2), Fire(ComFractionUp), Fire(ComFractionDown)},
        {Go(4), Fire(NavWholeUp), Fire(NavWholeDown)},
        {Go(5), Fire(NavFractionUp), Fire(NavFractionDown)},
    };
    ApplyButtonTable(buttons, kTable, m_events);
    return true;
}
