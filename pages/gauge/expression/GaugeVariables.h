#pragma once
// The variable store of one gauge page. Simulator variables (letters A, E, P) are datums of the
// page's one data definition: their values arrive from the simulator into the received values,
// and the page copies them into the current values that expressions read. Every other letter
// names a gauge-local variable that lives only here; all such letters share one name space.
//
// Not synchronised: the page serialises loading, evaluations and the copy of received values.

#include "app/simconnect/SimConnectLibrary.h"
#include "pages/gauge/expression/VariableKeys.h"

#include <windows.h>

#include <map>
#include <memory>
#include <span>
#include <string>
#include <string_view>

class GaugeVariables {
public:
    // The binding through which simulator variables are added to the page's data definition.
    explicit GaugeVariables(CSimConnectLibrary& simConnect = GetSimConnectLibrary());
    GaugeVariables(const GaugeVariables&) = delete;
    GaugeVariables& operator=(const GaugeVariables&) = delete;

    // Set by the page before anything is registered.
    void SetDataDefinitionId(DWORD id) { m_dataDefinitionId = id; }
    DWORD DataDefinitionId() const { return m_dataDefinitionId; }

    // Registers every variable the expression reads (blocks included), then replaces both
    // value arrays by zero-filled arrays of Count() values: values held before are lost.
    void RegisterExpression(std::wstring_view expression);

    // A simulator variable not yet known is added to the data definition with the next datum
    // id (the id is taken even when the simulator refuses it); a local variable is set to 0.
    void AddVariable(wchar_t letter, std::wstring_view name, std::wstring_view units);

    // A simulator variable reads its current value, or 0 when it was never registered or has
    // no value slot; a local variable missing so far is created with 0. Units matter only for
    // simulator variables.
    float GetValue(wchar_t letter, std::wstring_view name, std::wstring_view units);
    // Writes the current value of a registered simulator variable (nothing is sent to the
    // simulator: the next copy of received values overwrites it), or sets a local variable.
    void SetValue(wchar_t letter, std::wstring_view name, std::wstring_view units, float value);

    // Registered simulator variables; also the next datum id.
    int Count() const { return m_count; }
    // The datum id of a registered simulator variable, or -1 when it was never registered.
    int DatumId(std::wstring_view name, std::wstring_view units) const;

    // The value arrays, one float per simulator variable in datum-id order. They hold Count()
    // values after RegisterExpression; a variable added by AddVariable alone has no slot until
    // the next RegisterExpression.
    std::span<float> ReceivedValues() { return {m_received.get(), m_valueSlots}; }
    std::span<const float> ReceivedValues() const { return {m_received.get(), m_valueSlots}; }
    std::span<float> CurrentValues() { return {m_current.get(), m_valueSlots}; }
    std::span<const float> CurrentValues() const { return {m_current.get(), m_valueSlots}; }
    void CopyReceivedToCurrent();

    static bool IsSimulatorLetter(wchar_t letter) {
        return letter == L'A' || letter == L'E' || letter == L'P' || letter == L'a' ||
               letter == L'e' || letter == L'p';
    }

private:
    // The datum index of a registered simulator variable that has a value slot, or -1.
    int ValueSlot(std::wstring_view name, std::wstring_view units) const;

    CSimConnectLibrary& m_simConnect;
    std::unique_ptr<float[]> m_received;
    std::unique_ptr<float[]> m_current;
    size_t m_valueSlots = 0;
    int m_count = 0;
    std::map<std::wstring, int, SimulatorKeyLess> m_simulatorIndex;
    std::map<std::wstring, float, FoldedLess> m_locals;
    DWORD m_dataDefinitionId = 0;
};
