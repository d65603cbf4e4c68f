#pragma once
// The backlit annunciator panel: 24 two-colour lamps, each device programmed from the
// programming file by its serial number. Output only: no read thread, no events.

#include "panels/LampProgramming.h"
#include "panels/PanelClass.h"

class CPanelClass_Backlit final : public CPanelClass {
public:
    // The data block, in datum-id order.
    struct Data {
        INT32 pitotHeat;          // 0
        INT32 stallWarning;       // 1
        float canopyOpen;         // 2
        INT32 parkingBrake;       // 3
        INT32 lightBeacon;        // 4
        INT32 lightStrobe;        // 5
        INT32 lightLanding;       // 6
        float gearExtended;       // 7
        float suction;            // 8
        INT32 engineCount;        // 9
        INT32 engineType;         // 10
        float oilPressure[4];     // 11-14
        float oilTemperature[4];  // 15-18
        float fuelPressure[4];    // 19-22
        INT32 engineFire[4];      // 23-26
        float rotorRpm;           // 27
        INT32 gpsDrivesNav1;      // 28
        INT32 navSound[2];        // 29-30
        INT32 comTransmit[2];     // 31-32
        INT32 comReceiveAll;      // 33
        INT32 dmeSound;           // 34
        INT32 adfSound[2];        // 35-36
        INT32 markerSound;        // 37
        INT32 autopilotMaster;    // 38
        INT32 autopilotAvailable; // 39
        float centreCapacity;     // 40
        float centreQuantity;     // 41
        float leftCapacity;       // 42
        float leftQuantity;       // 43
        float rightCapacity;      // 44
        float rightQuantity;      // 45
        float totalCapacity;      // 46
        float totalQuantity;      // 47
        INT32 crossFeed;          // 48
    };
    static_assert(sizeof(Data) == 196);

    static constexpr ULONG kLampReportLength = 7;
    static constexpr ULONG kBrightnessReportLength = 2;

    explicit CPanelClass_Backlit(IHidDriver& hid = GetWindowsHidDriver(),
                                 IPanelSimConnect& simConnect = GetPanelSimConnect());
    ~CPanelClass_Backlit();

    void OnSimInitialize(DWORD& pageCounter) override;
    void OnSimRecieveData(DWORD requestId, const void* data, DWORD size) override;

private:
    // A lamp report being built, with what it has lit so far.
    struct LampReport {
        BYTE bytes[kLampReportLength];
        bool redLit;
        bool amberLit;
    };

    bool IsPanelDevice(const wchar_t* path) override;
    bool NeedsReadThread() override { return false; }
    void OnDeviceAttached(CPanelDevice& device) override;
    void OnDeviceDetached(CPanelDevice& device) override;
    void OnInputReport(CPanelDevice&, DWORD, const BYTE*, const BYTE*) override {}

    static void SetLamp(const LampAssignment* assignment, bool condition, LampReport& report);
    void BuildReport(const LampProgramming& programming, LampReport& report) const;
    void EvaluateEngines(const LampProgramming& programming, LampReport& report) const;
    void EvaluateGear(const LampProgramming& programming, LampReport& report) const;
    // With the panel lock held: all lamps off, written once it is released.
    static void WriteDark(CPanelDevice& device);

    Data m_data = {};
};
