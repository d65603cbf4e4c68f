// The simulator client library's entry points and the stand-in's control exports, all
// undecorated __stdcall (SimConnect_x86.def), forwarding to the one simulated aircraft.

#include "standins/simconnect/Simulator.h"

using namespace simconnect;

namespace {
CSimulator& Sim() {
    return CSimulator::Instance();
}
} // namespace

extern "C" {

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH)
        ::DisableThreadLibraryCalls(instance);
    return TRUE;
}

HRESULT WINAPI SimConnect_Open(HANDLE* phSimConnect, LPCSTR szName, HWND, DWORD,
                               HANDLE hEventHandle, DWORD) {
    return Sim().Open(phSimConnect, szName, hEventHandle);
}

HRESULT WINAPI SimConnect_Close(HANDLE) {
    return Sim().Close();
}

HRESULT WINAPI SimConnect_CallDispatch(HANDLE, DispatchProc pfcnDispatch, void* pContext) {
    return Sim().CallDispatch(pfcnDispatch, pContext);
}

HRESULT WINAPI SimConnect_MapClientEventToSimEvent(HANDLE, ClientEventId EventID,
                                                   const char* EventName) {
    return Sim().MapClientEventToSimEvent(EventID, EventName);
}

HRESULT WINAPI SimConnect_TransmitClientEvent(HANDLE, ObjectId ObjectID, ClientEventId EventID,
                                              DWORD dwData, NotificationGroupId GroupID,
                                              DWORD Flags) {
    return Sim().TransmitClientEvent(ObjectID, EventID, dwData, GroupID, Flags);
}

HRESULT WINAPI SimConnect_AddClientEventToNotificationGroup(HANDLE, NotificationGroupId GroupID,
                                                            ClientEventId EventID, BOOL bMaskable) {
    return Sim().AddClientEventToNotificationGroup(GroupID, EventID, bMaskable);
}

HRESULT WINAPI SimConnect_SetNotificationGroupPriority(HANDLE, NotificationGroupId GroupID,
                                                       DWORD uPriority) {
    return Sim().SetNotificationGroupPriority(GroupID, uPriority);
}

HRESULT WINAPI SimConnect_AddToDataDefinition(HANDLE, DataDefinitionId DefineID,
                                              const char* DatumName, const char* UnitsName,
                                              DataType DatumType, float fEpsilon, DWORD DatumID) {
    return Sim().AddToDataDefinition(DefineID, DatumName, UnitsName, DatumType, fEpsilon, DatumID);
}

HRESULT WINAPI SimConnect_RequestDataOnSimObject(HANDLE, RequestId RequestID,
                                                 DataDefinitionId DefineID, ObjectId ObjectID,
                                                 DWORD Period, DWORD Flags, DWORD origin,
                                                 DWORD interval, DWORD limit) {
    return Sim().RequestDataOnSimObject(
        {RequestID, DefineID, ObjectID, Period, Flags, origin, interval, limit});
}

HRESULT WINAPI SimConnect_RequestDataOnSimObjectType(HANDLE, RequestId RequestID,
                                                     DataDefinitionId DefineID,
                                                     DWORD dwRadiusMeters, DWORD type) {
    return Sim().RequestDataOnSimObjectType(RequestID, DefineID, dwRadiusMeters, type);
}

HRESULT WINAPI SimConnect_SubscribeToSystemEvent(HANDLE, ClientEventId EventID,
                                                 const char* SystemEventName) {
    return Sim().SubscribeToSystemEvent(EventID, SystemEventName);
}

HRESULT WINAPI SimConnect_UnsubscribeFromSystemEvent(HANDLE, ClientEventId EventID) {
    return Sim().UnsubscribeFromSystemEvent(EventID);
}

HRESULT WINAPI SimConnect_RequestSystemState(HANDLE, RequestId RequestID, const char* szState) {
    return Sim().RequestSystemState(RequestID, szState);
}

HRESULT WINAPI SimConnect_GetLastSentPacketID(HANDLE, DWORD* pdwError) {
    return Sim().GetLastSentPacketID(pdwError);
}

void WINAPI StandinReset() {
    Sim().Reset();
}

BOOL WINAPI StandinSetVariable(const char* name, const char* units, double value) {
    Sim().SetVariable(name, units, value);
    return TRUE;
}

BOOL WINAPI StandinGetVariable(const char* name, const char* units, double* value) {
    return value && Sim().GetVariable(name, units, *value);
}

BOOL WINAPI StandinApplyEvent(const char* eventName, DWORD data) {
    return Sim().ApplyEvent(eventName, data);
}

BOOL WINAPI StandinRaiseSystemEvent(const char* systemEventName) {
    return Sim().RaiseSystemEvent(systemEventName);
}

void WINAPI StandinQuit() {
    Sim().Quit();
}

BOOL WINAPI StandinIsConnected() {
    return Sim().IsConnected();
}

void WINAPI StandinFailOpen(HRESULT result) {
    Sim().FailOpen(result);
}

void WINAPI StandinFailMapping(const char* eventName) {
    Sim().FailMapping(eventName);
}

void WINAPI StandinFailDatum(const char* datumName) {
    Sim().FailDatum(datumName);
}

void WINAPI StandinFailNotificationGroup(HRESULT result) {
    Sim().FailNotificationGroup(result);
}

DWORD WINAPI StandinGetCount(standin::CallKind kind) {
    return Sim().GetCount(kind);
}

BOOL WINAPI StandinWaitForCount(standin::CallKind kind, DWORD count, DWORD timeoutMs) {
    return Sim().WaitForCount(kind, count, timeoutMs);
}

DWORD WINAPI StandinGetMappedEventId(const char* eventName) {
    return Sim().GetMappedEventId(eventName);
}

DWORD WINAPI StandinGetSubscribedEventId(const char* systemEventName) {
    return Sim().GetSubscribedEventId(systemEventName);
}

BOOL WINAPI StandinGetTransmission(DWORD index, standin::Transmission* out) {
    return out && Sim().GetTransmission(index, *out);
}

BOOL WINAPI StandinGetDatum(DWORD index, standin::Datum* out) {
    return out && Sim().GetDatum(index, *out);
}

BOOL WINAPI StandinGetRequest(DWORD index, standin::Request* out) {
    return out && Sim().GetRequest(index, *out);
}

} // extern "C"
