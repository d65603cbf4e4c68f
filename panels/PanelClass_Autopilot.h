#pragma once
// The multi panel: the autopilot's selector, tuning knob, master and mode buttons with their
// lamps, the auto-throttle arm switch, the flap lever, the trim wheel and two displays.

#include "panels/PanelClass.h"

class CPanelClass_Autopilot final : public CPanelClass {
public:
    // The data block, in datum-id order.
    struct Data {
        PanelPowerItems power;        // 0-5
        float altitude;               // 6
        float verticalSpeed;          // 7
        float heading;                // 8
        float airspeed;               // 9
        float course;                 // 10
        INT32 throttleArm;            // 11
        INT32 master;                 // 12
        INT32 headingLock;            // 13
        INT32 nav1Lock;               // 14
        INT32 approachHold;           // 15
        INT32 backcourseHold;         // 16
        INT32 altitudeLock;           // 17
        INT32 verticalHold;           // 18
        INT32 airspeedHold;           // 19
        INT32 partialPanelElectrical; // 20
        INT32 partialPanelAvionics;   // 21
    };
    static_assert(sizeof(Data) == 88);

    static constexpr ULONG kReportLength = 13;
    static constexpr DWORD kModeKey = 0; // device value: the selected mode

    explicit CPanelClass_Autopilot(IHidDriver& hid = GetWindowsHidDriver(),
                                   IPanelSimConnect& simConnect = GetPanelSimConnect());
    ~CPanelClass_Autopilot();

    void OnSimInitialize(DWORD& pageCounter) override;
    void OnSimRecieveData(DWORD requestId, const void* data, DWORD size) override;

private:
    static constexpr int kModes = 5; // altitude, vertical speed, airspeed, heading, course
    enum Event {
        Up0,
        Down0 = Up0 + kModes,
        ApMaster = Down0 + kModes,
        HeadingHold,
        Nav1Hold,
        ApproachHold,
        BackcourseHold,
        AltitudeHold,
        VerticalSpeedHold,
        SpeedHold,
        AutoThrottleArm,
        FlapsIncr,
        FlapsDecr,
        ElevTrimUp,
        ElevTrimDn,
        EventCount
    };

    bool IsPanelDevice(const wchar_t* path) override;
    void OnDeviceAttached(CPanelDevice& device) override;
    void OnDeviceDetached(CPanelDevice& device) override;
    void OnInputReport(CPanelDevice& device, DWORD count, const BYTE* previous,
                       const BYTE* current) override;

    bool ControlsLive() const;
    void DecideControls(LONG mode, const BYTE* previous, const BYTE* current, BYTE r1, BYTE r2,
                        BYTE r3, PendingEvents& events) const;
    void Refresh(CPanelDevice& device, bool force);
    BYTE Lamps() const;

    Data m_data = {};
    DWORD m_events[EventCount] = {};
};
