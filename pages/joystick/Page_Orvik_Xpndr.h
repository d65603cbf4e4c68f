#pragma once
// The transponder page: the four-digit code, changed digit by digit.

#include "pages/joystick/Page_Orvik_Base.h"

class CPage_Orvik_Xpndr : public CPage_Orvik_Base {
public:
    using CPage_Orvik_Base::CPage_Orvik_Base;

    void OnSimInitialize(const PageConfiguration* configuration) override;
    void OnSimRecieveData(const void* data, DWORD size) override;

    struct Record {
        DWORD code; // one digit per nibble
    };

protected:
    void FormatLines() override;
    bool ApplyButtons(DWORD buttons) override;

private:
    enum Event { Up1000, Up100, Up10, Up1, Down1000, Down100, Down10, Down1, EventCount };

    Record m_record = {};
    DWORD m_events[EventCount] = {};
};
