#include "panels/PanelClass_Autopilot.h"

#include "app/trace/Trace.h"
#include "panels/PanelDigits.h"
#include "panels/PanelIds.h"

#include <cmath>
#include <cstring>

using simconnect::DataTypeFloat32;
using simconnect::DataTypeInt32;

namespace {

const PanelDatum kAutopilotDatums[] = {
    {"AUTOPILOT ALTITUDE LOCK VAR", "Feet", DataTypeFloat32, 0.0f,
     L"AddToDataDefinition(m_defineid, AUTOPILOT ALTITUDE LOCK VAR, ...)"},
    {"AUTOPILOT VERTICAL HOLD VAR", "Feet/Minute", DataTypeFloat32, 0.0f,
     L"AddToDataDefinition(m_defineid, AUTOPILOT HOLD LOCK VAR, ...)"},
    {"AUTOPILOT HEADING LOCK DIR", "Degrees", DataTypeFloat32, 0.0f,
     L"AddToDataDefinition(m_defineid, AUTOPILOT HEADING LOCK VAR, ...)"},
    {"AUTOPILOT AIRSPEED HOLD VAR", "Knots", DataTypeFloat32, 0.0f,
     L"AddToDataDefinition(m_defineid, AUTOPILOT AIRSPEED LOCK VAR, ...)"},
    {"NAV OBS:1", "Degrees", DataTypeFloat32, 0.0f,
     L"AddToDataDefinition(m_defineid, NAV OBS:1, ...)"},
    {"AUTOPILOT THROTTLE ARM", "BOOL", DataTypeInt32, 0.0f,
     L"AddToDataDefinition(m_defineid, AUTOPILOT THROTTLE LOCK VAR, ...)"},
    {"AUTOPILOT MASTER", "BOOL", DataTypeInt32, 0.0f,
     L"AddToDataDefinition(m_defineid, AUTOPILOT MASTER, ...)"},
    {"AUTOPILOT HEADING LOCK", "BOOL", DataTypeInt32, 0.0f,
     L"AddToDataDefinition(m_defineid, AUTOPILOT HEADING LOCK, ...)"},
    {"AUTOPILOT NAV1 LOCK", "BOOL", DataTypeInt32, 0.0f,
     L"AddToDataDefinition(m_defineid, AUTOPILOT AV1 LOCK, ...)"},
    {"AUTOPILOT APPROACH HOLD", "BOOL", DataTypeInt32, 0.0f,
     L"AddToDataDefinition(m_defineid, AUTOPILOT APPROACH HOLD, ...)"},
    {"AUTOPILOT BACKCOURSE HOLD", "BOOL", DataTypeInt32, 0.0f,
     L"AddToDataDefinition(m_defineid, AUTOPILOT BACKCOURSE HOLD, ...)"},
    {"AUTOPILOT ALTITUDE LOCK", "BOOL", DataTypeInt32, 0.0f,
     L"AddToDataDefinition(m_defineid, AUTOPILOT ALTITUDE LOCK, ...)"},
    {"AUTOPILOT VERTICAL HOLD", "BOOL", DataTypeInt32, 0.0f,
     L"AddToDataDefinition(m_defineid, AUTOPILOT VERTICAL HOLD, ...)"},
    {"AUTOPILOT AIRSPEED HOLD", "BOOL", DataTypeInt32, 0.0f,
     L"AddToDataDefinition(m_defineid, AUTOPILOT AIRSPEED HOLD, ...)"},
    {"PARTIAL PANEL ELECTRICAL", "ENUM", DataTypeInt32, 0.0f,
     L"AddToDataDefinition(m_defineid, PARTIAL PANEL ELECTRICAL, ...)"},
    {"PARTIAL PANEL AVIONICS", "ENUM", DataTypeInt32, 0.0f,
     L"AddToDataDefinition(m_defineid, PARTIAL PANEL AVIONICS, ...)"},
};

const char* const kUpEventNames[] = {"AP_ALT_VAR_INC", "AP_VS_VAR_INC", "AP_SPD_VAR_INC",
                                     "HEADING_BUG_INC", "VOR1_OBI_INC"};
const char* const kDownEventNames[] = {"AP_ALT_VAR_DEC", "AP_VS_VAR_DEC", "AP_SPD_VAR_DEC",
                                       "HEADING_BUG_DEC", "VOR1_OBI_DEC"};
const char* const kOtherEventNames[] = {
    "AP_MASTER",         "AP_PANEL_HEADING_HOLD",
    "AP_NAV1_HOLD",      "AP_APR_HOLD",
    "AP_BC_HOLD",        "AP_PANEL_ALTITUDE_HOLD",
    "AP_VS_HOLD",        "AP_PANEL_SPEED_HOLD",
    "AUTO_THROTTLE_ARM", "FLAPS_INCR",
    "FLAPS_DECR",        "ELEV_TRIM_UP",
    "ELEV_TRIM_DN",
};

constexpr LONG kModeAltitude = 0;
constexpr LONG kModeVerticalSpeed = 1;
constexpr LONG kModeAirspeed = 2;
constexpr LONG kModeHeading = 3;
constexpr LONG kModeCourse = 4;
constexpr BYTE kMinusSign = 0x0E;
constexpr BYTE kDetachedDigit = 0x0F;
constexpr float kVerticalSpeedThousands = 999.9f;

LONG DecodeMode(BYTE b1, LONG current) {
    int position = SingleBitIndex(b1 & 0x1F, 5);
    return position < 0 ? current : position;
}

// trunc(|x / divisor|) mod 10, in single precision.
BYTE Digit(float x, float divisor) {
    return DigitByte(TruncToInt32(std::fabs(x / divisor)) % 10);
}

void Darken(BYTE* d) {
    memset(d, kDarkDigit, kDigitsPerDisplay);
}

void FormatAltitude(BYTE* d, float x, bool dark) {
    if (dark) {
        Darken(d);
    } else {
        d[0] = Digit(x, 10000.0f);
        d[1] = Digit(x, 1000.0f);
        d[2] = Digit(x, 100.0f);
        d[3] = 0;
        d[4] = 0;
    }
    DebugTrace(L"Altimeter value: %f failed: %d pb: %d %d %d %d", static_cast<double>(x),
               dark ? 1 : 0, d[0], d[1], d[2], d[3]);
}

void FormatVerticalSpeed(BYTE* d, float x, bool dark) {
    if (dark) {
        Darken(d);
    } else if (x < -kVerticalSpeedThousands || x > kVerticalSpeedThousands) {
        d[0] = x < 0 ? kMinusSign : kDarkDigit;
        d[1] = Digit(x, 1000.0f);
        d[2] = Digit(x, 100.0f);
        d[3] = 0;
        d[4] = 0;
    } else {
        d[0] = kDarkDigit;
        d[1] = x < 0 ? kMinusSign : kDarkDigit;
        d[2] = Digit(x, 100.0f);
        d[3] = 0;
        d[4] = 0;
    }
    DebugTrace(L"Vertical Speed value: %f failed: %d pb: %d %d %d %d", static_cast<double>(x),
               dark ? 1 : 0, d[0], d[1], d[2], d[3]);
}

void FormatThreeDigits(BYTE* d, float x, bool dark) {
    if (dark) {
        Darken(d);
        return;
    }
    d[0] = kDarkDigit;
    d[1] = kDarkDigit;
    d[2] = Digit(x, 100.0f);
    d[3] = Digit(x, 10.0f);
    d[4] = Digit(x, 1.0f);
}

} // namespace

CPanelClass_Autopilot::CPanelClass_Autopilot(IHidDriver& hid, IPanelSimConnect& simConnect)
    : CPanelClass(hid, simConnect) {}

CPanelClass_Autopilot::~CPanelClass_Autopilot() {
    CloseAllDevices();
}

bool CPanelClass_Autopilot::IsPanelDevice(const wchar_t* path) {
    return IsDeviceOfProduct(path, kMultiPanelProductId);
}

void CPanelClass_Autopilot::OnSimInitialize(DWORD&) {
    m_defineid = static_cast<LONG>(SimConnect().NextDefineId());
    DWORD counter = 0;
    AddPowerDefinitions(counter);
    if (!AddDatums(kAutopilotDatums, std::size(kAutopilotDatums), counter))
        return;
    for (int mode = 0; mode < kModes; ++mode) {
        m_events[Up0 + mode] = SimConnect().MapClientEvent(kUpEventNames[mode]);
        m_events[Down0 + mode] = SimConnect().MapClientEvent(kDownEventNames[mode]);
    }
    MapEvents(kOtherEventNames, m_events + ApMaster, std::size(kOtherEventNames));
    SetPriority();
}

void CPanelClass_Autopilot::OnSimRecieveData(DWORD requestId, const void* data, DWORD size) {
    ReceiveData(requestId, data, size, m_data,
                [this](CPanelDevice& device) { Refresh(device, false); });
}

void CPanelClass_Autopilot::OnDeviceAttached(CPanelDevice& device) {
    BYTE report[kReportLength] = {};
    device.FeatureDevice().GetFeature(report, kReportLength);
    std::lock_guard<std::mutex> lock(PanelLock());
    device.SetDeviceValue(kModeKey, DecodeMode(report[1], kModeAltitude));
    Refresh(device, true);
}

void CPanelClass_Autopilot::OnDeviceDetached(CPanelDevice& device) {
    BYTE report[kReportLength] = {};
    memset(report + 1, kDetachedDigit, 2 * kDigitsPerDisplay);
    std::lock_guard<std::mutex> lock(PanelLock());
    device.QueueFeatureReport(report, kReportLength);
}

bool CPanelClass_Autopilot::ControlsLive() const {
    return IsAvionicsPowered(m_data.power) && m_data.partialPanelElectrical == 0 &&
           m_data.partialPanelAvionics == 0;
}

void CPanelClass_Autopilot::OnInputReport(CPanelDevice& device, DWORD, const BYTE* previous,
                                          const BYTE* current) {
    const BYTE r1 = NewlySet(previous, current, 1);
    const BYTE r2 = NewlySet(previous, current, 2);
    const BYTE r3 = NewlySet(previous, current, 3);
    HandleInput(device, [&](PendingEvents& events) {
        LONG mode = DecodeMode(r1, device.GetDeviceValue(kModeKey));
        bool modeChanged = mode != device.GetDeviceValue(kModeKey);
        if (modeChanged)
            device.SetDeviceValue(kModeKey, mode);
        DecideControls(mode, previous, current, r1, r2, r3, events);
        Refresh(device, modeChanged);
    });
}

void CPanelClass_Autopilot::DecideControls(LONG mode, const BYTE* previous, const BYTE* current,
                                           BYTE r1, BYTE r2, BYTE r3, PendingEvents& events) const {
    bool live = ControlsLive();
    auto send = [&](bool when, Event event) {
        if (when)
            events.push_back({m_events[event], 0});
    };
    if (mode >= 0 && mode < kModes) {
        send(live && (r1 & 0x20), static_cast<Event>(Up0 + mode));
        send(live && (r1 & 0x40), static_cast<Event>(Down0 + mode));
    }
    send(live && (r1 & 0x80), ApMaster);
    send(live && (r2 & 0x01), HeadingHold);
    send(live && (r2 & 0x02), Nav1Hold);
    send(live && (r2 & 0x04), SpeedHold);
    send(live && (r2 & 0x08), AltitudeHold);
    send(live && (r2 & 0x10), VerticalSpeedHold);
    send(live && (r2 & 0x20), ApproachHold);
    send(live && (r2 & 0x40), BackcourseHold);

    // The arm switch only ever brings the simulator into line with its own position.
    bool armed = (current[2] & 0x80) != 0;
    bool wasArmed = (previous[2] & 0x80) != 0;
    send(armed != wasArmed && armed != (m_data.throttleArm != 0), AutoThrottleArm);

    send(r3 & 0x01, FlapsDecr);
    send(r3 & 0x02, FlapsIncr);
    send(r3 & 0x04, ElevTrimDn);
    send(r3 & 0x08, ElevTrimUp);
}

BYTE CPanelClass_Autopilot::Lamps() const {
    BYTE lamps = 0;
    const INT32 items[] = {m_data.master,       m_data.headingLock,   m_data.nav1Lock,
                           m_data.airspeedHold, m_data.altitudeLock,  m_data.verticalHold,
                           m_data.approachHold, m_data.backcourseHold};
    for (int i = 0; i < 8; ++i)
        if (items[i] != 0)
            lamps |= static_cast<BYTE>(1 << i);
    return lamps;
}

void CPanelClass_Autopilot::Refresh(CPanelDevice& device, bool force) {
    BYTE report[kReportLength] = {};
    BYTE* upper = report + 1;
    BYTE* lower = report + 1 + kDigitsPerDisplay;
    if (!IsAvionicsPowered(m_data.power)) {
        Darken(upper);
        Darken(lower);
    } else {
        bool dark = m_data.partialPanelElectrical != 0 || m_data.partialPanelAvionics != 0;
        LONG mode = device.GetDeviceValue(kModeKey);
        Darken(upper);
        Darken(lower);
        if (mode == kModeAltitude || mode == kModeVerticalSpeed) {
            FormatAltitude(upper, m_data.altitude, dark);
            FormatVerticalSpeed(lower, m_data.verticalSpeed, dark);
        } else if (mode == kModeAirspeed) {
            FormatThreeDigits(upper, m_data.airspeed, dark);
        } else if (mode == kModeHeading) {
            FormatThreeDigits(upper, m_data.heading, dark);
        } else if (mode == kModeCourse) {
            FormatThreeDigits(upper, m_data.course, dark);
        }
        if (!dark)
            report[11] = Lamps();
    }
    bool changed = device.ReportChanged(report, kReportLength);
    if (changed || force) {
        DebugTrace(L"The report[11] will be set: 0x%x", report[11]);
        device.QueueFeatureReport(report, kReportLength);
    }
}
