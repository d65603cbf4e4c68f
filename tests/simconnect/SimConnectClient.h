#pragma once
// The stand-in's 14 entry points bound by name, as a client binds them, plus a dispatch
// procedure that keeps copies of the messages it is handed.

#include "app/simconnect/SimConnectApi.h"

#include "common/UniqueHandle.h"

#include <cstring>
#include <vector>

struct SimConnectClient {
    SimConnectClient();

    // Calls CallDispatch once and returns the messages it delivered.
    std::vector<std::vector<BYTE>> Dispatch();
    // Opens with a fresh auto-reset event of this client's.
    HRESULT Open(const char* name = "test client");

    UniqueModule module;
    UniqueHandle event;
    HANDLE connection = nullptr;
    simconnect::PFN_Open open = nullptr;
    simconnect::PFN_Close close = nullptr;
    simconnect::PFN_CallDispatch callDispatch = nullptr;
    simconnect::PFN_MapClientEventToSimEvent mapClientEventToSimEvent = nullptr;
    simconnect::PFN_TransmitClientEvent transmitClientEvent = nullptr;
    simconnect::PFN_AddClientEventToNotificationGroup addClientEventToNotificationGroup = nullptr;
    simconnect::PFN_SetNotificationGroupPriority setNotificationGroupPriority = nullptr;
    simconnect::PFN_AddToDataDefinition addToDataDefinition = nullptr;
    simconnect::PFN_RequestDataOnSimObject requestDataOnSimObject = nullptr;
    simconnect::PFN_RequestDataOnSimObjectType requestDataOnSimObjectType = nullptr;
    simconnect::PFN_SubscribeToSystemEvent subscribeToSystemEvent = nullptr;
    simconnect::PFN_UnsubscribeFromSystemEvent unsubscribeFromSystemEvent = nullptr;
    simconnect::PFN_RequestSystemState requestSystemState = nullptr;
    simconnect::PFN_GetLastSentPacketID getLastSentPacketID = nullptr;
};

inline DWORD MessageField(const std::vector<BYTE>& message, size_t offset) {
    DWORD value = 0;
    if (offset + sizeof(value) <= message.size())
        std::memcpy(&value, message.data() + offset, sizeof(value));
    return value;
}

inline DWORD MessageId(const std::vector<BYTE>& message) {
    return MessageField(message, offsetof(simconnect::Recv, dwID));
}
