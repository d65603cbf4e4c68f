#pragma once
// The project's own declarations of the simulator client library's types, constants, message
// layouts and entry points: only what Dravik calls and reads, and what the stand-in serves.

#include <windows.h>

#include <cstddef>
#include <cstdint>

namespace simconnect {

using ClientEventId = DWORD;
using DataDefinitionId = DWORD;
using RequestId = DWORD;
using ObjectId = DWORD;
using NotificationGroupId = DWORD;

constexpr ObjectId kObjectIdUser = 0;
constexpr NotificationGroupId kGroupDefault = 1;
constexpr DWORD kGroupPriorityHighest = 1;
constexpr DWORD kPeriodSimFrame = 3;
constexpr DWORD kDataRequestFlagChanged = 1;
constexpr DWORD kEventFlagDefault = 0;
constexpr DWORD kUnusedDatumId = 0xFFFFFFFF;

enum DataType : DWORD {
    DataTypeInvalid = 0,
    DataTypeInt32 = 1,
    DataTypeInt64 = 2,
    DataTypeFloat32 = 3,
    DataTypeFloat64 = 4,
};

// Message ids at byte 8 of every message.
enum RecvId : DWORD {
    RecvIdNull = 0,
    RecvIdException = 1,
    RecvIdOpen = 2,
    RecvIdQuit = 3,
    RecvIdEvent = 4,
    RecvIdSimObjectData = 8,
};

#pragma pack(push, 1)
struct Recv {
    DWORD dwSize;
    DWORD dwVersion;
    DWORD dwID;
};

struct RecvEvent {
    Recv header;
    DWORD uGroupID;
    DWORD uEventID; // byte 16
    DWORD dwData;
};

struct RecvSimObjectData {
    Recv header;
    DWORD dwRequestID; // byte 12
    DWORD dwObjectID;
    DWORD dwDefineID;
    DWORD dwFlags;
    DWORD dwentrynumber;
    DWORD dwoutof;
    DWORD dwDefineCount;
    DWORD dwData; // byte 40: the data block starts here
};
#pragma pack(pop)

static_assert(offsetof(RecvEvent, uEventID) == 16);
static_assert(offsetof(RecvSimObjectData, dwRequestID) == 12);
static_assert(offsetof(RecvSimObjectData, dwData) == 40);

constexpr DWORD kObjectDataHeaderSize = offsetof(RecvSimObjectData, dwData);

using DispatchProc = void(CALLBACK*)(Recv* pData, DWORD cbData, void* pContext);

// Entry points, exported undecorated by the simulator's client library.
using PFN_Open = HRESULT(WINAPI*)(HANDLE* phSimConnect, LPCSTR szName, HWND hWnd,
                                  DWORD UserEventWin32, HANDLE hEventHandle, DWORD ConfigIndex);
using PFN_Close = HRESULT(WINAPI*)(HANDLE hSimConnect);
using PFN_CallDispatch = HRESULT(WINAPI*)(HANDLE hSimConnect, DispatchProc pfcnDispatch,
                                          void* pContext);
using PFN_MapClientEventToSimEvent = HRESULT(WINAPI*)(HANDLE hSimConnect, ClientEventId EventID,
                                                      const char* EventName);
using PFN_TransmitClientEvent = HRESULT(WINAPI*)(HANDLE hSimConnect, ObjectId ObjectID,
                                                 ClientEventId EventID, DWORD dwData,
                                                 NotificationGroupId GroupID, DWORD Flags);
using PFN_AddClientEventToNotificationGroup = HRESULT(WINAPI*)(HANDLE hSimConnect,
                                                               NotificationGroupId GroupID,
                                                               ClientEventId EventID,
                                                               BOOL bMaskable);
using PFN_SetNotificationGroupPriority = HRESULT(WINAPI*)(HANDLE hSimConnect,
                                                          NotificationGroupId GroupID,
                                                          DWORD uPriority);
using PFN_AddToDataDefinition = HRESULT(WINAPI*)(HANDLE hSimConnect, DataDefinitionId DefineID,
                                                 const char* DatumName, const char* UnitsName,
                                                 DataType DatumType, float fEpsilon, DWORD DatumID);
using PFN_RequestDataOnSimObject = HRESULT(WINAPI*)(HANDLE hSimConnect, RequestId RequestID,
                                                    DataDefinitionId DefineID, ObjectId ObjectID,
                                                    DWORD Period, DWORD Flags, DWORD origin,
                                                    DWORD interval, DWORD limit);
using PFN_RequestDataOnSimObjectType = HRESULT(WINAPI*)(HANDLE hSimConnect, RequestId RequestID,
                                                        DataDefinitionId DefineID,
                                                        DWORD dwRadiusMeters, DWORD type);
using PFN_SubscribeToSystemEvent = HRESULT(WINAPI*)(HANDLE hSimConnect, ClientEventId EventID,
                                                    const char* SystemEventName);
using PFN_UnsubscribeFromSystemEvent = HRESULT(WINAPI*)(HANDLE hSimConnect, ClientEventId EventID);
using PFN_RequestSystemState = HRESULT(WINAPI*)(HANDLE hSimConnect, RequestId RequestID,
                                                const char* szState);
using PFN_GetLastSentPacketID = HRESULT(WINAPI*)(HANDLE hSimConnect, DWORD* pdwError);

} // namespace simconnect
