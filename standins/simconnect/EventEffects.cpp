#include "standins/simconnect/EventEffects.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

enum class EffectKind {
    Whole,         // frequency: the whole part steps and wraps within the band, the fraction stays
    FractionCarry, // frequency: the fraction steps and carries into the whole part, band wraps
    Fraction,      // frequency: the fraction steps and wraps within the same whole part
    Swap,          // exchange two variables
    Toggle,        // 0 <-> 1
    Set,           // set to the amount
    SetFromData,   // set to the event's data times the amount
    Step,          // add the amount, wrapping or clamping to the limits
    CodeDigit,     // one digit (place given by the amount's size) of an octal code steps and wraps
};

struct Limits {
    double low;
    double high;
    bool wrap;           // wrap around instead of clamping
    double wholeStep;    // frequencies: the step of the whole part, in Hz
    double fractionStep; // frequencies: the step of the fraction, in Hz
};

// Frequencies are worked in whole Hz; the bands' ends are the highest and lowest channels.
const Limits kComBand = {118000000, 136975000, true, 1000000, 25000};
const Limits kNavBand = {108000000, 117950000, true, 1000000, 50000};
const Limits kAdfBand = {100000, 1799900, true, 1000, 100};
const Limits kHeading = {0, 360, true, 0, 0};
const Limits kAltitude = {0, 99900, false, 0, 0};
const Limits kVerticalSpeed = {-9900, 9900, false, 0, 0};
const Limits kAirspeed = {0, 999, false, 0, 0};
const Limits kFlapsIndex = {0, 4, false, 0, 0};
const Limits kTrim = {-20, 20, false, 0, 0};
const Limits kAltimeterSetting = {28.0, 31.0, false, 0, 0};

struct Effect {
    const char* eventName;
    EffectKind kind;
    const char* variable;
    const char* units; // units of the amount and the log line; for Swap the second variable
    double amount;     // +1/-1 for frequency steps
    const Limits* limits;
};

constexpr double kCowlFlapScale = 100.0 / 16383.0; // event data 0..16383 -> percent

// clang-format off
const Effect kEffects[] = {
    {"COM_RADIO_WHOLE_INC",        EffectKind::Whole,         "COM STANDBY FREQUENCY:1", "MHz", +1, &kComBand},
    {"COM_RADIO_WHOLE_DEC",        EffectKind::Whole,         "COM STANDBY FREQUENCY:1", "MHz", -1, &kComBand},
    {"COM_RADIO_FRACT_INC_CARRY",  EffectKind::FractionCarry, "COM STANDBY FREQUENCY:1", "MHz", +1, &kComBand},
    {"COM_RADIO_FRACT_DEC_CARRY",  EffectKind::FractionCarry, "COM STANDBY FREQUENCY:1", "MHz", -1, &kComBand},
    {"COM_RADIO_FRACT_INC",        EffectKind::Fraction,      "COM STANDBY FREQUENCY:1", "MHz", +1, &kComBand},
    {"COM_RADIO_FRACT_DEC",        EffectKind::Fraction,      "COM STANDBY FREQUENCY:1", "MHz", -1, &kComBand},
    {"COM_STBY_RADIO_SWAP",        EffectKind::Swap,          "COM ACTIVE FREQUENCY:1", "COM STANDBY FREQUENCY:1", 0, nullptr},
    {"COM2_RADIO_WHOLE_INC",       EffectKind::Whole,         "COM STANDBY FREQUENCY:2", "MHz", +1, &kComBand},
    {"COM2_RADIO_WHOLE_DEC",       EffectKind::Whole,         "COM STANDBY FREQUENCY:2", "MHz", -1, &kComBand},
    {"COM2_RADIO_FRACT_INC_CARRY", EffectKind::FractionCarry, "COM STANDBY FREQUENCY:2", "MHz", +1, &kComBand},
    {"COM2_RADIO_FRACT_DEC_CARRY", EffectKind::FractionCarry, "COM STANDBY FREQUENCY:2", "MHz", -1, &kComBand},
    {"COM2_RADIO_FRACT_INC",       EffectKind::Fraction,      "COM STANDBY FREQUENCY:2", "MHz", +1, &kComBand},
    {"COM2_RADIO_FRACT_DEC",       EffectKind::Fraction,      "COM STANDBY FREQUENCY:2", "MHz", -1, &kComBand},
    {"COM2_RADIO_SWAP",            EffectKind::Swap,          "COM ACTIVE FREQUENCY:2", "COM STANDBY FREQUENCY:2", 0, nullptr},
    {"NAV1_RADIO_WHOLE_INC",       EffectKind::Whole,         "NAV STANDBY FREQUENCY:1", "MHz", +1, &kNavBand},
    {"NAV1_RADIO_WHOLE_DEC",       EffectKind::Whole,         "NAV STANDBY FREQUENCY:1", "MHz", -1, &kNavBand},
    {"NAV1_RADIO_FRACT_INC_CARRY", EffectKind::FractionCarry, "NAV STANDBY FREQUENCY:1", "MHz", +1, &kNavBand},
    {"NAV1_RADIO_FRACT_DEC_CARRY", EffectKind::FractionCarry, "NAV STANDBY FREQUENCY:1", "MHz", -1, &kNavBand},
    {"NAV1_RADIO_FRACT_INC",       EffectKind::Fraction,      "NAV STANDBY FREQUENCY:1", "MHz", +1, &kNavBand},
    {"NAV1_RADIO_FRACT_DEC",       EffectKind::Fraction,      "NAV STANDBY FREQUENCY:1", "MHz", -1, &kNavBand},
    {"NAV1_RADIO_SWAP",            EffectKind::Swap,          "NAV ACTIVE FREQUENCY:1", "NAV STANDBY FREQUENCY:1", 0, nullptr},
    {"NAV2_RADIO_WHOLE_INC",       EffectKind::Whole,         "NAV STANDBY FREQUENCY:2", "MHz", +1, &kNavBand},
    {"NAV2_RADIO_WHOLE_DEC",       EffectKind::Whole,         "NAV STANDBY FREQUENCY:2", "MHz", -1, &kNavBand},
    {"NAV2_RADIO_FRACT_INC_CARRY", EffectKind::FractionCarry, "NAV STANDBY FREQUENCY:2", "MHz", +1, &kNavBand},
    {"NAV2_RADIO_FRACT_DEC_CARRY", EffectKind::FractionCarry, "NAV STANDBY FREQUENCY:2", "MHz", -1, &kNavBand},
    {"NAV2_RADIO_FRACT_INC",       EffectKind::Fraction,      "NAV STANDBY FREQUENCY:2", "MHz", +1, &kNavBand},
    {"NAV2_RADIO_FRACT_DEC",       EffectKind::Fraction,      "NAV STANDBY FREQUENCY:2", "MHz", -1, &kNavBand},
    {"NAV2_RADIO_SWAP",            EffectKind::Swap,          "NAV ACTIVE FREQUENCY:2", "NAV STANDBY FREQUENCY:2", 0, nullptr},
    {"ADF1_WHOLE_INC",             EffectKind::Whole,         "ADF ACTIVE FREQUENCY:1", "kHz", +1, &kAdfBand},
    {"ADF1_WHOLE_DEC",             EffectKind::Whole,         "ADF ACTIVE FREQUENCY:1", "kHz", -1, &kAdfBand},
    {"ADF1_RADIO_TENTHS_INC",      EffectKind::Fraction,      "ADF ACTIVE FREQUENCY:1", "kHz", +1, &kAdfBand},
    {"ADF1_RADIO_TENTHS_DEC",      EffectKind::Fraction,      "ADF ACTIVE FREQUENCY:1", "kHz", -1, &kAdfBand},
    {"ADF1_RADIO_SWAP",            EffectKind::Swap,          "ADF ACTIVE FREQUENCY:1", "ADF STANDBY FREQUENCY:1", 0, nullptr},
    {"RADIO_ADF_IDENT_TOGGLE",     EffectKind::Toggle,        "ADF SOUND:1", "Bool", 0, nullptr},
    {"XPNDR_1000_INC",             EffectKind::CodeDigit,     "TRANSPONDER CODE:1", "number", +1000, nullptr},
    {"XPNDR_100_INC",              EffectKind::CodeDigit,     "TRANSPONDER CODE:1", "number", +100, nullptr},
    {"XPNDR_10_INC",               EffectKind::CodeDigit,     "TRANSPONDER CODE:1", "number", +10, nullptr},
    {"XPNDR_1_INC",                EffectKind::CodeDigit,     "TRANSPONDER CODE:1", "number", +1, nullptr},
    {"XPNDR_1000_DEC",             EffectKind::CodeDigit,     "TRANSPONDER CODE:1", "number", -1000, nullptr},
    {"XPNDR_100_DEC",              EffectKind::CodeDigit,     "TRANSPONDER CODE:1", "number", -100, nullptr},
    {"XPNDR_10_DEC",               EffectKind::CodeDigit,     "TRANSPONDER CODE:1", "number", -10, nullptr},
    {"XPNDR_1_DEC",                EffectKind::CodeDigit,     "TRANSPONDER CODE:1", "number", -1, nullptr},
    {"VOR1_OBI_INC",               EffectKind::Step,          "NAV OBS:1", "degrees", +1, &kHeading},
    {"VOR1_OBI_DEC",               EffectKind::Step,          "NAV OBS:1", "degrees", -1, &kHeading},
    {"VOR2_OBI_INC",               EffectKind::Step,          "NAV OBS:2", "degrees", +1, &kHeading},
    {"VOR2_OBI_DEC",               EffectKind::Step,          "NAV OBS:2", "degrees", -1, &kHeading},
    {"HEADING_BUG_INC",            EffectKind::Step,          "AUTOPILOT HEADING LOCK DIR", "degrees", +1, &kHeading},
    {"HEADING_BUG_DEC",            EffectKind::Step,          "AUTOPILOT HEADING LOCK DIR", "degrees", -1, &kHeading},
    {"AP_ALT_VAR_INC",             EffectKind::Step,          "AUTOPILOT ALTITUDE LOCK VAR", "feet", +100, &kAltitude},
    {"AP_ALT_VAR_DEC",             EffectKind::Step,          "AUTOPILOT ALTITUDE LOCK VAR", "feet", -100, &kAltitude},
    {"AP_VS_VAR_INC",              EffectKind::Step,          "AUTOPILOT VERTICAL HOLD VAR", "feet/minute", +100, &kVerticalSpeed},
    {"AP_VS_VAR_DEC",              EffectKind::Step,          "AUTOPILOT VERTICAL HOLD VAR", "feet/minute", -100, &kVerticalSpeed},
    {"AP_SPD_VAR_INC",             EffectKind::Step,          "AUTOPILOT AIRSPEED HOLD VAR", "knots", +1, &kAirspeed},
    {"AP_SPD_VAR_DEC",             EffectKind::Step,          "AUTOPILOT AIRSPEED HOLD VAR", "knots", -1, &kAirspeed},
    {"AP_MASTER",                  EffectKind::Toggle,        "AUTOPILOT MASTER", "Bool", 0, nullptr},
    {"AP_HDG_HOLD_ON",             EffectKind::Set,           "AUTOPILOT HEADING LOCK", "Bool", 1, nullptr},
    {"AP_HDG_HOLD_OFF",            EffectKind::Set,           "AUTOPILOT HEADING LOCK", "Bool", 0, nullptr},
    {"AP_NAV1_HOLD_ON",            EffectKind::Set,           "AUTOPILOT NAV1 LOCK", "Bool", 1, nullptr},
    {"AP_NAV1_HOLD_OFF",           EffectKind::Set,           "AUTOPILOT NAV1 LOCK", "Bool", 0, nullptr},
    {"AP_APR_HOLD_ON",             EffectKind::Set,           "AUTOPILOT APPROACH HOLD", "Bool", 1, nullptr},
    {"AP_APR_HOLD_OFF",            EffectKind::Set,           "AUTOPILOT APPROACH HOLD", "Bool", 0, nullptr},
    {"AP_BC_HOLD_ON",              EffectKind::Set,           "AUTOPILOT BACKCOURSE HOLD", "Bool", 1, nullptr},
    {"AP_BC_HOLD_OFF",             EffectKind::Set,           "AUTOPILOT BACKCOURSE HOLD", "Bool", 0, nullptr},
    {"AP_ALT_HOLD",                EffectKind::Toggle,        "AUTOPILOT ALTITUDE LOCK", "Bool", 0, nullptr},
    {"AP_PANEL_HEADING_HOLD",      EffectKind::Toggle,        "AUTOPILOT HEADING LOCK", "Bool", 0, nullptr},
    {"AP_NAV1_HOLD",               EffectKind::Toggle,        "AUTOPILOT NAV1 LOCK", "Bool", 0, nullptr},
    {"AP_APR_HOLD",                EffectKind::Toggle,        "AUTOPILOT APPROACH HOLD", "Bool", 0, nullptr},
    {"AP_BC_HOLD",                 EffectKind::Toggle,        "AUTOPILOT BACKCOURSE HOLD", "Bool", 0, nullptr},
    {"AP_PANEL_ALTITUDE_HOLD",     EffectKind::Toggle,        "AUTOPILOT ALTITUDE LOCK", "Bool", 0, nullptr},
    {"AP_VS_HOLD",                 EffectKind::Toggle,        "AUTOPILOT VERTICAL HOLD", "Bool", 0, nullptr},
    {"AP_PANEL_SPEED_HOLD",        EffectKind::Toggle,        "AUTOPILOT AIRSPEED HOLD", "Bool", 0, nullptr},
    {"AUTO_THROTTLE_ARM",          EffectKind::Toggle,        "AUTOPILOT THROTTLE ARM", "Bool", 0, nullptr},
    {"FLAPS_INCR",                 EffectKind::Step,          "FLAPS HANDLE INDEX", "number", +1, &kFlapsIndex},
    {"FLAPS_DECR",                 EffectKind::Step,          "FLAPS HANDLE INDEX", "number", -1, &kFlapsIndex},
    {"ALTIMETER_SETTING_INC",      EffectKind::Step,          "ALTIMETER SETTING", "inHg", +0.01, &kAltimeterSetting},
    {"ALTIMETER_SETTING_DEC",      EffectKind::Step,          "ALTIMETER SETTING", "inHg", -0.01, &kAltimeterSetting},
    {"ELEV_TRIM_UP",               EffectKind::Step,          "ELEVATOR TRIM POSITION", "degrees", +0.1, &kTrim},
    {"ELEV_TRIM_DN",               EffectKind::Step,          "ELEVATOR TRIM POSITION", "degrees", -0.1, &kTrim},
    {"GEAR_UP",                    EffectKind::Set,           "GEAR HANDLE POSITION", "Bool", 0, nullptr},
    {"GEAR_UP",                    EffectKind::Set,           "GEAR CENTER POSITION", "percent over 100", 0, nullptr},
    {"GEAR_UP",                    EffectKind::Set,           "GEAR LEFT POSITION", "percent over 100", 0, nullptr},
    {"GEAR_UP",                    EffectKind::Set,           "GEAR RIGHT POSITION", "percent over 100", 0, nullptr},
    {"GEAR_DOWN",                  EffectKind::Set,           "GEAR HANDLE POSITION", "Bool", 1, nullptr},
    {"GEAR_DOWN",                  EffectKind::Set,           "GEAR CENTER POSITION", "percent over 100", 1, nullptr},
    {"GEAR_DOWN",                  EffectKind::Set,           "GEAR LEFT POSITION", "percent over 100", 1, nullptr},
    {"GEAR_DOWN",                  EffectKind::Set,           "GEAR RIGHT POSITION", "percent over 100", 1, nullptr},
    {"TOGGLE_MASTER_BATTERY",      EffectKind::Toggle,        "ELECTRICAL MASTER BATTERY", "Bool", 0, nullptr},
    {"TOGGLE_ALTERNATOR1",         EffectKind::Toggle,        "GENERAL ENG MASTER ALTERNATOR:1", "Bool", 0, nullptr},
    {"TOGGLE_ALTERNATOR2",         EffectKind::Toggle,        "GENERAL ENG MASTER ALTERNATOR:2", "Bool", 0, nullptr},
    {"TOGGLE_ALTERNATOR3",         EffectKind::Toggle,        "GENERAL ENG MASTER ALTERNATOR:3", "Bool", 0, nullptr},
    {"TOGGLE_ALTERNATOR4",         EffectKind::Toggle,        "GENERAL ENG MASTER ALTERNATOR:4", "Bool", 0, nullptr},
    {"TOGGLE_AVIONICS_MASTER",     EffectKind::Toggle,        "AVIONICS MASTER SWITCH", "Bool", 0, nullptr},
    {"TOGGLE_ELECT_FUEL_PUMP1",    EffectKind::Toggle,        "GENERAL ENG FUEL PUMP SWITCH:1", "Bool", 0, nullptr},
    {"TOGGLE_ELECT_FUEL_PUMP2",    EffectKind::Toggle,        "GENERAL ENG FUEL PUMP SWITCH:2", "Bool", 0, nullptr},
    {"TOGGLE_ELECT_FUEL_PUMP3",    EffectKind::Toggle,        "GENERAL ENG FUEL PUMP SWITCH:3", "Bool", 0, nullptr},
    {"TOGGLE_ELECT_FUEL_PUMP4",    EffectKind::Toggle,        "GENERAL ENG FUEL PUMP SWITCH:4", "Bool", 0, nullptr},
    {"ANTI_ICE_SET",               EffectKind::SetFromData,   "PANEL ANTI ICE SWITCH", "Bool", 1, nullptr},
    {"PITOT_HEAT_TOGGLE",          EffectKind::Toggle,        "PITOT HEAT", "Bool", 0, nullptr},
    {"COWLFLAP1_SET",              EffectKind::SetFromData,   "RECIP ENG COWL FLAP POSITION:1", "percent", kCowlFlapScale, nullptr},
    {"COWLFLAP2_SET",              EffectKind::SetFromData,   "RECIP ENG COWL FLAP POSITION:2", "percent", kCowlFlapScale, nullptr},
    {"COWLFLAP3_SET",              EffectKind::SetFromData,   "RECIP ENG COWL FLAP POSITION:3", "percent", kCowlFlapScale, nullptr},
    {"COWLFLAP4_SET",              EffectKind::SetFromData,   "RECIP ENG COWL FLAP POSITION:4", "percent", kCowlFlapScale, nullptr},
    {"PANEL_LIGHTS_TOGGLE",        EffectKind::Toggle,        "LIGHT PANEL", "Bool", 0, nullptr},
    {"TOGGLE_BEACON_LIGHTS",       EffectKind::Toggle,        "LIGHT BEACON", "Bool", 0, nullptr},
    {"TOGGLE_NAV_LIGHTS",          EffectKind::Toggle,        "LIGHT NAV", "Bool", 0, nullptr},
    {"STROBES_TOGGLE",             EffectKind::Toggle,        "LIGHT STROBE", "Bool", 0, nullptr},
    {"TOGGLE_TAXI_LIGHTS",         EffectKind::Toggle,        "LIGHT TAXI", "Bool", 0, nullptr},
    {"LANDING_LIGHTS_TOGGLE",      EffectKind::Toggle,        "LIGHT LANDING", "Bool", 0, nullptr},
};
// clang-format on

double Wrap(double value, const Limits& limits) {
    const double span = limits.high - limits.low;
    if (value >= limits.high)
        return value - span;
    if (value < limits.low)
        return value + span;
    return value;
}

double Clamp(double value, const Limits& limits) {
    return value < limits.low ? limits.low : (value > limits.high ? limits.high : value);
}

// A frequency in Hz, snapped to the band's channels.
double TuneFrequency(double hz, const Effect& effect) {
    const Limits& band = *effect.limits;
    hz = Clamp(std::round(hz / band.fractionStep) * band.fractionStep, band);
    double whole = std::floor(hz / band.wholeStep);
    double fraction = hz - whole * band.wholeStep;
    switch (effect.kind) {
    case EffectKind::Whole: {
        const double lowest = std::floor(band.low / band.wholeStep);
        const double count = std::floor(band.high / band.wholeStep) - lowest + 1;
        whole = lowest + std::fmod(whole - lowest + effect.amount + count, count);
        return Clamp(whole * band.wholeStep + fraction, band);
    }
    case EffectKind::FractionCarry: {
        const double tuned = hz + effect.amount * band.fractionStep;
        if (tuned > band.high)
            return band.low;
        return tuned < band.low ? band.high : tuned;
    }
    default: {
        const double steps = band.wholeStep / band.fractionStep;
        const double step = std::round(fraction / band.fractionStep);
        fraction = std::fmod(step + effect.amount + steps, steps) * band.fractionStep;
        return Clamp(whole * band.wholeStep + fraction, band);
    }
    }
}

// Octal code digits: each of the four places counts 0..7 and wraps without carrying.
double StepCodeDigit(double code, double signedPlace) {
    const int value = static_cast<int>(code);
    const int place = static_cast<int>(std::fabs(signedPlace));
    const int digit = (value / place) % 10;
    const int stepped = (digit + (signedPlace > 0 ? 1 : 7)) % 8;
    return value + (stepped - digit) * place;
}

void Describe(std::string& changes, const char* variable, double before, double after,
              const char* units) {
    char line[160];
    std::snprintf(line, sizeof(line), "%s%s %.3f -> %.3f %s", changes.empty() ? "" : "; ", variable,
                  before, after, units);
    changes += line;
}

void Apply(CVariableStore& store, const Effect& effect, DWORD data, std::string& changes) {
    if (effect.kind == EffectKind::Swap) {
        const double first = store.GetOrZero(effect.variable, "Hz");
        const double second = store.GetOrZero(effect.units, "Hz");
        store.Set(effect.variable, "Hz", second);
        store.Set(effect.units, "Hz", first);
        Describe(changes, effect.variable, first / 1e6, second / 1e6, "MHz");
        return;
    }
    const bool frequency = effect.kind == EffectKind::Whole ||
                           effect.kind == EffectKind::FractionCarry ||
                           effect.kind == EffectKind::Fraction;
    if (frequency) {
        const double before = store.GetOrZero(effect.variable, "Hz");
        const double after = TuneFrequency(before, effect);
        store.Set(effect.variable, "Hz", after);
        const double shown = std::strcmp(effect.units, "kHz") == 0 ? 1e3 : 1e6;
        Describe(changes, effect.variable, before / shown, after / shown, effect.units);
        return;
    }
    const double before = store.GetOrZero(effect.variable, effect.units);
    double after = before;
    switch (effect.kind) {
    case EffectKind::Toggle:
        after = before != 0 ? 0 : 1;
        break;
    case EffectKind::Set:
        after = effect.amount;
        break;
    case EffectKind::SetFromData:
        after = static_cast<double>(data) * effect.amount;
        break;
    case EffectKind::Step:
        after = effect.limits->wrap ? Wrap(before + effect.amount, *effect.limits)
                                    : Clamp(before + effect.amount, *effect.limits);
        break;
    case EffectKind::CodeDigit:
        after = StepCodeDigit(before, effect.amount);
        break;
    default:
        break;
    }
    store.Set(effect.variable, effect.units, after);
    Describe(changes, effect.variable, before, after, effect.units);
}

} // namespace

bool ApplyEventEffect(CVariableStore& store, const std::string& eventName, DWORD data,
                      std::string& changes) {
    bool known = false;
    for (const Effect& effect : kEffects) {
        if (_stricmp(effect.eventName, eventName.c_str()) != 0)
            continue;
        Apply(store, effect, data, changes);
        known = true;
    }
    return known;
}
