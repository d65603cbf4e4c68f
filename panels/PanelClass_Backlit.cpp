#include "panels/PanelClass_Backlit.h"

#include "panels/LampProgrammingFile.h"
#include "panels/PanelIds.h"

using simconnect::DataTypeFloat32;
using simconnect::DataTypeInt32;

namespace {

#define BACKLIT_DATUM(name, units, type)                                                           \
    { name, units, type, 0.0f, L"AddToDataDefinition(m_defineid, " L##name L",...)" }

const PanelDatum kIndicatorDatums[] = {
    BACKLIT_DATUM("PITOT HEAT", "Bool", DataTypeInt32),
    BACKLIT_DATUM("STALL WARNING", "Bool", DataTypeInt32),
    BACKLIT_DATUM("CANOPY OPEN", "Percent Over 100", DataTypeFloat32),
    BACKLIT_DATUM("BRAKE PARKING INDICATOR", "Bool", DataTypeInt32),
    BACKLIT_DATUM("LIGHT BEACON", "Bool", DataTypeInt32),
    BACKLIT_DATUM("LIGHT STROBE", "Bool", DataTypeInt32),
    BACKLIT_DATUM("LIGHT LANDING", "Bool", DataTypeInt32),
    BACKLIT_DATUM("GEAR TOTAL PCT EXTENDED", "Percentage", DataTypeFloat32),
    BACKLIT_DATUM("SUCTION PRESSURE", "inHg", DataTypeFloat32),
};

const PanelDatum kEngineDatums[] = {
    BACKLIT_DATUM("NUMBER OF ENGINES", "Number", DataTypeInt32),
    BACKLIT_DATUM("ENGINE TYPE", "Enum", DataTypeInt32),
    BACKLIT_DATUM("GENERAL ENG OIL PRESSURE:1", "Psi", DataTypeFloat32),
    BACKLIT_DATUM("GENERAL ENG OIL PRESSURE:2", "Psi", DataTypeFloat32),
    BACKLIT_DATUM("GENERAL ENG OIL PRESSURE:3", "Psi", DataTypeFloat32),
    BACKLIT_DATUM("GENERAL ENG OIL PRESSURE:4", "Psi", DataTypeFloat32),
    BACKLIT_DATUM("GENERAL ENG OIL TEMPERATURE:1", "Celsius", DataTypeFloat32),
    BACKLIT_DATUM("GENERAL ENG OIL TEMPERATURE:2", "Celsius", DataTypeFloat32),
    BACKLIT_DATUM("GENERAL ENG OIL TEMPERATURE:3", "Celsius", DataTypeFloat32),
    BACKLIT_DATUM("GENERAL ENG OIL TEMPERATURE:4", "Celsius", DataTypeFloat32),
    BACKLIT_DATUM("GENERAL ENG FUEL PRESSURE:1", "Psi", DataTypeFloat32),
    BACKLIT_DATUM("GENERAL ENG FUEL PRESSURE:2", "Psi", DataTypeFloat32),
    BACKLIT_DATUM("GENERAL ENG FUEL PRESSURE:3", "Psi", DataTypeFloat32),
    BACKLIT_DATUM("GENERAL ENG FUEL PRESSURE:4", "Psi", DataTypeFloat32),
    BACKLIT_DATUM("ENG ON FIRE:1", "Bool", DataTypeInt32),
    BACKLIT_DATUM("ENG ON FIRE:2", "Bool", DataTypeInt32),
    BACKLIT_DATUM("ENG ON FIRE:3", "Bool", DataTypeInt32),
    BACKLIT_DATUM("ENG ON FIRE:4", "Bool", DataTypeInt32),
    BACKLIT_DATUM("ROTOR RPM PCT", "Percent Over 100", DataTypeFloat32),
};

const PanelDatum kRadioDatums[] = {
    BACKLIT_DATUM("GPS DRIVES NAV1", "Bool", DataTypeInt32),
    BACKLIT_DATUM("NAV SOUND:1", "Bool", DataTypeInt32),
    BACKLIT_DATUM("NAV SOUND:2", "Bool", DataTypeInt32),
    BACKLIT_DATUM("COM TRANSMIT:1", "Bool", DataTypeInt32),
    BACKLIT_DATUM("COM TRANSMIT:2", "Bool", DataTypeInt32),
    BACKLIT_DATUM("COM RECIEVE ALL", "Bool", DataTypeInt32),
    BACKLIT_DATUM("DME SOUND", "Bool", DataTypeInt32),
    BACKLIT_DATUM("ADF SOUND:0", "Bool", DataTypeInt32),
    BACKLIT_DATUM("ADF SOUND:1", "Bool", DataTypeInt32),
    BACKLIT_DATUM("MARKER SOUND", "Bool", DataTypeInt32),
    BACKLIT_DATUM("AUTOPILOT MASTER", "Bool", DataTypeInt32),
    BACKLIT_DATUM("AUTOPILOT AVAILABLE", "Bool", DataTypeInt32),
};

const PanelDatum kFuelDatums[] = {
    BACKLIT_DATUM("FUEL TANK CENTER CAPACITY", "Gallons", DataTypeFloat32),
    BACKLIT_DATUM("FUEL TANK CENTER QUANTITY", "Gallons", DataTypeFloat32),
    BACKLIT_DATUM("FUEL LEFT CAPACITY", "Gallons", DataTypeFloat32),
    BACKLIT_DATUM("FUEL LEFT QUANTITY", "Gallons", DataTypeFloat32),
    BACKLIT_DATUM("FUEL RIGHT CAPACITY", "Gallons", DataTypeFloat32),
    BACKLIT_DATUM("FUEL RIGHT QUANTITY", "Gallons", DataTypeFloat32),
    BACKLIT_DATUM("FUEL TOTAL CAPACITY", "Gallons", DataTypeFloat32),
    BACKLIT_DATUM("FUEL TOTAL QUANTITY", "Gallons", DataTypeFloat32),
    BACKLIT_DATUM("FUEL CROSS FEED", "Enum", DataTypeInt32),
};

#undef BACKLIT_DATUM

constexpr BYTE kLampReportId = 0xB8;
constexpr BYTE kBrightnessReportId = 0xB2;
constexpr BYTE kFullBrightness = 100;
constexpr DWORD kBrightnessSettleMs = 50;
constexpr LONG kHelicopterEngine = 3;
constexpr float kLowOilPressure = 25.0f;
constexpr float kHighOilTemperature = 115.0f;
constexpr float kLowFuelPressure = 5.0f;
constexpr float kLowRotorRpm = 0.9f;
constexpr float kLowFuelRatio = 0.1f;
constexpr float kLowSuction = 1.4f;

} // namespace

CPanelClass_Backlit::CPanelClass_Backlit(IHidDriver& hid, IPanelSimConnect& simConnect)
    : CPanelClass(hid, simConnect) {}

CPanelClass_Backlit::~CPanelClass_Backlit() {
    CloseAllDevices();
}

bool CPanelClass_Backlit::IsPanelDevice(const wchar_t* path) {
    return IsDeviceOfProduct(path, kAnnunciatorPanelProductId);
}

void CPanelClass_Backlit::OnSimInitialize(DWORD&) {
    m_defineid = static_cast<LONG>(SimConnect().NextDefineId());
    DWORD counter = 0;
    // A failure ends only its own group.
    AddDatums(kIndicatorDatums, std::size(kIndicatorDatums), counter);
    AddDatums(kEngineDatums, std::size(kEngineDatums), counter);
    AddDatums(kRadioDatums, std::size(kRadioDatums), counter);
    AddDatums(kFuelDatums, std::size(kFuelDatums), counter);
}

void CPanelClass_Backlit::OnSimRecieveData(DWORD requestId, const void* data, DWORD size) {
    ReceiveData(requestId, data, size, m_data, [this](CPanelDevice& device) {
        auto* programming = static_cast<LampProgramming*>(device.PanelData().get());
        if (!programming)
            return;
        LampReport report = {{kLampReportId}, false, false};
        BuildReport(*programming, report);
        device.QueueFeatureReport(report.bytes, kLampReportLength);
    });
}

void CPanelClass_Backlit::OnDeviceAttached(CPanelDevice& device) {
    auto programming = std::make_unique<LampProgramming>();
    LoadLampProgramming(device.FeatureDevice(), *programming);
    {
        std::lock_guard<std::mutex> lock(PanelLock());
        device.PanelData() = std::move(programming);
        BYTE brightness[kBrightnessReportLength] = {kBrightnessReportId, kFullBrightness};
        device.QueueFeatureReport(brightness, kBrightnessReportLength);
    }
    device.WriteFeatureReports();
    // The panel needs a moment after the brightness before it takes the lamps.
    Sleep(kBrightnessSettleMs);
    std::lock_guard<std::mutex> lock(PanelLock());
    WriteDark(device);
}

void CPanelClass_Backlit::OnDeviceDetached(CPanelDevice& device) {
    std::lock_guard<std::mutex> lock(PanelLock());
    device.PanelData().reset();
    WriteDark(device);
}

void CPanelClass_Backlit::WriteDark(CPanelDevice& device) {
    BYTE dark[kLampReportLength] = {kLampReportId};
    device.QueueFeatureReport(dark, kLampReportLength);
}

void CPanelClass_Backlit::SetLamp(const LampAssignment* assignment, bool condition,
                                  LampReport& report) {
    // Lamps the report has no bit for are never written.
    if (!assignment || assignment->lamp < 0 || assignment->lamp >= kLampCount)
        return;
    BYTE& green = report.bytes[1 + assignment->lamp / 8];
    BYTE& red = report.bytes[4 + assignment->lamp / 8];
    BYTE bit = static_cast<BYTE>(1 << (assignment->lamp % 8));
    if (!condition) {
        green &= static_cast<BYTE>(~bit);
        red &= static_cast<BYTE>(~bit);
        return;
    }
    switch (assignment->colour) {
    case LampColourGreen:
        green |= bit;
        red &= static_cast<BYTE>(~bit);
        break;
    case LampColourRed:
        green &= static_cast<BYTE>(~bit);
        red |= bit;
        report.redLit = true;
        break;
    case LampColourAmber:
        green |= bit;
        red |= bit;
        report.amberLit = true;
        break;
    default:
        break;
    }
}

void CPanelClass_Backlit::EvaluateEngines(const LampProgramming& p, LampReport& report) const {
    const Data& d = m_data;
    auto set = [&](const wchar_t* name, bool condition) {
        SetLamp(p.Find(name), condition, report);
    };
    auto lowOil = [&](int k) { return d.oilPressure[k] < kLowOilPressure; };
    auto hotOil = [&](int k) { return d.oilTemperature[k] > kHighOilTemperature; };
    auto lowFuel = [&](int k) { return d.fuelPressure[k] < kLowFuelPressure; };
    static const wchar_t* const kFire[] = {L"Engine1Fire", L"Engine2Fire", L"Engine3Fire",
                                           L"Engine4Fire"};
    static const wchar_t* const kOil[] = {L"Engine1OilPressure", L"Engine2OilPressure",
                                          L"Engine3OilPressure", L"Engine4OilPressure"};
    static const wchar_t* const kTemp[] = {L"Engine1OilTemp", L"Engine2OilTemp", L"Engine3OilTemp",
                                           L"Engine4OilTemp"};

    int engines = d.engineCount;
    if (engines != 1 && engines != 2 && engines != 4)
        return;
    auto any = [engines](auto test) {
        for (int k = 0; k < engines; ++k)
            if (test(k))
                return true;
        return false;
    };

    if (engines == 1) {
        set(L"EngineFire", d.engineFire[0] != 0);
    } else if (engines == 2) {
        set(L"LeftEngineFire", d.engineFire[0] != 0);
        set(L"RightEngineFire", d.engineFire[1] != 0);
    } else {
        for (int k = 0; k < 4; ++k)
            set(kFire[k], d.engineFire[k] != 0);
    }

    set(L"OilPressure", any(lowOil));
    for (int k = 0; k < engines; ++k)
        set(kOil[k], lowOil(k));

    set(L"EngineOilTemp", any(hotOil));
    for (int k = 0; k < engines; ++k)
        set(kTemp[k], hotOil(k));

    set(L"LowPressure", any(lowFuel));
}

void CPanelClass_Backlit::EvaluateGear(const LampProgramming& p, LampReport& report) const {
    float extended = m_data.gearExtended;
    bool up = extended == 0.0f;
    bool down = extended == 1.0f;
    SetLamp(p.Find(L"GearUp"), up, report);
    SetLamp(p.Find(L"Up"), up, report);
    SetLamp(p.Find(L"GearDown"), down, report);
    SetLamp(p.Find(L"Down"), down, report);
    SetLamp(p.Find(L"GearUnsafe"), !up && !down, report);
}

void CPanelClass_Backlit::BuildReport(const LampProgramming& p, LampReport& report) const {
    const Data& d = m_data;
    auto set = [&](const wchar_t* name, bool condition) {
        SetLamp(p.Find(name), condition, report);
    };
    // Later indications decide a lamp that several share.
    set(L"GPS", d.gpsDrivesNav1 != 0);
    set(L"NAV", d.gpsDrivesNav1 == 0);
    set(L"NAV1", d.navSound[0] != 0);
    set(L"NAV2", d.navSound[1] != 0);
    set(L"COM1", d.comTransmit[0] != 0);
    set(L"COM2", d.comTransmit[1] != 0);
    set(L"Both", d.comReceiveAll != 0);
    set(L"DME", d.dmeSound != 0);
    set(L"ADF", d.adfSound[0] != 0 || d.adfSound[1] != 0);
    set(L"MKR", d.markerSound != 0);
    set(L"AutoPilot", d.autopilotAvailable != 0);
    set(L"APMaster", d.autopilotMaster != 0);
    EvaluateEngines(p, report);
    if (d.engineType == kHelicopterEngine)
        set(L"RotorLowRpm", d.rotorRpm < kLowRotorRpm);
    // A capacity of 0 gives infinity or NaN, which is never below the ratio.
    set(L"CentreFuelLow", d.centreQuantity / d.centreCapacity < kLowFuelRatio);
    set(L"LeftFuelLow", d.leftQuantity / d.leftCapacity < kLowFuelRatio);
    set(L"RightFuelLow", d.rightQuantity / d.rightCapacity < kLowFuelRatio);
    set(L"FuelLow", d.totalQuantity / d.totalCapacity < kLowFuelRatio);
    set(L"FuelCrossFeed", d.crossFeed != 0);
    EvaluateGear(p, report);
    set(L"BeaconLight", d.lightBeacon != 0);
    set(L"LandingLights", d.lightLanding != 0);
    set(L"StrobeLight", d.lightStrobe != 0);
    set(L"ParkingBrakes", d.parkingBrake != 0);
    set(L"PitotHeat", d.pitotHeat != 0);
    set(L"StallWarning", d.stallWarning != 0);
    set(L"DoorWarning", d.canopyOpen != 0.0f);
    set(L"VacLow", d.suction < kLowSuction);
    set(L"MasterCaution", report.amberLit);
    set(L"MasterWarning", report.redLit);
}
