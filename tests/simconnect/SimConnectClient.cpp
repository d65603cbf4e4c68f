#include "tests/simconnect/SimConnectClient.h"

namespace {

template <typename Fn> void Bind(HMODULE module, Fn& entry, const char* name) {
    entry = reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

void CALLBACK CollectMessage(simconnect::Recv* data, DWORD size, void* context) {
    const BYTE* bytes = reinterpret_cast<const BYTE*>(data);
    static_cast<std::vector<std::vector<BYTE>>*>(context)->emplace_back(bytes, bytes + size);
}

} // namespace

SimConnectClient::SimConnectClient() : module(::LoadLibraryW(L"SimConnect_x86.dll")) {
    const HMODULE m = module.get();
    Bind(m, open, "SimConnect_Open");
    Bind(m, close, "SimConnect_Close");
    Bind(m, callDispatch, "SimConnect_CallDispatch");
    Bind(m, mapClientEventToSimEvent, "SimConnect_MapClientEventToSimEvent");
    Bind(m, transmitClientEvent, "SimConnect_TransmitClientEvent");
    Bind(m, addClientEventToNotificationGroup, "SimConnect_AddClientEventToNotificationGroup");
    Bind(m, setNotificationGroupPriority, "SimConnect_SetNotificationGroupPriority");
    Bind(m, addToDataDefinition, "SimConnect_AddToDataDefinition");
    Bind(m, requestDataOnSimObject, "SimConnect_RequestDataOnSimObject");
    Bind(m, requestDataOnSimObjectType, "SimConnect_RequestDataOnSimObjectType");
    Bind(m, subscribeToSystemEvent, "SimConnect_SubscribeToSystemEvent");
    Bind(m, unsubscribeFromSystemEvent, "SimConnect_UnsubscribeFromSystemEvent");
    Bind(m, requestSystemState, "SimConnect_RequestSystemState");
    Bind(m, getLastSentPacketID, "SimConnect_GetLastSentPacketID");
}

std::vector<std::vector<BYTE>> SimConnectClient::Dispatch() {
    std::vector<std::vector<BYTE>> messages;
    callDispatch(connection, CollectMessage, &messages);
    return messages;
}

HRESULT SimConnectClient::Open(const char* name) {
    event.reset(::CreateEventW(nullptr, FALSE, FALSE, nullptr));
    return open(&connection, name, nullptr, 0, event.get(), 0);
}
