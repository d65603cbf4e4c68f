#include "panels/LampProgramming.h"

namespace {

const wchar_t* const kIndicationNames[] = {
    L"EngineFire",
    L"Engine1Fire",
    L"Engine2Fire",
    L"Engine3Fire",
    L"Engine4Fire",
    L"LeftEngineFire",
    L"RightEngineFire",
    L"LowPressure",
    L"OilPressure",
    L"Engine1OilPressure",
    L"Engine2OilPressure",
    L"Engine3OilPressure",
    L"Engine4OilPressure",
    L"EngineOilTemp",
    L"Engine1OilTemp",
    L"Engine2OilTemp",
    L"Engine3OilTemp",
    L"Engine4OilTemp",
    L"RotorLowRpm",
    L"NAV",
    L"NAV1",
    L"NAV2",
    L"COM1",
    L"COM2",
    L"Both",
    L"DME",
    L"ADF",
    L"MKR",
    L"AutoPilot",
    L"APMaster",
    L"GPS",
    L"GearUp",
    L"GearDown",
    L"Down",
    L"Up",
    L"GearUnsafe",
    L"MasterCaution",
    L"MasterWarning",
    L"BeaconLight",
    L"LandingLights",
    L"ParkingBrakes",
    L"PitotHeat",
    L"StallWarning",
    L"DoorWarning",
    L"VacLow",
    L"StrobeLight",
    L"FuelLow",
    L"LeftFuelLow",
    L"RightFuelLow",
    L"CentreFuelLow",
    L"FuelCrossFeed",
};
static_assert(std::size(kIndicationNames) == 51);

} // namespace

LampProgramming::LampProgramming() {
    for (const wchar_t* name : kIndicationNames) {
        auto assignment = std::make_unique<LampAssignment>();
        assignment->name = name;
        m_assignments.emplace(name, std::move(assignment));
    }
}

LampAssignment* LampProgramming::Find(const std::wstring& name) {
    auto found = m_assignments.find(name);
    return found == m_assignments.end() ? nullptr : found->second.get();
}

const LampAssignment* LampProgramming::Find(const std::wstring& name) const {
    auto found = m_assignments.find(name);
    return found == m_assignments.end() ? nullptr : found->second.get();
}
