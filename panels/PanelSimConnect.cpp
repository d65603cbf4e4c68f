#include "panels/PanelSimConnect.h"

#include "app/simconnect/SimConnectLibrary.h"

namespace {

class CPanelSimConnect : public IPanelSimConnect {
public:
    DWORD NextDefineId() override { return GetSimConnectLibrary().NextDefineId(); }

    DWORD MapClientEvent(const char* eventName) override {
        return GetSimConnectLibrary().MapClientEvent(eventName);
    }

    HRESULT SetGroupPriority() override { return GetSimConnectLibrary().SetGroupPriority(); }

    HRESULT AddToDefinition(DWORD defineId, const char* datumName, const char* unitsName,
                            simconnect::DataType datumType, float epsilon, DWORD datumId) override {
        return GetSimConnectLibrary().AddToDefinition(defineId, datumName, unitsName, datumType,
                                                      epsilon, datumId);
    }

    HRESULT TransmitClientEvent(simconnect::ObjectId object, simconnect::ClientEventId id,
                                DWORD data, simconnect::NotificationGroupId group,
                                DWORD flags) override {
        return GetSimConnectLibrary().TransmitClientEvent(object, id, data, group, flags);
    }

    HRESULT RequestDataOnSimObject(simconnect::RequestId requestId,
                                   simconnect::DataDefinitionId defineId,
                                   simconnect::ObjectId object, DWORD period, DWORD flags,
                                   DWORD origin, DWORD interval, DWORD limit) override {
        return GetSimConnectLibrary().RequestDataOnSimObject(requestId, defineId, object, period,
                                                             flags, origin, interval, limit);
    }
};

} // namespace

IPanelSimConnect& GetPanelSimConnect() {
    static CPanelSimConnect link;
    return link;
}
