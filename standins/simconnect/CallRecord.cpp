#include "standins/simconnect/CallRecord.h"

#include <cstdio>

namespace {

void CopyName(char (&target)[standin::kNameSize], const char* source) {
    std::snprintf(target, sizeof(target), "%s", source ? source : "");
}

template <typename T> bool GetAt(const std::vector<T>& entries, DWORD index, T& out) {
    if (index >= entries.size())
        return false;
    out = entries[index];
    return true;
}

} // namespace

DWORD CCallRecord::CountOf(standin::CallKind kind) const {
    return kind < m_counts.size() ? m_counts[kind] : 0;
}

void CCallRecord::AddTransmission(DWORD objectId, DWORD eventId, const std::string& eventName,
                                  DWORD data, DWORD groupId, DWORD flags) {
    standin::Transmission entry{};
    entry.objectId = objectId;
    entry.eventId = eventId;
    CopyName(entry.eventName, eventName.c_str());
    entry.data = data;
    entry.groupId = groupId;
    entry.flags = flags;
    m_transmissions.push_back(entry);
}

void CCallRecord::AddDatum(DWORD defineId, const char* datumName, const char* unitsName,
                           DWORD datumType, float epsilon, DWORD datumId, HRESULT result) {
    standin::Datum entry{};
    entry.defineId = defineId;
    CopyName(entry.datumName, datumName);
    CopyName(entry.unitsName, unitsName);
    entry.datumType = datumType;
    entry.epsilon = epsilon;
    entry.datumId = datumId;
    entry.result = result;
    m_datums.push_back(entry);
}

void CCallRecord::AddRequest(const standin::Request& request) {
    m_requests.push_back(request);
}

bool CCallRecord::GetTransmission(DWORD index, standin::Transmission& out) const {
    return GetAt(m_transmissions, index, out);
}

bool CCallRecord::GetDatum(DWORD index, standin::Datum& out) const {
    return GetAt(m_datums, index, out);
}

bool CCallRecord::GetRequest(DWORD index, standin::Request& out) const {
    return GetAt(m_requests, index, out);
}

void CCallRecord::Clear() {
    m_counts.fill(0);
    m_transmissions.clear();
    m_datums.clear();
    m_requests.clear();
}
