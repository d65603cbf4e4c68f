#pragma once
// The process-wide binding to the simulator's client library, loaded at run time. Every call
// returns E_NOTIMPL when the library or its entry point is missing.

#include "app/simconnect/SimConnectApi.h"

#include "common/StringCompare.h"
#include "common/UniqueHandle.h"

#include <map>
#include <mutex>
#include <string>

class CSimConnectLibrary {
public:
    // Loads the library by plain file name, so the normal DLL search order applies. Tests make
    // fresh instances (their own counters); the program uses GetSimConnectLibrary().
    explicit CSimConnectLibrary(const wchar_t* libraryName = L"SimConnect_x86.dll");
    ~CSimConnectLibrary() = default;
    CSimConnectLibrary(const CSimConnectLibrary&) = delete;
    CSimConnectLibrary& operator=(const CSimConnectLibrary&) = delete;

    bool IsLoaded() const { return static_cast<bool>(m_library); }
    bool HasCallDispatch() const { return m_callDispatch != nullptr; }
    HANDLE Connection() const { return m_connection; }

    // One call per entry point; the connection handle is supplied from this object.
    HRESULT Open(LPCSTR name, HWND window, DWORD userEvent, HANDLE eventHandle, DWORD configIndex);
    HRESULT Close();
    HRESULT CallDispatch(simconnect::DispatchProc dispatch, void* context);
    HRESULT MapClientEventToSimEvent(simconnect::ClientEventId id, const char* name);
    HRESULT TransmitClientEvent(simconnect::ObjectId object, simconnect::ClientEventId id,
                                DWORD data, simconnect::NotificationGroupId group, DWORD flags);
    HRESULT AddClientEventToNotificationGroup(simconnect::NotificationGroupId group,
                                              simconnect::ClientEventId id, BOOL maskable);
    HRESULT SetNotificationGroupPriority(simconnect::NotificationGroupId group, DWORD priority);
    HRESULT AddToDataDefinition(simconnect::DataDefinitionId defineId, const char* datumName,
                                const char* unitsName, simconnect::DataType datumType,
                                float epsilon, DWORD datumId);
    HRESULT RequestDataOnSimObject(simconnect::RequestId requestId,
                                   simconnect::DataDefinitionId defineId,
                                   simconnect::ObjectId object, DWORD period, DWORD flags,
                                   DWORD origin, DWORD interval, DWORD limit);
    HRESULT SubscribeToSystemEvent(simconnect::ClientEventId id, const char* name);

    // Services shared by pages and panels.
    DWORD MapClientEvent(const char* eventName);
    DWORD NextDefineId();
    void TriggerEvent(DWORD clientEventId);
    HRESULT SetGroupPriority();
    HRESULT AddToDefinition(DWORD defineId, const char* datumName, const char* unitsName,
                            simconnect::DataType datumType, float epsilon, DWORD datumId);

private:
    template <typename Fn> void Resolve(Fn& entry, const char* name);

    HANDLE m_connection = nullptr;
    UniqueModule m_library;
    simconnect::PFN_Open m_open = nullptr;
    simconnect::PFN_Close m_close = nullptr;
    simconnect::PFN_CallDispatch m_callDispatch = nullptr;
    simconnect::PFN_MapClientEventToSimEvent m_mapClientEventToSimEvent = nullptr;
    simconnect::PFN_TransmitClientEvent m_transmitClientEvent = nullptr;
    simconnect::PFN_AddClientEventToNotificationGroup m_addClientEventToNotificationGroup = nullptr;
    simconnect::PFN_SetNotificationGroupPriority m_setNotificationGroupPriority = nullptr;
    simconnect::PFN_AddToDataDefinition m_addToDataDefinition = nullptr;
    simconnect::PFN_RequestDataOnSimObject m_requestDataOnSimObject = nullptr;
    simconnect::PFN_RequestDataOnSimObjectType m_requestDataOnSimObjectType = nullptr;
    simconnect::PFN_SubscribeToSystemEvent m_subscribeToSystemEvent = nullptr;
    simconnect::PFN_UnsubscribeFromSystemEvent m_unsubscribeFromSystemEvent = nullptr;
    simconnect::PFN_RequestSystemState m_requestSystemState = nullptr;
    simconnect::PFN_GetLastSentPacketID m_getLastSentPacketID = nullptr;
    volatile LONG m_nextDefineId = 1;
    volatile LONG m_lastClientEventId = 4;
    std::mutex m_eventNamesLock;
    std::map<std::string, DWORD, LessNoCaseA> m_eventNames;
};

// The process-wide binding, created on first use from any thread.
CSimConnectLibrary& GetSimConnectLibrary();
