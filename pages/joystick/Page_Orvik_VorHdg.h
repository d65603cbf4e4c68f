#pragma once
// The VOR/HDG page: the VOR1 course (OBS) and the autopilot's selected heading, each turned in
// one-degree steps.

#include "pages/joystick/Page_Orvik_Base.h"

class CPage_Orvik_VorHdg : public CPage_Orvik_Base {
public:
    using CPage_Orvik_Base::CPage_Orvik_Base;

    void OnSimInitialize(const PageConfiguration* configuration) override;
    void OnSimRecieveData(const void* data, DWORD size) override;

    struct Record {
        double course;  // radians
        double heading; // radians
    };

protected:
    void FormatLines() override;
    bool ApplyButtons(DWORD buttons) override;

private:
    enum Event { CourseUp, CourseDown, HeadingUp, HeadingDown, EventCount };

    static int WholeDegrees(double radians);

    Record m_record = {};
    DWORD m_events[EventCount] = {};
};
