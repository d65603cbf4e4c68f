#pragma once
// What the clients asked of the simulator: a counter per kind of call and the details of
// transmitted events, data-definition datums and data requests. Not locked: the simulator
// guards it.

#include "standins/simconnect/StandinControl.h"

#include <array>
#include <string>
#include <vector>

class CCallRecord {
public:
    void Count(standin::CallKind kind) { ++m_counts[kind]; }
    DWORD CountOf(standin::CallKind kind) const;

    void AddTransmission(DWORD objectId, DWORD eventId, const std::string& eventName, DWORD data,
                         DWORD groupId, DWORD flags);
    void AddDatum(DWORD defineId, const char* datumName, const char* unitsName, DWORD datumType,
                  float epsilon, DWORD datumId, HRESULT result);
    void AddRequest(const standin::Request& request);

    bool GetTransmission(DWORD index, standin::Transmission& out) const;
    bool GetDatum(DWORD index, standin::Datum& out) const;
    bool GetRequest(DWORD index, standin::Request& out) const;

    void Clear();

private:
    std::array<DWORD, standin::CallKindCount> m_counts{};
    std::vector<standin::Transmission> m_transmissions;
    std::vector<standin::Datum> m_datums;
    std::vector<standin::Request> m_requests;
};
