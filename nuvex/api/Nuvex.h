#pragma once
// The exports of Nuvex.dll and the callback types they take. Every export and callback uses the
// Windows API calling convention; the library is loaded at run time and bound by name, so users
// take the function types from these declarations (decltype(&Nuvex_SetString) and so on).
//
// Results: S_OK, E_HANDLE (unknown device, or a device whose id is all zero), E_INVALIDARG (a
// required pointer is null), E_OUTOFMEMORY, E_UNEXPECTED (the service did not answer), E_FAIL;
// any other value is the service's own answer. Counts of characters are UTF-16 characters; a
// count of 0 and a null pointer mean the same. Status blocks are 16 bytes.

#include <windows.h>

// A device as the library hands it out: valid from its arrival until its removal.
typedef void* NuvexDevice;

// added: 1 when the device arrived, 0 when it is being removed. Runs on a library thread.
typedef void(WINAPI* DeviceCallback)(NuvexDevice device, DWORD added, void* context);
// Runs on the thread that called Nuvex_Enumerate.
typedef void(WINAPI* EnumerateCallback)(NuvexDevice device, void* context);
// activated is a one-byte boolean in a 32-bit slot. Runs on a library thread.
typedef void(WINAPI* PageCallback)(NuvexDevice device, DWORD page, bool activated, void* context);
// Runs on a library thread.
typedef void(WINAPI* SoftButtonCallback)(NuvexDevice device, DWORD buttons, void* context);

extern "C" {

HRESULT WINAPI Nuvex_Initialize(LPCWSTR applicationName);
HRESULT WINAPI Nuvex_Deinitialize();
HRESULT WINAPI Nuvex_RegisterDeviceCallback(DeviceCallback callback, void* context);
HRESULT WINAPI Nuvex_Enumerate(EnumerateCallback callback, void* context);
HRESULT WINAPI Nuvex_RegisterPageCallback(NuvexDevice device, PageCallback callback, void* context);
HRESULT WINAPI Nuvex_RegisterSoftButtonCallback(NuvexDevice device, SoftButtonCallback callback,
                                                void* context);
HRESULT WINAPI Nuvex_GetDeviceType(NuvexDevice device, GUID* type);
HRESULT WINAPI Nuvex_GetDeviceInstance(NuvexDevice device, GUID* instance);
HRESULT WINAPI Nuvex_SetProfile(NuvexDevice device, DWORD count, LPCWSTR profile);
HRESULT WINAPI Nuvex_AddPage(NuvexDevice device, DWORD page, DWORD flags);
HRESULT WINAPI Nuvex_RemovePage(NuvexDevice device, DWORD page);
HRESULT WINAPI Nuvex_SetLed(NuvexDevice device, DWORD page, DWORD index, DWORD value);
HRESULT WINAPI Nuvex_SetString(NuvexDevice device, DWORD page, DWORD index, DWORD count,
                               LPCWSTR text);
HRESULT WINAPI Nuvex_SetImage(NuvexDevice device, DWORD page, DWORD index, DWORD byteCount,
                              const BYTE* image);
HRESULT WINAPI Nuvex_SetImageFromFile(NuvexDevice device, DWORD page, DWORD index, DWORD count,
                                      LPCWSTR fileName);
HRESULT WINAPI Nuvex_StartServer(NuvexDevice device, DWORD count, LPCWSTR serverName,
                                 DWORD* serverId, BYTE* status);
HRESULT WINAPI Nuvex_CloseServer(NuvexDevice device, DWORD serverId, BYTE* status);
HRESULT WINAPI Nuvex_SendServerMsg(NuvexDevice device, DWORD serverId, DWORD requestCode,
                                   DWORD page, DWORD inputByteCount, const BYTE* input,
                                   DWORD outputByteCount, BYTE* output, BYTE* status);
HRESULT WINAPI Nuvex_SendServerFile(NuvexDevice device, DWORD serverId, DWORD requestCode,
                                    DWORD page, DWORD headerByteCount, const BYTE* header,
                                    DWORD count, LPCWSTR fileName, DWORD outputByteCount,
                                    BYTE* output, BYTE* status);
HRESULT WINAPI Nuvex_SaveFile(NuvexDevice device, DWORD page, DWORD fileNumber, DWORD count,
                              LPCWSTR fileName, BYTE* status);
HRESULT WINAPI Nuvex_DisplayFile(NuvexDevice device, DWORD page, DWORD index, DWORD fileNumber,
                                 BYTE* status);
HRESULT WINAPI Nuvex_DeleteFile(NuvexDevice device, DWORD page, DWORD fileNumber, BYTE* status);
HRESULT WINAPI Nuvex_GetSerialNumber(NuvexDevice device, LPWSTR buffer, DWORD size);
}
