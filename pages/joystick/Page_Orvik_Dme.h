#pragma once
// The DME page: distance and speed from one of the two DME receivers; Select switches between them.

#include "pages/joystick/Page_Orvik_Base.h"

class CPage_Orvik_Dme : public CPage_Orvik_Base {
public:
    using CPage_Orvik_Base::CPage_Orvik_Base;

    void OnSimInitialize(const PageConfiguration* configuration) override;
    void OnSimRecieveData(const void* data, DWORD size) override;

    struct Record {
        float distance[2]; // nautical miles, NAV1 and NAV2
        float speed[2];    // knots
    };

protected:
    void FormatLines() override;
    bool ApplyButtons(DWORD buttons) override;

private:
    Record m_record = {};
};
