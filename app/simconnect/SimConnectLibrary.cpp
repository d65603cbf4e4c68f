#include "app/simconnect/SimConnectLibrary.h"

#include "app/trace/Trace.h"

using namespace simconnect;

CSimConnectLibrary& GetSimConnectLibrary() {
    static CSimConnectLibrary library;
    return library;
}

template <typename Fn> void CSimConnectLibrary::Resolve(Fn& entry, const char* name) {
    entry = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(m_library.get(), name)));
}

CSimConnectLibrary::CSimConnectLibrary(const wchar_t* libraryName) {
    m_library.reset(LoadLibraryW(libraryName));
    if (!m_library)
        return;
    Resolve(m_open, "SimConnect_Open");
    Resolve(m_close, "SimConnect_Close");
    Resolve(m_callDispatch, "SimConnect_CallDispatch");
    Resolve(m_mapClientEventToSimEvent, "SimConnect_MapClientEventToSimEvent");
    Resolve(m_transmitClientEvent, "SimConnect_TransmitClientEvent");
    Resolve(m_addClientEventToNotificationGroup, "SimConnect_AddClientEventToNotificationGroup");
    Resolve(m_setNotificationGroupPriority, "SimConnect_SetNotificationGroupPriority");
    Resolve(m_addToDataDefinition, "SimConnect_AddToDataDefinition");
    Resolve(m_requestDataOnSimObject, "SimConnect_RequestDataOnSimObject");
    Resolve(m_requestDataOnSimObjectType, "SimConnect_RequestDataOnSimObjectType");
    Resolve(m_subscribeToSystemEvent, "SimConnect_SubscribeToSystemEvent");
    Resolve(m_unsubscribeFromSystemEvent, "SimConnect_UnsubscribeFromSystemEvent");
    Resolve(m_requestSystemState, "SimConnect_RequestSystemState");
    Resolve(m_getLastSentPacketID, "SimConnect_GetLastSentPacketID");
}

HRESULT CSimConnectLibrary::Open(LPCSTR name, HWND window, DWORD userEvent, HANDLE eventHandle,
                                 DWORD configIndex) {
    return m_open ? m_open(&m_connection, name, window, userEvent, eventHandle, configIndex)
                  : E_NOTIMPL;
}

HRESULT CSimConnectLibrary::Close() {
    return m_close ? m_close(m_connection) : E_NOTIMPL;
}

HRESULT CSimConnectLibrary::CallDispatch(DispatchProc dispatch, void* context) {
    return m_callDispatch ? m_callDispatch(m_connection, dispatch, context) : E_NOTIMPL;
}

HRESULT CSimConnectLibrary::MapClientEventToSimEvent(ClientEventId id, const char* name) {
    return m_mapClientEventToSimEvent ? m_mapClientEventToSimEvent(m_connection, id, name)
                                      : E_NOTIMPL;
}

HRESULT CSimConnectLibrary::TransmitClientEvent(ObjectId object, ClientEventId id, DWORD data,
                                                NotificationGroupId group, DWORD flags) {
    return m_transmitClientEvent
               ? m_transmitClientEvent(m_connection, object, id, data, group, flags)
               : E_NOTIMPL;
}

HRESULT CSimConnectLibrary::AddClientEventToNotificationGroup(NotificationGroupId group,
                                                              ClientEventId id, BOOL maskable) {
    return m_addClientEventToNotificationGroup
               ? m_addClientEventToNotificationGroup(m_connection, group, id, maskable)
               : E_NOTIMPL;
}

HRESULT CSimConnectLibrary::SetNotificationGroupPriority(NotificationGroupId group,
                                                         DWORD priority) {
    return m_setNotificationGroupPriority
               ? m_setNotificationGroupPriority(m_connection, group, priority)
               : E_NOTIMPL;
}

HRESULT CSimConnectLibrary::AddToDataDefinition(DataDefinitionId defineId, const char* datumName,
                                                const char* unitsName, DataType datumType,
                                                float epsilon, DWORD datumId) {
    return m_addToDataDefinition ? m_addToDataDefinition(m_connection, defineId, datumName,
                                                         unitsName, datumType, epsilon, datumId)
                                 : E_NOTIMPL;
}

HRESULT CSimConnectLibrary::RequestDataOnSimObject(RequestId requestId, DataDefinitionId defineId,
                                                   ObjectId object, DWORD period, DWORD flags,
                                                   DWORD origin, DWORD interval, DWORD limit) {
    return m_requestDataOnSimObject
               ? m_requestDataOnSimObject(m_connection, requestId, defineId, object, period, flags,
                                          origin, interval, limit)
               : E_NOTIMPL;
}

HRESULT CSimConnectLibrary::SubscribeToSystemEvent(ClientEventId id, const char* name) {
    return m_subscribeToSystemEvent ? m_subscribeToSystemEvent(m_connection, id, name) : E_NOTIMPL;
}

DWORD CSimConnectLibrary::NextDefineId() {
    return static_cast<DWORD>(InterlockedIncrement(&m_nextDefineId));
}

DWORD CSimConnectLibrary::MapClientEvent(const char* eventName) {
    std::lock_guard<std::mutex> lock(m_eventNamesLock);
    auto known = m_eventNames.find(eventName);
    if (known != m_eventNames.end())
        return known->second;

    DWORD id = static_cast<DWORD>(InterlockedIncrement(&m_lastClientEventId));
    HRESULT hr = MapClientEventToSimEvent(id, eventName);
    if (FAILED(hr)) {
        TraceResult(hr, L"SimConnect_MapClientEventToSimEvent");
        return id;
    }
    hr = AddClientEventToNotificationGroup(kGroupDefault, id, FALSE);
    if (FAILED(hr)) {
        TraceResult(hr, L"SimConnect_AddClientEventToNotificationGroup");
        return id;
    }
    DebugTrace(L"Event name: %S - id: %d", eventName, static_cast<int>(id));
    m_eventNames.emplace(eventName, id);
    return id;
}

void CSimConnectLibrary::TriggerEvent(DWORD clientEventId) {
    if (clientEventId == 0)
        return;
    TraceResult(
        TransmitClientEvent(kObjectIdUser, clientEventId, 0, kGroupDefault, kEventFlagDefault),
        L"TriggerEvent");
}

HRESULT CSimConnectLibrary::SetGroupPriority() {
    return SetNotificationGroupPriority(kGroupDefault, kGroupPriorityHighest);
}

HRESULT CSimConnectLibrary::AddToDefinition(DWORD defineId, const char* datumName,
                                            const char* unitsName, DataType datumType,
                                            float epsilon, DWORD datumId) {
    return AddToDataDefinition(defineId, datumName, unitsName, datumType, epsilon, datumId);
}
