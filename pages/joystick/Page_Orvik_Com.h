#pragma once
// The COM/NAV page: one COM and one NAV radio (1 or 2), active and standby frequencies; swaps them
// and tunes the standby frequencies in MHz and kHz steps.

#include "pages/joystick/Page_Orvik_Base.h"

class CPage_Orvik_Com : public CPage_Orvik_Base {
public:
    CPage_Orvik_Com(DWORD pageId, IPageHost* owner, const wchar_t* pageName, bool radio1);

    void OnSimInitialize(const PageConfiguration* configuration) override;
    void OnSimRecieveData(const void* data, DWORD size) override;

    // Frequencies in the simulator's "Frequency BCD16" units, in datum order.
    struct Record {
        INT32 comActive;
        INT32 comStandby;
        INT32 navActive;
        INT32 navStandby;
    };

protected:
    void FormatLines() override;
    bool ApplyButtons(DWORD buttons) override;

private:
    enum Event {
        ComWholeUp,
        ComWholeDown,
        ComFractionUp,
        ComFractionDown,
        ComSwap,
        NavWholeUp,
        NavWholeDown,
        NavFractionUp,
        NavFractionDown,
        NavSwap,
        EventCount
    };

    void FormatFrequencies(int line, INT32 com, wchar_t comBefore, wchar_t comAfter, INT32 nav,
                           wchar_t navBefore, wchar_t navAfter);

    bool m_radio1;
    Record m_record = {};
    DWORD m_events[EventCount] = {};
};
