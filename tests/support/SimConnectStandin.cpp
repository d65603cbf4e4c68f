#include "tests/support/SimConnectStandin.h"

CSimConnectStandin::CSimConnectStandin(bool reset)
    : m_module(::LoadLibraryW(L"SimConnect_x86.dll")) {
    if (!m_module)
        return;
    m_loaded = true;
    Bind(m_reset, "StandinReset");
    Bind(m_setVariable, "StandinSetVariable");
    Bind(m_getVariable, "StandinGetVariable");
    Bind(m_applyEvent, "StandinApplyEvent");
    Bind(m_raiseSystemEvent, "StandinRaiseSystemEvent");
    Bind(m_quit, "StandinQuit");
    Bind(m_isConnected, "StandinIsConnected");
    Bind(m_failOpen, "StandinFailOpen");
    Bind(m_failMapping, "StandinFailMapping");
    Bind(m_failDatum, "StandinFailDatum");
    Bind(m_failNotificationGroup, "StandinFailNotificationGroup");
    Bind(m_getCount, "StandinGetCount");
    Bind(m_waitForCount, "StandinWaitForCount");
    Bind(m_getMappedEventId, "StandinGetMappedEventId");
    Bind(m_getSubscribedEventId, "StandinGetSubscribedEventId");
    Bind(m_getTransmission, "StandinGetTransmission");
    Bind(m_getDatum, "StandinGetDatum");
    Bind(m_getRequest, "StandinGetRequest");
    if (m_loaded && reset)
        Reset();
}

template <typename Fn> void CSimConnectStandin::Bind(Fn& entry, const char* name) {
    entry = reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(m_module.get(), name)));
    if (!entry)
        m_loaded = false;
}

void CSimConnectStandin::Reset() {
    if (m_loaded)
        m_reset();
}

void CSimConnectStandin::SetVariable(const std::string& name, const std::string& units,
                                     double value) {
    if (m_loaded)
        m_setVariable(name.c_str(), units.c_str(), value);
}

std::optional<double> CSimConnectStandin::GetVariable(const std::string& name,
                                                      const std::string& units) const {
    double value = 0;
    if (m_loaded && m_getVariable(name.c_str(), units.c_str(), &value))
        return value;
    return std::nullopt;
}

bool CSimConnectStandin::ApplyEvent(const std::string& eventName, DWORD data) {
    return m_loaded && m_applyEvent(eventName.c_str(), data);
}

bool CSimConnectStandin::RaiseSystemEvent(const std::string& systemEventName) {
    return m_loaded && m_raiseSystemEvent(systemEventName.c_str());
}

void CSimConnectStandin::Quit() {
    if (m_loaded)
        m_quit();
}

bool CSimConnectStandin::IsConnected() const {
    return m_loaded && m_isConnected();
}

void CSimConnectStandin::FailOpen(HRESULT result) {
    if (m_loaded)
        m_failOpen(result);
}

void CSimConnectStandin::FailMapping(const std::string& eventName) {
    if (m_loaded)
        m_failMapping(eventName.c_str());
}

void CSimConnectStandin::FailDatum(const std::string& datumName) {
    if (m_loaded)
        m_failDatum(datumName.c_str());
}

void CSimConnectStandin::FailNotificationGroup(HRESULT result) {
    if (m_loaded)
        m_failNotificationGroup(result);
}

DWORD CSimConnectStandin::Count(standin::CallKind kind) const {
    return m_loaded ? m_getCount(kind) : 0;
}

DWORD CSimConnectStandin::MappedEventId(const std::string& eventName) const {
    return m_loaded ? m_getMappedEventId(eventName.c_str()) : 0;
}

DWORD CSimConnectStandin::SubscribedEventId(const std::string& systemEventName) const {
    return m_loaded ? m_getSubscribedEventId(systemEventName.c_str()) : 0;
}

std::vector<CSimConnectStandin::Transmission> CSimConnectStandin::Transmissions() const {
    std::vector<Transmission> result;
    standin::Transmission entry{};
    for (DWORD i = 0; m_loaded && m_getTransmission(i, &entry); ++i)
        result.push_back({entry.objectId, entry.eventId, entry.eventName, entry.data, entry.groupId,
                          entry.flags});
    return result;
}

std::vector<standin::Datum> CSimConnectStandin::Datums() const {
    std::vector<standin::Datum> result;
    standin::Datum entry{};
    for (DWORD i = 0; m_loaded && m_getDatum(i, &entry); ++i)
        result.push_back(entry);
    return result;
}

std::vector<standin::Request> CSimConnectStandin::Requests() const {
    std::vector<standin::Request> result;
    standin::Request entry{};
    for (DWORD i = 0; m_loaded && m_getRequest(i, &entry); ++i)
        result.push_back(entry);
    return result;
}

bool CSimConnectStandin::WaitForCount(standin::CallKind kind, DWORD count, DWORD timeoutMs) const {
    return m_loaded && m_waitForCount(kind, count, timeoutMs);
}

bool CSimConnectStandin::WaitForTransmissions(DWORD count, DWORD timeoutMs) const {
    return WaitForCount(standin::CallTransmitClientEvent, count, timeoutMs);
}
