#include "panels/PanelClass_Switch.h"

#include "panels/PanelIds.h"

using simconnect::DataTypeFloat32;
using simconnect::DataTypeInt32;

namespace {

constexpr float kCowlFlapEpsilon = 0.05f;

const PanelDatum kSwitchDatums[] = {
    {"ELECTRICAL MASTER BATTERY", "Bool", DataTypeInt32, 0.0f,
     L"AddToDataDefinition(m_defineid, ELECTRICAL MASTER BATTERY,...)"},
    {"GENERAL ENG MASTER ALTERNATOR:1", "Bool", DataTypeInt32, 0.0f,
     L"AddToDataDefinition(m_defineid, GENERAL ENG MASTER ALTERNATOR:1,...)"},
    {"GENERAL ENG MASTER ALTERNATOR:2", "Bool", DataTypeInt32, 0.0f,
     L"AddToDataDefinition(m_defineid, GENERAL ENG MASTER ALTERNATOR:2,...)"},
    {"GENERAL ENG MASTER ALTERNATOR:3", "Bool", DataTypeInt32, 0.0f,
     L"AddToDataDefinition(m_defineid, GENERAL ENG MASTER ALTERNATOR:3,...)"},
    {"GENERAL ENG MASTER ALTERNATOR:4", "Bool", DataTypeInt32, 0.0f,
     L"AddToDataDefinition(m_defineid, GENERAL ENG MASTER ALTERNATOR:4,...)"},
    {"AVIONICS MASTER SWITCH", "Bool", DataTypeInt32, 0.0f,
     L"AddToDataDefinition(m_defineid, AVIONICS MASTER SWITCH,...)"},
    {"GENERAL ENG FUEL PUMP SWITCH:1", "Bool", DataTypeInt32, 0.0f,
     L"AddToDataDefinition(m_defineid, GENERAL ENG FUEL PUMP SWITCH:1,...)"},
    {"GENERAL ENG FUEL PUMP SWITCH:2", "Bool", DataTypeInt32, 0.0f,
     L"AddToDataDefinition(m_defineid, GENERAL ENG FUEL PUMP SWITCH:2,...)"},
    {"GENERAL ENG FUEL PUMP SWITCH:3", "Bool", DataTypeInt32, 0.0f,
     L"AddToDataDefinition(m_defineid, GENERAL ENG FUEL PUMP SWITCH:3,...)"},
    {"GENERAL ENG FUEL PUMP SWITCH:4", "Bool", DataTypeInt32, 0.0f,
     L"AddToDataDefinition(m_defineid, GENERAL ENG FUEL PUMP SWITCH:4,...)"},
    {"PANEL ANTI ICE SWITCH", "Bool", DataTypeInt32, 0.0f,
     L"AddToDataDefinition(m_defineid, PANEL ANTI ICE SWITCH,...)"},
    {"PITOT HEAT", "Bool", DataTypeInt32, 0.0f, L"AddToDataDefinition(m_defineid, PITOT HEAT,...)"},
    {"RECIP ENG COWL FLAP POSITION:1", "Percent", DataTypeFloat32, kCowlFlapEpsilon,
     L"AddToDataDefinition(m_defineid, RECIP ENG COWL FLAP POSITION:1,...)"},
    {"RECIP ENG COWL FLAP POSITION:2", "Percent", DataTypeFloat32, kCowlFlapEpsilon,
     L"AddToDataDefinition(m_defineid, RECIP ENG COWL FLAP POSITION:2,...)"},
    {"RECIP ENG COWL FLAP POSITION:3", "Percent", DataTypeFloat32, kCowlFlapEpsilon,
     L"AddToDataDefinition(m_defineid, RECIP ENG COWL FLAP POSITION:3,...)"},
    {"RECIP ENG COWL FLAP POSITION:4", "Percent", DataTypeFloat32, kCowlFlapEpsilon,
     L"AddToDataDefinition(m_defineid, RECIP ENG COWL FLAP POSITION:4,...)"},
    {"LIGHT PANEL", "Bool", DataTypeInt32, 0.0f,
     L"AddToDataDefinition(m_defineid, LIGHT PANEL,...)"},
    {"LIGHT BEACON", "Bool", DataTypeInt32, 0.0f,
     L"AddToDataDefinition(m_defineid, LIGHT BEACON,...)"},
    {"LIGHT NAV", "Bool", DataTypeInt32, 0.0f, L"AddToDataDefinition(m_defineid, LIGHT NAV,...)"},
    {"LIGHT STROBE", "Bool", DataTypeInt32, 0.0f,
     L"AddToDataDefinition(m_defineid, LIGHT STROBE,...)"},
    {"LIGHT TAXI", "Bool", DataTypeInt32, 0.0f, L"AddToDataDefinition(m_defineid, LIGHT TAXI,...)"},
    {"LIGHT LANDING", "Bool", DataTypeInt32, 0.0f,
     L"AddToDataDefinition(m_defineid, LIGHT LANDING,...)"},
    {"GEAR HANDLE POSITION", "Bool", DataTypeInt32, 0.0f,
     L"AddToDataDefinition(m_defineid, GEAR HANDLE POSITION,...)"},
    {"IS GEAR RETRACTABLE", "Bool", DataTypeInt32, 0.0f,
     L"AddToDataDefinition(m_defineid, IS GEAR RETRACTABLE,...)"},
    {"GEAR CENTER POSITION", "Percent Over 100", DataTypeFloat32, 0.0f,
     L"AddToDataDefinition(m_defineid, GEAR CENTER POSITION,...)"},
    {"GEAR LEFT POSITION", "Percent Over 100", DataTypeFloat32, 0.0f,
     L"AddToDataDefinition(m_defineid, GEAR LEFT POSITION,...)"},
    {"GEAR RIGHT POSITION", "Percent Over 100", DataTypeFloat32, 0.0f,
     L"AddToDataDefinition(m_defineid, GEAR RIGHT POSITION,...)"},
};

const char* const kSwitchEventNames[] = {
    "GEAR_UP",
    "GEAR_DOWN",
    "TOGGLE_MASTER_BATTERY",
    "TOGGLE_ALTERNATOR1",
    "TOGGLE_ALTERNATOR2",
    "TOGGLE_ALTERNATOR3",
    "TOGGLE_ALTERNATOR4",
    "TOGGLE_AVIONICS_MASTER",
    "TOGGLE_ELECT_FUEL_PUMP1",
    "TOGGLE_ELECT_FUEL_PUMP2",
    "TOGGLE_ELECT_FUEL_PUMP3",
    "TOGGLE_ELECT_FUEL_PUMP4",
    "ANTI_ICE_SET",
    "PITOT_HEAT_TOGGLE",
    "COWLFLAP1_SET",
    "COWLFLAP2_SET",
    "COWLFLAP3_SET",
    "COWLFLAP4_SET",
    "PANEL_LIGHTS_TOGGLE",
    "TOGGLE_BEACON_LIGHTS",
    "TOGGLE_NAV_LIGHTS",
    "STROBES_TOGGLE",
    "TOGGLE_TAXI_LIGHTS",
    "LANDING_LIGHTS_TOGGLE",
    "MAGNETO1_SET",
    "MAGNETO2_SET",
    "MAGNETO3_SET",
    "MAGNETO4_SET",
};

constexpr ULONG kReportBytes = 4;
constexpr ULONG kLampReportLength = 2;
constexpr DWORD kCowlFlapsClosed = 16383;
constexpr float kGearDown = 0.99f;
constexpr float kGearUp = 0.01f;

// The magneto selector's position 1 to 5, or 0 when no position bit is set.
int MagnetoPosition(const BYTE* report) {
    if (report[2] & 0x20)
        return 1;
    if (report[2] & 0x40)
        return 2;
    if (report[2] & 0x80)
        return 3;
    if (report[3] & 0x01)
        return 4;
    if (report[3] & 0x02)
        return 5;
    return 0;
}

} // namespace

CPanelClass_Switch::CPanelClass_Switch(IHidDriver& hid, IPanelSimConnect& simConnect)
    : CPanelClass(hid, simConnect) {}

CPanelClass_Switch::~CPanelClass_Switch() {
    CloseAllDevices();
}

bool CPanelClass_Switch::IsPanelDevice(const wchar_t* path) {
    return IsDeviceOfProduct(path, kSwitchPanelProductId);
}

void CPanelClass_Switch::OnSimInitialize(DWORD&) {
    m_defineid = static_cast<LONG>(SimConnect().NextDefineId());
    DWORD counter = 0;
    if (!AddDatums(kSwitchDatums, std::size(kSwitchDatums), counter))
        return;
    MapEvents(kSwitchEventNames, m_events, EventCount);
    SetPriority();
}

void CPanelClass_Switch::OnSimRecieveData(DWORD requestId, const void* data, DWORD size) {
    ReceiveData(requestId, data, size, m_data,
                [this](CPanelDevice& device) { WriteLamps(device, GearLamps()); });
}

void CPanelClass_Switch::OnDeviceAttached(CPanelDevice& device) {
    std::lock_guard<std::mutex> lock(PanelLock());
    WriteLamps(device, 0);
}

void CPanelClass_Switch::OnDeviceDetached(CPanelDevice& device) {
    std::lock_guard<std::mutex> lock(PanelLock());
    WriteLamps(device, 0);
}

void CPanelClass_Switch::WriteLamps(CPanelDevice& device, BYTE lamps) {
    BYTE report[kLampReportLength] = {0x00, lamps};
    device.QueueFeatureReport(report, kLampReportLength);
}

BYTE CPanelClass_Switch::GearLamps() const {
    bool powered = m_data.battery != 0;
    for (INT32 alternator : m_data.alternator)
        powered = powered || alternator != 0;
    if (m_data.gearRetractable == 0 || !powered)
        return 0;
    BYTE lamps = 0;
    for (int leg = 0; leg < 3; ++leg) {
        float position = m_data.gear[leg];
        if (position > kGearDown)
            lamps |= static_cast<BYTE>(0x01 << leg);
        else if (position >= kGearUp)
            lamps |= static_cast<BYTE>(0x08 << leg);
    }
    return lamps;
}

void CPanelClass_Switch::OnInputReport(CPanelDevice& device, DWORD count, const BYTE* previous,
                                       const BYTE* current) {
    if (count != kReportBytes)
        return;
    HandleInput(device, [&](PendingEvents& events) { DecideSwitches(previous, current, events); });
}

void CPanelClass_Switch::DecideSwitches(const BYTE* previous, const BYTE* current,
                                        PendingEvents& events) const {
    auto level = [](const BYTE* report, int byte, BYTE bit) { return (report[byte] & bit) != 0; };
    auto changed = [&](int byte, BYTE bit) {
        return level(current, byte, bit) != level(previous, byte, bit);
    };
    // A toggle is sent only where the simulator's state differs from the switch's new level.
    auto toggle = [&](int byte, BYTE bit, INT32 simulatorState, Event event) {
        if (changed(byte, bit) && level(current, byte, bit) != (simulatorState != 0))
            events.push_back({m_events[event], 0});
    };
    auto toggleEachEngine = [&](int byte, BYTE bit, const INT32* states, Event first) {
        for (int engine = 0; engine < 4; ++engine)
            toggle(byte, bit, states[engine], static_cast<Event>(first + engine));
    };

    toggle(1, 0x01, m_data.battery, ToggleMasterBattery);
    toggleEachEngine(1, 0x02, m_data.alternator, ToggleAlternator1);
    toggle(1, 0x04, m_data.avionicsMaster, ToggleAvionicsMaster);
    toggleEachEngine(1, 0x08, m_data.fuelPump, ToggleFuelPump1);
    if (changed(1, 0x10))
        events.push_back({m_events[AntiIceSet], level(current, 1, 0x10) ? 1u : 0u});
    toggle(1, 0x20, m_data.pitotHeat, PitotHeatToggle);
    if (changed(1, 0x40)) {
        DWORD position = level(current, 1, 0x40) ? 0 : kCowlFlapsClosed;
        for (int engine = 0; engine < 4; ++engine)
            events.push_back({m_events[CowlFlap1Set + engine], position});
    }
    toggle(1, 0x80, m_data.lightPanel, PanelLightsToggle);
    toggle(2, 0x01, m_data.lightBeacon, ToggleBeaconLights);
    toggle(2, 0x02, m_data.lightNav, ToggleNavLights);
    toggle(2, 0x04, m_data.lightStrobe, StrobesToggle);
    toggle(2, 0x08, m_data.lightTaxi, ToggleTaxiLights);
    toggle(2, 0x10, m_data.lightLanding, LandingLightsToggle);

    int magneto = MagnetoPosition(current);
    if (magneto != 0 && magneto != MagnetoPosition(previous))
        for (int engine = 0; engine < 4; ++engine)
            events.push_back({m_events[Magneto1Set + engine], static_cast<DWORD>(magneto - 1)});

    if (changed(3, 0x04) && level(current, 3, 0x04))
        events.push_back({m_events[GearUp], 0});
    else if (changed(3, 0x08) && level(current, 3, 0x08))
        events.push_back({m_events[GearDown], 0});
}
