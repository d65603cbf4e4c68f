// The 23 exports: each forwards to the library object, built on first use. No exception leaves
// an export: one thrown by its work becomes its failure result.

#include "nuvex/api/Nuvex.h"

#include "nuvex/api/DeviceExports.h"
#include "nuvex/api/LibraryObject.h"
#include "nuvex/api/ServerExports.h"

#include "common/CallNoThrow.h"

namespace {

template <typename Exports, typename Call> HRESULT CallExport(Call call) noexcept {
    return CallNoThrow([&]() -> HRESULT {
        CDeviceList* library = GetLibraryObject();
        if (library == nullptr)
            return E_OUTOFMEMORY;
        Exports exports(*library);
        return call(exports);
    });
}

template <typename Call> HRESULT WithDevices(Call call) noexcept {
    return CallExport<CDeviceExports>(call);
}

template <typename Call> HRESULT WithServers(Call call) noexcept {
    return CallExport<CServerExports>(call);
}

} // namespace

HRESULT WINAPI Nuvex_Initialize(LPCWSTR) {
    return WithDevices([](CDeviceExports& e) { return e.Initialize(); });
}

// Deinitialize and RegisterDeviceCallback succeed whatever happens.
HRESULT WINAPI Nuvex_Deinitialize() {
    (void)WithDevices([](CDeviceExports& e) { return e.Deinitialize(); });
    return S_OK;
}

HRESULT WINAPI Nuvex_RegisterDeviceCallback(DeviceCallback callback, void* context) {
    (void)WithDevices(
        [&](CDeviceExports& e) { return e.RegisterDeviceCallback(callback, context); });
    return S_OK;
}

HRESULT WINAPI Nuvex_Enumerate(EnumerateCallback callback, void* context) {
    return WithDevices([&](CDeviceExports& e) { return e.Enumerate(callback, context); });
}

HRESULT WINAPI Nuvex_RegisterPageCallback(NuvexDevice device, PageCallback callback,
                                          void* context) {
    return WithDevices(
        [&](CDeviceExports& e) { return e.RegisterPageCallback(device, callback, context); });
}

HRESULT WINAPI Nuvex_RegisterSoftButtonCallback(NuvexDevice device, SoftButtonCallback callback,
                                                void* context) {
    return WithDevices(
        [&](CDeviceExports& e) { return e.RegisterSoftButtonCallback(device, callback, context); });
}

HRESULT WINAPI Nuvex_GetDeviceType(NuvexDevice device, GUID* type) {
    return WithDevices([&](CDeviceExports& e) { return e.GetDeviceType(device, type); });
}

HRESULT WINAPI Nuvex_GetDeviceInstance(NuvexDevice device, GUID* instance) {
    return WithDevices([&](CDeviceExports& e) { return e.GetDeviceInstance(device, instance); });
}

HRESULT WINAPI Nuvex_SetProfile(NuvexDevice device, DWORD count, LPCWSTR profile) {
    return WithDevices([&](CDeviceExports& e) { return e.SetProfile(device, count, profile); });
}

HRESULT WINAPI Nuvex_AddPage(NuvexDevice device, DWORD page, DWORD flags) {
    return WithDevices([&](CDeviceExports& e) { return e.AddPage(device, page, flags); });
}

HRESULT WINAPI Nuvex_RemovePage(NuvexDevice device, DWORD page) {
    return WithDevices([&](CDeviceExports& e) { return e.RemovePage(device, page); });
}

HRESULT WINAPI Nuvex_SetLed(NuvexDevice device, DWORD page, DWORD index, DWORD value) {
    return WithDevices([&](CDeviceExports& e) { return e.SetLed(device, page, index, value); });
}

HRESULT WINAPI Nuvex_SetString(NuvexDevice device, DWORD page, DWORD index, DWORD count,
                               LPCWSTR text) {
    return WithDevices(
        [&](CDeviceExports& e) { return e.SetString(device, page, index, count, text); });
}

HRESULT WINAPI Nuvex_SetImage(NuvexDevice device, DWORD page, DWORD index, DWORD byteCount,
                              const BYTE* image) {
    return WithDevices(
        [&](CDeviceExports& e) { return e.SetImage(device, page, index, byteCount, image); });
}

HRESULT WINAPI Nuvex_SetImageFromFile(NuvexDevice device, DWORD page, DWORD index, DWORD count,
                                      LPCWSTR fileName) {
    return WithDevices([&](CDeviceExports& e) {
        return e.SetImageFromFile(device, page, index, count, fileName);
    });
}

HRESULT WINAPI Nuvex_StartServer(NuvexDevice device, DWORD count, LPCWSTR serverName,
                                 DWORD* serverId, BYTE* status) {
    return WithServers([&](CServerExports& e) {
        return e.StartServer(device, count, serverName, serverId, status);
    });
}

HRESULT WINAPI Nuvex_CloseServer(NuvexDevice device, DWORD serverId, BYTE* status) {
    return WithServers([&](CServerExports& e) { return e.CloseServer(device, serverId, status); });
}

HRESULT WINAPI Nuvex_SendServerMsg(NuvexDevice device, DWORD serverId, DWORD requestCode,
                                   DWORD page, DWORD inputByteCount, const BYTE* input,
                                   DWORD outputByteCount, BYTE* output, BYTE* status) {
    return WithServers([&](CServerExports& e) {
        return e.SendServerMsg(device, serverId, requestCode, page, inputByteCount, input,
                               outputByteCount, output, status);
    });
}

HRESULT WINAPI Nuvex_SendServerFile(NuvexDevice device, DWORD serverId, DWORD requestCode,
                                    DWORD page, DWORD headerByteCount, const BYTE* header,
                                    DWORD count, LPCWSTR fileName, DWORD outputByteCount,
                                    BYTE* output, BYTE* status) {
    return WithServers([&](CServerExports& e) {
        return e.SendServerFile(device, serverId, requestCode, page, headerByteCount, header, count,
                                fileName, outputByteCount, output, status);
    });
}

HRESULT WINAPI Nuvex_SaveFile(NuvexDevice device, DWORD page, DWORD fileNumber, DWORD count,
                              LPCWSTR fileName, BYTE* status) {
    return WithServers([&](CServerExports& e) {
        return e.SaveFile(device, page, fileNumber, count, fileName, status);
    });
}

HRESULT WINAPI Nuvex_DisplayFile(NuvexDevice device, DWORD page, DWORD index, DWORD fileNumber,
                                 BYTE* status) {
    return WithServers(
        [&](CServerExports& e) { return e.DisplayFile(device, page, index, fileNumber, status); });
}

HRESULT WINAPI Nuvex_DeleteFile(NuvexDevice device, DWORD page, DWORD fileNumber, BYTE* status) {
    return WithServers(
        [&](CServerExports& e) { return e.DeleteFile(device, page, fileNumber, status); });
}

HRESULT WINAPI Nuvex_GetSerialNumber(NuvexDevice device, LPWSTR buffer, DWORD size) {
    return WithDevices([&](CDeviceExports& e) { return e.GetSerialNumber(device, buffer, size); });
}
