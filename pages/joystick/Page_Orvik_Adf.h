#pragma once
// The ADF page: the sound switch (its ident toggle), the frequency tuned in whole and tenths steps,
// and the radial.

#include "pages/joystick/Page_Orvik_Base.h"

class CPage_Orvik_Adf : public CPage_Orvik_Base {
public:
    using CPage_Orvik_Base::CPage_Orvik_Base;

    void OnSimInitialize(const PageConfiguration* configuration) override;
    void OnSimRecieveData(const void* data, DWORD size) override;

    struct Record {
        INT32 sound;     // nonzero: on
        DWORD frequency; // "Frequency ADF BCD32"
        float radial;    // degrees
    };

protected:
    void FormatLines() override;
    bool ApplyButtons(DWORD buttons) override;

private:
    enum Event { WholeUp, WholeDown, TenthsUp, TenthsDown, IdentToggle, EventCount };

    Record m_record = {};
    DWORD m_events[EventCount] = {};
};
