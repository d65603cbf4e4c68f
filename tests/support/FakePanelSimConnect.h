#pragma once
// Records the simulator calls of the panels and answers them as the binding would: event ids
// by name (case ignored), definition ids counting up from 2, and injected failures.

#include "common/StringCompare.h"
#include "panels/PanelSimConnect.h"

#include <map>
#include <mutex>
#include <string>
#include <vector>

class FakePanelSimConnect : public IPanelSimConnect {
public:
    struct Datum {
        DWORD defineId;
        std::string name;
        std::string units;
        simconnect::DataType type;
        float epsilon;
        DWORD datumId;
    };
    struct Transmission {
        std::string eventName; // empty for an id never mapped
        DWORD data;
        DWORD objectId;
        DWORD eventId;
        DWORD groupId;
        DWORD flags;
    };
    struct Request {
        DWORD requestId;
        DWORD defineId;
        DWORD objectId;
        DWORD period;
        DWORD flags;
    };

    // The AddToDefinition call with this index (0 is the first) returns `result`.
    void FailAddToDefinitionAt(size_t callIndex, HRESULT result);
    void FailSetGroupPriority(HRESULT result) { m_groupPriorityResult = result; }
    void SetTransmitResult(HRESULT result) { m_transmitResult = result; }

    std::vector<Datum> Datums() const;
    std::vector<std::string> MappedEventNames() const;
    DWORD EventId(const std::string& name) const; // 0 when never mapped
    std::vector<Transmission> Transmissions() const;
    // Names of the transmitted events, in order.
    std::vector<std::string> TransmittedNames() const;
    void ClearTransmissions();
    std::vector<Request> Requests() const;
    int GroupPriorityCalls() const { return m_groupPriorityCalls; }

    DWORD NextDefineId() override;
    DWORD MapClientEvent(const char* eventName) override;
    HRESULT SetGroupPriority() override;
    HRESULT AddToDefinition(DWORD defineId, const char* datumName, const char* unitsName,
                            simconnect::DataType datumType, float epsilon, DWORD datumId) override;
    HRESULT TransmitClientEvent(simconnect::ObjectId object, simconnect::ClientEventId id,
                                DWORD data, simconnect::NotificationGroupId group,
                                DWORD flags) override;
    HRESULT RequestDataOnSimObject(simconnect::RequestId requestId,
                                   simconnect::DataDefinitionId defineId,
                                   simconnect::ObjectId object, DWORD period, DWORD flags,
                                   DWORD origin, DWORD interval, DWORD limit) override;

private:
    mutable std::mutex m_lock;
    DWORD m_nextDefineId = 1;
    DWORD m_lastEventId = 4;
    std::map<std::string, DWORD, LessNoCaseA> m_eventIds;
    std::vector<std::string> m_mappedNames;
    std::vector<Datum> m_datums;
    std::map<size_t, HRESULT> m_datumFailures;
    HRESULT m_groupPriorityResult = S_OK;
    int m_groupPriorityCalls = 0;
    HRESULT m_transmitResult = S_OK;
    std::vector<Transmission> m_transmissions;
    std::vector<Request> m_requests;
};
