#pragma once
// Which lamp of an annunciator device each indication lights, and in which colour.

#include "panels/PanelDeviceData.h"

#include <windows.h>

#include <map>
#include <memory>
#include <string>

enum LampColour : LONG {
    LampColourNone = 0,
    LampColourGreen = 1,
    LampColourRed = 2,
    LampColourAmber = 3
};

constexpr LONG kNoLamp = -1;
constexpr LONG kLampCount = 24;

struct LampAssignment {
    std::wstring name;
    LONG colour = LampColourNone;
    LONG lamp = kNoLamp;
};

class LampProgramming : public IPanelDeviceData {
public:
    // One unprogrammed assignment (no colour, no lamp) for every indication name.
    LampProgramming();

    // The assignment of an indication; names are compared exactly. Null for unknown names.
    LampAssignment* Find(const std::wstring& name);
    const LampAssignment* Find(const std::wstring& name) const;

    static bool IsValidLamp(LONG lamp) {
        return lamp == kNoLamp || (lamp >= 0 && lamp < kLampCount);
    }

private:
    std::map<std::wstring, std::unique_ptr<LampAssignment>> m_assignments;
};
