#pragma once
// The process-wide binding to the display-device client library, loaded at run time from the path
// in the registry. Every call returns E_NOTIMPL when the library or its entry point is missing.
// Sends to a device that has stopped answering return E_UNEXPECTED at once (CSilentDevices).

#include "app/display/SilentDevices.h"
#include "nuvex/api/Nuvex.h"

#include "common/UniqueHandle.h"

// The types of the library's 23 exports.
using PFN_Nuvex_Initialize = decltype(&::Nuvex_Initialize);
using PFN_Nuvex_Deinitialize = decltype(&::Nuvex_Deinitialize);
using PFN_Nuvex_RegisterDeviceCallback = decltype(&::Nuvex_RegisterDeviceCallback);
using PFN_Nuvex_Enumerate = decltype(&::Nuvex_Enumerate);
using PFN_Nuvex_RegisterPageCallback = decltype(&::Nuvex_RegisterPageCallback);
using PFN_Nuvex_RegisterSoftButtonCallback = decltype(&::Nuvex_RegisterSoftButtonCallback);
using PFN_Nuvex_GetDeviceType = decltype(&::Nuvex_GetDeviceType);
using PFN_Nuvex_GetDeviceInstance = decltype(&::Nuvex_GetDeviceInstance);
using PFN_Nuvex_SetProfile = decltype(&::Nuvex_SetProfile);
using PFN_Nuvex_AddPage = decltype(&::Nuvex_AddPage);
using PFN_Nuvex_RemovePage = decltype(&::Nuvex_RemovePage);
using PFN_Nuvex_SetLed = decltype(&::Nuvex_SetLed);
using PFN_Nuvex_SetString = decltype(&::Nuvex_SetString);
using PFN_Nuvex_SetImage = decltype(&::Nuvex_SetImage);
using PFN_Nuvex_SetImageFromFile = decltype(&::Nuvex_SetImageFromFile);
using PFN_Nuvex_StartServer = decltype(&::Nuvex_StartServer);
using PFN_Nuvex_CloseServer = decltype(&::Nuvex_CloseServer);
using PFN_Nuvex_SendServerMsg = decltype(&::Nuvex_SendServerMsg);
using PFN_Nuvex_SendServerFile = decltype(&::Nuvex_SendServerFile);
using PFN_Nuvex_SaveFile = decltype(&::Nuvex_SaveFile);
using PFN_Nuvex_DisplayFile = decltype(&::Nuvex_DisplayFile);
using PFN_Nuvex_DeleteFile = decltype(&::Nuvex_DeleteFile);
using PFN_Nuvex_GetSerialNumber = decltype(&::Nuvex_GetSerialNumber);

// The entry points, in the order they are bound.
struct NuvexEntryPoints {
    PFN_Nuvex_Initialize Nuvex_Initialize = nullptr;
    PFN_Nuvex_Deinitialize Nuvex_Deinitialize = nullptr;
    PFN_Nuvex_RegisterDeviceCallback Nuvex_RegisterDeviceCallback = nullptr;
    PFN_Nuvex_Enumerate Nuvex_Enumerate = nullptr;
    PFN_Nuvex_RegisterPageCallback Nuvex_RegisterPageCallback = nullptr;
    PFN_Nuvex_RegisterSoftButtonCallback Nuvex_RegisterSoftButtonCallback = nullptr;
    PFN_Nuvex_GetDeviceType Nuvex_GetDeviceType = nullptr;
    PFN_Nuvex_GetDeviceInstance Nuvex_GetDeviceInstance = nullptr;
    PFN_Nuvex_SetProfile Nuvex_SetProfile = nullptr;
    PFN_Nuvex_AddPage Nuvex_AddPage = nullptr;
    PFN_Nuvex_RemovePage Nuvex_RemovePage = nullptr;
    PFN_Nuvex_SetLed Nuvex_SetLed = nullptr;
    PFN_Nuvex_SetString Nuvex_SetString = nullptr;
    PFN_Nuvex_SetImage Nuvex_SetImage = nullptr;
    PFN_Nuvex_SetImageFromFile Nuvex_SetImageFromFile = nullptr;
    PFN_Nuvex_StartServer Nuvex_StartServer = nullptr;
    PFN_Nuvex_CloseServer Nuvex_CloseServer = nullptr;
    PFN_Nuvex_SendServerMsg Nuvex_SendServerMsg = nullptr;
    PFN_Nuvex_SendServerFile Nuvex_SendServerFile = nullptr;
    PFN_Nuvex_SaveFile Nuvex_SaveFile = nullptr;
    PFN_Nuvex_DisplayFile Nuvex_DisplayFile = nullptr;
    PFN_Nuvex_DeleteFile Nuvex_DeleteFile = nullptr;
    PFN_Nuvex_GetSerialNumber Nuvex_GetSerialNumber = nullptr;
};

// The two kinds of display device the program serves; compared as 16 raw bytes.
extern const GUID kDeviceTypeOrvik; // the joystick display
extern const GUID kDeviceTypeVexa;  // the instrument panel
bool IsDeviceType(const GUID& type, const GUID& expected);

class CNuvexLibrary {
public:
    // Where the program finds the library: HKLM, value "Nuvex" of this key.
    static constexpr const wchar_t* kRegistryKey = L"SOFTWARE\\Harmel\\FSX Plugin";
    static constexpr const wchar_t* kRegistryValue = L"Nuvex";

    // Binds the library named in the registry (nothing bound when the value or file is missing).
    CNuvexLibrary();
    // Binds the library at `libraryPath`; tests make fresh instances this way.
    explicit CNuvexLibrary(const wchar_t* libraryPath);
    // Calls through `entryPoints` without loading anything; tests bind fakes this way.
    explicit CNuvexLibrary(const NuvexEntryPoints& entryPoints);
    ~CNuvexLibrary();
    CNuvexLibrary(const CNuvexLibrary&) = delete;
    CNuvexLibrary& operator=(const CNuvexLibrary&) = delete;

    bool IsLoaded() const { return static_cast<bool>(m_library); }
    const NuvexEntryPoints& EntryPoints() const { return m_entryPoints; }
    // Test seam: every later call goes through `entryPoints` instead (a loaded library stays loaded
    // until destruction). Not for use while other threads call.
    void InjectEntryPoints(const NuvexEntryPoints& entryPoints) { m_entryPoints = entryPoints; }

    HRESULT Nuvex_Initialize(const wchar_t* applicationName);
    HRESULT Nuvex_Deinitialize();
    HRESULT Nuvex_RegisterDeviceCallback(DeviceCallback callback, void* context);
    HRESULT Nuvex_Enumerate(EnumerateCallback callback, void* context);
    HRESULT Nuvex_RegisterPageCallback(NuvexDevice device, PageCallback callback, void* context);
    HRESULT Nuvex_RegisterSoftButtonCallback(NuvexDevice device, SoftButtonCallback callback,
                                             void* context);
    HRESULT Nuvex_GetDeviceType(NuvexDevice device, GUID* type);
    HRESULT Nuvex_GetDeviceInstance(NuvexDevice device, GUID* instance);
    HRESULT Nuvex_SetProfile(NuvexDevice device, DWORD cch, const wchar_t* profile);
    HRESULT Nuvex_AddPage(NuvexDevice device, DWORD page, DWORD flags);
    HRESULT Nuvex_RemovePage(NuvexDevice device, DWORD page);
    HRESULT Nuvex_SetLed(NuvexDevice device, DWORD page, DWORD index, DWORD value);
    HRESULT Nuvex_SetString(NuvexDevice device, DWORD page, DWORD index, DWORD cch,
                            const wchar_t* text);
    HRESULT Nuvex_SetImage(NuvexDevice device, DWORD page, DWORD index, DWORD cb,
                           const BYTE* image);
    HRESULT Nuvex_SetImageFromFile(NuvexDevice device, DWORD page, DWORD index, DWORD cch,
                                   const wchar_t* fileName);
    HRESULT Nuvex_StartServer(NuvexDevice device, DWORD cch, const wchar_t* serverName,
                              DWORD* serverId, BYTE* status);
    HRESULT Nuvex_CloseServer(NuvexDevice device, DWORD serverId, BYTE* status);
    HRESULT Nuvex_SendServerMsg(NuvexDevice device, DWORD serverId, DWORD requestCode, DWORD page,
                                DWORD cbIn, const BYTE* in, DWORD cbOut, BYTE* out, BYTE* status);
    HRESULT Nuvex_SendServerFile(NuvexDevice device, DWORD serverId, DWORD requestCode, DWORD page,
                                 DWORD cbHeader, const BYTE* header, DWORD cch,
                                 const wchar_t* fileName, DWORD cbOut, BYTE* out, BYTE* status);
    HRESULT Nuvex_SaveFile(NuvexDevice device, DWORD page, DWORD file, DWORD cch,
                           const wchar_t* fileName, BYTE* status);
    HRESULT Nuvex_DisplayFile(NuvexDevice device, DWORD page, DWORD index, DWORD file,
                              BYTE* status);
    HRESULT Nuvex_DeleteFile(NuvexDevice device, DWORD page, DWORD file, BYTE* status);
    HRESULT Nuvex_GetSerialNumber(NuvexDevice device, wchar_t* serial, DWORD cch);

    // Which devices answer the requests made through this binding.
    CSilentDevices& SilentDevices() { return m_silentDevices; }

private:
    void Load(const wchar_t* libraryPath);
    template <typename Fn> void Resolve(Fn& entry, const char* name);
    // A request to the device, whose outcome tells whether the device answers.
    template <typename Fn, typename... Args>
    HRESULT Request(Fn entry, NuvexDevice device, Args... args);
    // A request that changes what the device shows: refused while the device is silent.
    template <typename Fn, typename... Args>
    HRESULT Send(Fn entry, NuvexDevice device, Args... args);

    UniqueModule m_library;
    NuvexEntryPoints m_entryPoints;
    CSilentDevices m_silentDevices;
};

// The process-wide binding, created on first use from any thread.
CNuvexLibrary& GetNuvexLibrary();

// True only when the display-device service "ZanNvx" reports SERVICE_RUNNING.
bool IsNuvexServiceRunning();
