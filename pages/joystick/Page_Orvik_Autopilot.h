#pragma once
// The autopilot page: altitude hold and its target, the vertical speed target, the master switch
// and the lateral mode (heading, NAV1, approach, back course).

#include "pages/joystick/Page_Orvik_Base.h"

class CPage_Orvik_Autopilot : public CPage_Orvik_Base {
public:
    using CPage_Orvik_Base::CPage_Orvik_Base;

    void OnSimInitialize(const PageConfiguration* configuration) override;
    void OnSimRecieveData(const void* data, DWORD size) override;

    struct Record {
        INT32 master;
        INT32 headingLock;
        INT32 nav1Lock;
        INT32 approachHold;
        INT32 backcourseHold;
        INT32 altitudeLock;
        INT32 targetAltitude;      // feet
        INT32 targetVerticalSpeed; // feet per minute
    };

protected:
    void FormatLines() override;
    bool ApplyButtons(DWORD buttons) override;

private:
    enum Event {
        Master,
        HeadingOn,
        Nav1On,
        ApproachOn,
        BackcourseOn,
        HeadingOff,
        Nav1Off,
        ApproachOff,
        BackcourseOff,
        AltitudeHold,
        AltitudeUp,
        AltitudeDown,
        VerticalSpeedUp,
        VerticalSpeedDown,
        EventCount
    };
    static constexpr DWORD kLateralModeCount = 5;   // none, heading, NAV1, approach, back course
    static constexpr DWORD kLateralModeEditing = 8; // the state whose Up and Down step the mode

    void CommandLateralMode(DWORD mode);

    DWORD m_lateralMode = 0; // what this page last commanded; does not follow the simulator
    Record m_record = {};
    DWORD m_events[EventCount] = {};
};
