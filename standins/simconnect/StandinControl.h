#pragma once
// Control exports of the stand-in simulator library, for tests running in the same process.
// Every export is __stdcall and undecorated; tests find them with GetProcAddress on the loaded
// "SimConnect_x86.dll" (tests/support/SimConnectStandin.h wraps them). Strings are narrow, as
// the simulator's variable, unit and event names are.

#include <windows.h>

namespace standin {

// What the record counts, one counter per kind of call or delivered message.
enum CallKind : DWORD {
    CallOpen = 0,
    CallClose,
    CallCallDispatch,
    CallMapClientEvent,
    CallTransmitClientEvent,
    CallAddToNotificationGroup,
    CallSetGroupPriority,
    CallAddToDataDefinition,
    CallRequestData,
    CallRequestDataByType,
    CallSubscribe,
    CallUnsubscribe,
    CallRequestSystemState,
    CallGetLastSentPacketId,
    MessagesQueued,     // every message put into the queue (open, events, quit, object data)
    MessagesDispatched, // every message handed to a dispatch procedure
    ObjectDataSent,     // object-data messages queued
    CallKindCount
};

constexpr size_t kNameSize = 64; // names longer than this are cut in the record

struct Transmission {
    DWORD objectId;
    DWORD eventId;
    char eventName[kNameSize]; // the mapped simulator event name, empty when the id is unmapped
    DWORD data;
    DWORD groupId;
    DWORD flags;
};

struct Datum {
    DWORD defineId;
    char datumName[kNameSize];
    char unitsName[kNameSize];
    DWORD datumType;
    float epsilon;
    DWORD datumId;
    HRESULT result; // what SimConnect_AddToDataDefinition returned for it
};

struct Request {
    DWORD requestId;
    DWORD defineId;
    DWORD objectId;
    DWORD period;
    DWORD flags;
    DWORD origin;
    DWORD interval;
    DWORD limit;
};

// Result of every injected failure except the refused connection, whose result the test picks.
constexpr HRESULT kInjectedFailure = E_FAIL;

// Export signatures.
using PFN_Reset = void(WINAPI*)();
using PFN_SetVariable = BOOL(WINAPI*)(const char* name, const char* units, double value);
using PFN_GetVariable = BOOL(WINAPI*)(const char* name, const char* units, double* value);
using PFN_RaiseSystemEvent = BOOL(WINAPI*)(const char* systemEventName);
using PFN_Quit = void(WINAPI*)();
using PFN_ApplyEvent = BOOL(WINAPI*)(const char* eventName, DWORD data);
using PFN_FailOpen = void(WINAPI*)(HRESULT result);
using PFN_FailMapping = void(WINAPI*)(const char* eventName);
using PFN_FailDatum = void(WINAPI*)(const char* datumName);
using PFN_FailNotificationGroup = void(WINAPI*)(HRESULT result);
using PFN_GetCount = DWORD(WINAPI*)(CallKind kind);
using PFN_WaitForCount = BOOL(WINAPI*)(CallKind kind, DWORD count, DWORD timeoutMs);
using PFN_GetMappedEventId = DWORD(WINAPI*)(const char* eventName);
using PFN_GetSubscribedEventId = DWORD(WINAPI*)(const char* systemEventName);
using PFN_GetTransmission = BOOL(WINAPI*)(DWORD index, Transmission* out);
using PFN_GetDatum = BOOL(WINAPI*)(DWORD index, Datum* out);
using PFN_GetRequest = BOOL(WINAPI*)(DWORD index, Request* out);
using PFN_IsConnected = BOOL(WINAPI*)();

} // namespace standin
