#pragma once
// The simulator calls the panels make. The program's link goes to the process-wide binding;
// tests hand the panels a recording double instead.

#include "app/simconnect/SimConnectApi.h"

class IPanelSimConnect {
public:
    virtual ~IPanelSimConnect() = default;
    virtual DWORD NextDefineId() = 0;
    virtual DWORD MapClientEvent(const char* eventName) = 0;
    virtual HRESULT SetGroupPriority() = 0;
    virtual HRESULT AddToDefinition(DWORD defineId, const char* datumName, const char* unitsName,
                                    simconnect::DataType datumType, float epsilon,
                                    DWORD datumId) = 0;
    virtual HRESULT TransmitClientEvent(simconnect::ObjectId object, simconnect::ClientEventId id,
                                        DWORD data, simconnect::NotificationGroupId group,
                                        DWORD flags) = 0;
    virtual HRESULT RequestDataOnSimObject(simconnect::RequestId requestId,
                                           simconnect::DataDefinitionId defineId,
                                           simconnect::ObjectId object, DWORD period, DWORD flags,
                                           DWORD origin, DWORD interval, DWORD limit) = 0;
};

// The link through GetSimConnectLibrary().
IPanelSimConnect& GetPanelSimConnect();
