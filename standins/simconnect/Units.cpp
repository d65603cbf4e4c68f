#include "standins/simconnect/Units.h"

#include "common/StringCompare.h"

#include <cctype>
#include <cmath>
#include <cstdint>

namespace {

constexpr double kPi = 3.14159265358979323846;

struct UnitRow {
    const char* name;
    const char* kind;
    double scale;
    UnitEncoding encoding;
};

const UnitRow kUnits[] = {
    {"MHz", "frequency", 1.0, UnitEncoding::Linear},
    {"Megahertz", "frequency", 1.0, UnitEncoding::Linear},
    {"kHz", "frequency", 0.001, UnitEncoding::Linear},
    {"Kilohertz", "frequency", 0.001, UnitEncoding::Linear},
    {"Hz", "frequency", 0.000001, UnitEncoding::Linear},
    {"Hertz", "frequency", 0.000001, UnitEncoding::Linear},
    {"Frequency BCD16", "frequency", 1.0, UnitEncoding::FrequencyBcd16},
    {"Frequency ADF BCD32", "frequency", 1.0, UnitEncoding::FrequencyAdfBcd32},
    {"radians", "angle", 1.0, UnitEncoding::Linear},
    {"radian", "angle", 1.0, UnitEncoding::Linear},
    {"degrees", "angle", kPi / 180.0, UnitEncoding::Linear},
    {"degree", "angle", kPi / 180.0, UnitEncoding::Linear},
    {"feet", "length", 1.0, UnitEncoding::Linear},
    {"foot", "length", 1.0, UnitEncoding::Linear},
    {"meters", "length", 1.0 / 0.3048, UnitEncoding::Linear},
    {"meter", "length", 1.0 / 0.3048, UnitEncoding::Linear},
    {"nmiles", "length", 1852.0 / 0.3048, UnitEncoding::Linear},
    {"nautical miles", "length", 1852.0 / 0.3048, UnitEncoding::Linear},
    {"knots", "speed", 1.0, UnitEncoding::Linear},
    {"knot", "speed", 1.0, UnitEncoding::Linear},
    {"kilometers per hour", "speed", 1000.0 / 1852.0, UnitEncoding::Linear},
    {"feet/minute", "vertical speed", 1.0, UnitEncoding::Linear},
    {"feet per minute", "vertical speed", 1.0, UnitEncoding::Linear},
    {"number", "number", 1.0, UnitEncoding::Linear},
    {"bool", "number", 1.0, UnitEncoding::Linear},
    {"enum", "number", 1.0, UnitEncoding::Linear},
    {"BCO16", "number", 1.0, UnitEncoding::Bco16},
    {"percent", "ratio", 0.01, UnitEncoding::Linear},
    {"percent over 100", "ratio", 1.0, UnitEncoding::Linear},
};

// Decimal digits <-> one digit per nibble, lowest digit in the lowest nibble.
uint32_t ToBcd(uint32_t number) {
    uint32_t bcd = 0;
    for (int shift = 0; number != 0 && shift < 32; shift += 4, number /= 10)
        bcd |= (number % 10) << shift;
    return bcd;
}

uint32_t FromBcd(uint32_t bcd) {
    uint32_t number = 0;
    for (int shift = 28; shift >= 0; shift -= 4)
        number = number * 10 + ((bcd >> shift) & 0xF);
    return number;
}

// The encodings carry whole numbers of digits; values outside their range read as 0.
uint32_t ToDigits(double value, double maximum) {
    const double rounded = std::floor(value + 1e-6);
    if (!(rounded >= 0.0) || rounded > maximum)
        return 0;
    return static_cast<uint32_t>(rounded);
}

} // namespace

Unit LookupUnit(const std::string& unitsName) {
    for (const UnitRow& row : kUnits)
        if (_stricmp(row.name, unitsName.c_str()) == 0)
            return {row.kind, row.scale, row.encoding};
    std::string kind = "units:";
    for (char c : unitsName)
        kind += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return {kind, 1.0, UnitEncoding::Linear};
}

double ToCanonical(const Unit& unit, double value) {
    const uint32_t raw = static_cast<uint32_t>(static_cast<int64_t>(value));
    switch (unit.encoding) {
    case UnitEncoding::FrequencyBcd16:
        return 100.0 + FromBcd(raw & 0xFFFF) / 100.0;
    case UnitEncoding::FrequencyAdfBcd32:
        return FromBcd(raw) / 10000.0 / 1000.0;
    case UnitEncoding::Bco16:
        return FromBcd(raw & 0xFFFF);
    case UnitEncoding::Linear:
        break;
    }
    return value * unit.scale;
}

double FromCanonical(const Unit& unit, double canonical) {
    switch (unit.encoding) {
    case UnitEncoding::FrequencyBcd16:
        return ToBcd(ToDigits((canonical - 100.0) * 100.0, 9999));
    case UnitEncoding::FrequencyAdfBcd32:
        return ToBcd(ToDigits(canonical * 1000.0 * 10000.0, 99999999));
    case UnitEncoding::Bco16:
        return ToBcd(ToDigits(canonical, 9999));
    case UnitEncoding::Linear:
        break;
    }
    return canonical / unit.scale;
}
