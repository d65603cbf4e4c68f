#include "pages/gauge/expression/GaugeVariables.h"

#include "app/trace/Trace.h"
#include "pages/gauge/expression/ExpressionEngine.h"

#include <algorithm>

namespace {

constexpr float kDatumEpsilon = 0.01f;
constexpr int kAnsiBufferSize = 256;

// Converts to the system ANSI code page, cutting the text (never the buffer) when its
// conversion would not fit: a double-byte code page may need two bytes a character.
void ToAnsi(std::wstring_view text, char (&buffer)[kAnsiBufferSize]) {
    int length = static_cast<int>(std::min<size_t>(text.size(), kAnsiBufferSize - 1));
    while (length > 0 && WideCharToMultiByte(CP_ACP, 0, text.data(), length, nullptr, 0, nullptr,
                                             nullptr) > kAnsiBufferSize - 1)
        --length;
    int written = length > 0 ? WideCharToMultiByte(CP_ACP, 0, text.data(), length, buffer,
                                                   kAnsiBufferSize - 1, nullptr, nullptr)
                             : 0;
    buffer[written] = '\0';
}

} // namespace

GaugeVariables::GaugeVariables(CSimConnectLibrary& simConnect) : m_simConnect(simConnect) {}

void GaugeVariables::RegisterExpression(std::wstring_view expression) {
    RegisterVariables(*this, expression.data(), expression.size());
    m_valueSlots = static_cast<size_t>(m_count);
    m_received = std::make_unique<float[]>(m_valueSlots);
    m_current = std::make_unique<float[]>(m_valueSlots);
}

void GaugeVariables::AddVariable(wchar_t letter, std::wstring_view name, std::wstring_view units) {
    if (!IsSimulatorLetter(letter)) {
        SetValue(letter, name, units, 0.0f);
        return;
    }
    SimulatorKey key{name, units};
    if (m_simulatorIndex.find(key) != m_simulatorIndex.end())
        return;

    char ansiName[kAnsiBufferSize];
    char ansiUnits[kAnsiBufferSize];
    ToAnsi(name, ansiName);
    ToAnsi(units, ansiUnits);
    HRESULT hr = m_simConnect.AddToDefinition(m_dataDefinitionId, ansiName, ansiUnits,
                                              simconnect::DataTypeFloat32, kDatumEpsilon,
                                              static_cast<DWORD>(m_count));
    TraceResult(hr, L"GaugeVariables - SimConnect::AddToDataDefinition");
    m_simulatorIndex.emplace(key.Joined(), m_count);
    ++m_count;
}

int GaugeVariables::DatumId(std::wstring_view name, std::wstring_view units) const {
    auto entry = m_simulatorIndex.find(SimulatorKey{name, units});
    return entry == m_simulatorIndex.end() ? -1 : entry->second;
}

int GaugeVariables::ValueSlot(std::wstring_view name, std::wstring_view units) const {
    const int datum = DatumId(name, units);
    if (datum < 0 || !m_current || static_cast<size_t>(datum) >= m_valueSlots)
        return -1;
    return datum;
}

float GaugeVariables::GetValue(wchar_t letter, std::wstring_view name, std::wstring_view units) {
    if (IsSimulatorLetter(letter)) {
        int slot = ValueSlot(name, units);
        return slot < 0 ? 0.0f : m_current[static_cast<size_t>(slot)];
    }
    auto local = m_locals.find(name);
    if (local == m_locals.end())
        local = m_locals.emplace(std::wstring(name), 0.0f).first;
    return local->second;
}

void GaugeVariables::SetValue(wchar_t letter, std::wstring_view name, std::wstring_view units,
                              float value) {
    if (IsSimulatorLetter(letter)) {
        int slot = ValueSlot(name, units);
        if (slot >= 0)
            m_current[static_cast<size_t>(slot)] = value;
        return;
    }
    auto local = m_locals.find(name);
    if (local == m_locals.end())
        m_locals.emplace(std::wstring(name), value);
    else
        local->second = value;
}

void GaugeVariables::CopyReceivedToCurrent() {
    std::copy_n(m_received.get(), m_valueSlots, m_current.get());
}
