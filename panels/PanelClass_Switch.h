#pragma once
// The switch panel: latching electrical, fuel-pump, de-ice, pitot-heat, cowl-flap and light
// switches, a magneto selector, the gear lever and three gear lamps.

#include "panels/PanelClass.h"

class CPanelClass_Switch final : public CPanelClass {
public:
    // The data block, in datum-id order.
    struct Data {
        INT32 battery;         // 0
        INT32 alternator[4];   // 1-4
        INT32 avionicsMaster;  // 5
        INT32 fuelPump[4];     // 6-9
        INT32 antiIce;         // 10
        INT32 pitotHeat;       // 11
        float cowlFlap[4];     // 12-15
        INT32 lightPanel;      // 16
        INT32 lightBeacon;     // 17
        INT32 lightNav;        // 18
        INT32 lightStrobe;     // 19
        INT32 lightTaxi;       // 20
        INT32 lightLanding;    // 21
        INT32 gearHandle;      // 22
        INT32 gearRetractable; // 23
        float gear[3];         // 24-26: centre, left, right
    };
    static_assert(sizeof(Data) == 108);

    explicit CPanelClass_Switch(IHidDriver& hid = GetWindowsHidDriver(),
                                IPanelSimConnect& simConnect = GetPanelSimConnect());
    ~CPanelClass_Switch();

    void OnSimInitialize(DWORD& pageCounter) override;
    void OnSimRecieveData(DWORD requestId, const void* data, DWORD size) override;

private:
    enum Event {
        GearUp,
        GearDown,
        ToggleMasterBattery,
        ToggleAlternator1,
        ToggleAvionicsMaster = ToggleAlternator1 + 4,
        ToggleFuelPump1,
        AntiIceSet = ToggleFuelPump1 + 4,
        PitotHeatToggle,
        CowlFlap1Set,
        PanelLightsToggle = CowlFlap1Set + 4,
        ToggleBeaconLights,
        ToggleNavLights,
        StrobesToggle,
        ToggleTaxiLights,
        LandingLightsToggle,
        Magneto1Set,
        EventCount = Magneto1Set + 4
    };

    bool IsPanelDevice(const wchar_t* path) override;
    void OnDeviceAttached(CPanelDevice& device) override;
    void OnDeviceDetached(CPanelDevice& device) override;
    void OnInputReport(CPanelDevice& device, DWORD count, const BYTE* previous,
                       const BYTE* current) override;

    void DecideSwitches(const BYTE* previous, const BYTE* current, PendingEvents& events) const;
    BYTE GearLamps() const;
    // With the panel lock held: the lamps' report, written once it is released.
    static void WriteLamps(CPanelDevice& device, BYTE lamps);

    Data m_data = {};
    DWORD m_events[EventCount] = {};
};
