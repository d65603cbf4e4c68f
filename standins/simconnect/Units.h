#pragma once
// Units of simulation variables. A variable is kept in the canonical unit of its kind
// (frequency in MHz, angle in radians, length in feet, ...); any unit of the same kind reads
// and writes it. Unknown units form a kind of their own, taken as they are.

#include <string>

enum class UnitEncoding {
    Linear,         // canonical = value * scale
    FrequencyBcd16, // four BCD digits of the frequency without its leading 1: 0x1850 = 118.50 MHz
    FrequencyAdfBcd32, // eight BCD digits of kHz, four of them decimals: 0x03441000 = 344.1 kHz
    Bco16,             // four digits of a code, one per nibble: 0x1200 = 1200
};

struct Unit {
    std::string kind; // units of one kind convert into each other
    double scale;
    UnitEncoding encoding;
};

Unit LookupUnit(const std::string& unitsName);
double ToCanonical(const Unit& unit, double value);
double FromCanonical(const Unit& unit, double canonical);
