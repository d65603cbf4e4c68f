#include "tests/support/FakePanelSimConnect.h"

void FakePanelSimConnect::FailAddToDefinitionAt(size_t callIndex, HRESULT result) {
    std::lock_guard<std::mutex> lock(m_lock);
    m_datumFailures[callIndex] = result;
}

std::vector<FakePanelSimConnect::Datum> FakePanelSimConnect::Datums() const {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_datums;
}

std::vector<std::string> FakePanelSimConnect::MappedEventNames() const {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_mappedNames;
}

DWORD FakePanelSimConnect::EventId(const std::string& name) const {
    std::lock_guard<std::mutex> lock(m_lock);
    auto found = m_eventIds.find(name);
    return found == m_eventIds.end() ? 0 : found->second;
}

std::vector<FakePanelSimConnect::Transmission> FakePanelSimConnect::Transmissions() const {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_transmissions;
}

std::vector<std::string> FakePanelSimConnect::TransmittedNames() const {
    std::lock_guard<std::mutex> lock(m_lock);
    std::vector<std::string> names;
    for (const Transmission& t : m_transmissions)
        names.push_back(t.eventName);
    return names;
}

void FakePanelSimConnect::ClearTransmissions() {
    std::lock_guard<std::mutex> lock(m_lock);
    m_transmissions.clear();
}

std::vector<FakePanelSimConnect::Request> FakePanelSimConnect::Requests() const {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_requests;
}

DWORD FakePanelSimConnect::NextDefineId() {
    std::lock_guard<std::mutex> lock(m_lock);
    return ++m_nextDefineId;
}

DWORD FakePanelSimConnect::MapClientEvent(const char* eventName) {
    std::lock_guard<std::mutex> lock(m_lock);
    m_mappedNames.push_back(eventName);
    auto known = m_eventIds.find(eventName);
    if (known != m_eventIds.end())
        return known->second;
    DWORD id = ++m_lastEventId;
    m_eventIds.emplace(eventName, id);
    return id;
}

HRESULT FakePanelSimConnect::SetGroupPriority() {
    std::lock_guard<std::mutex> lock(m_lock);
    ++m_groupPriorityCalls;
    return m_groupPriorityResult;
}

HRESULT FakePanelSimConnect::AddToDefinition(DWORD defineId, const char* datumName,
                                             const char* unitsName, simconnect::DataType datumType,
                                             float epsilon, DWORD datumId) {
    std::lock_guard<std::mutex> lock(m_lock);
    size_t index = m_datums.size();
    m_datums.push_back({defineId, datumName, unitsName, datumType, epsilon, datumId});
    auto failure = m_datumFailures.find(index);
    return failure == m_datumFailures.end() ? S_OK : failure->second;
}

HRESULT FakePanelSimConnect::TransmitClientEvent(simconnect::ObjectId object,
                                                 simconnect::ClientEventId id, DWORD data,
                                                 simconnect::NotificationGroupId group,
                                                 DWORD flags) {
    std::lock_guard<std::mutex> lock(m_lock);
    std::string name;
    for (const auto& entry : m_eventIds)
        if (entry.second == id)
            name = entry.first;
    m_transmissions.push_back({name, data, object, id, group, flags});
    return m_transmitResult;
}

HRESULT FakePanelSimConnect::RequestDataOnSimObject(simconnect::RequestId requestId,
                                                    simconnect::DataDefinitionId defineId,
                                                    simconnect::ObjectId object, DWORD period,
                                                    DWORD flags, DWORD, DWORD, DWORD) {
    std::lock_guard<std::mutex> lock(m_lock);
    m_requests.push_back({requestId, defineId, object, period, flags});
    return S_OK;
}
