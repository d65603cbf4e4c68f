#pragma once
// Shared pieces of the panel tests: the "NoTransmit" registry switch and report helpers.

#include <windows.h>

#include <string>
#include <vector>

namespace paneltest {

using Bytes = std::vector<BYTE>;

// Sets the unnamed value of HKLM\SOFTWARE\Harmel\Panels\NoTransmit for the lifetime of the
// object and removes the key again afterwards.
class NoTransmitSwitch {
public:
    NoTransmitSwitch(DWORD type, const void* data, DWORD size);
    ~NoTransmitSwitch();
    NoTransmitSwitch(const NoTransmitSwitch&) = delete;
    NoTransmitSwitch& operator=(const NoTransmitSwitch&) = delete;
};

std::string Hex(const Bytes& bytes);

} // namespace paneltest
