#include "app/display/NuvexLibrary.h"

#include <cstring>

// {6A3E0C51-2B47-4C8E-9D10-4F5256494B01}
const GUID kDeviceTypeOrvik = {
    0x6A3E0C51, 0x2B47, 0x4C8E, {0x9D, 0x10, 0x4F, 0x52, 0x56, 0x49, 0x4B, 0x01}};
// {6A3E0C52-2B47-4C8E-9D10-564558410002}
const GUID kDeviceTypeVexa = {
    0x6A3E0C52, 0x2B47, 0x4C8E, {0x9D, 0x10, 0x56, 0x45, 0x58, 0x41, 0x00, 0x02}};

bool IsDeviceType(const GUID& type, const GUID& expected) {
    return memcmp(&type, &expected, sizeof(GUID)) == 0;
}

namespace {

constexpr size_t kPathChars = 512;
// Two bytes short of the buffer, so a value that fills the offer still leaves room for a zero.
constexpr DWORD kPathBytesOffered = 1022;

// The library's path from the registry; false when the key or value cannot be read.
bool ReadLibraryPath(wchar_t (&path)[kPathChars]) {
    UniqueRegistryKey key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, CNuvexLibrary::kRegistryKey, 0, KEY_READ, key.put()) !=
        ERROR_SUCCESS)
        return false;
    DWORD cb = kPathBytesOffered;
    if (RegQueryValueExW(key.get(), CNuvexLibrary::kRegistryValue, nullptr, nullptr,
                         reinterpret_cast<BYTE*>(path), &cb) != ERROR_SUCCESS)
        return false;
    path[cb / sizeof(wchar_t)] = L'\0';
    path[kPathChars - 1] = L'\0';
    return true;
}

} // namespace

CNuvexLibrary& GetNuvexLibrary() {
    static CNuvexLibrary library;
    return library;
}

bool IsNuvexServiceRunning() {
    UniqueServiceHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
    if (!manager)
        return false;
    UniqueServiceHandle service(OpenServiceW(manager.get(), L"ZanNvx", SERVICE_QUERY_STATUS));
    if (!service)
        return false;
    SERVICE_STATUS status = {};
    if (!QueryServiceStatus(service.get(), &status))
        return false;
    return status.dwCurrentState == SERVICE_RUNNING;
}

CNuvexLibrary::CNuvexLibrary() {
    wchar_t path[kPathChars] = {};
    if (ReadLibraryPath(path))
        Load(path);
}

CNuvexLibrary::CNuvexLibrary(const wchar_t* libraryPath) {
    Load(libraryPath);
}

CNuvexLibrary::CNuvexLibrary(const NuvexEntryPoints& entryPoints) : m_entryPoints(entryPoints) {}

CNuvexLibrary::~CNuvexLibrary() = default;

template <typename Fn, typename... Args>
HRESULT CNuvexLibrary::Request(Fn entry, NuvexDevice device, Args... args) {
    if (!entry)
        return E_NOTIMPL;
    const HRESULT result = entry(device, args...);
    m_silentDevices.OnResult(device, result, false);
    return result;
}

template <typename Fn, typename... Args>
HRESULT CNuvexLibrary::Send(Fn entry, NuvexDevice device, Args... args) {
    if (!entry)
        return E_NOTIMPL;
    if (!m_silentDevices.MaySend(device))
        return E_UNEXPECTED;
    const HRESULT result = entry(device, args...);
    m_silentDevices.OnResult(device, result, true);
    return result;
}

template <typename Fn> void CNuvexLibrary::Resolve(Fn& entry, const char* name) {
    entry = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(m_library.get(), name)));
}

void CNuvexLibrary::Load(const wchar_t* libraryPath) {
    m_library.reset(LoadLibraryW(libraryPath));
    if (!m_library)
        return;
    NuvexEntryPoints& e = m_entryPoints;
    Resolve(e.Nuvex_Initialize, "Nuvex_Initialize");
    Resolve(e.Nuvex_Deinitialize, "Nuvex_Deinitialize");
    Resolve(e.Nuvex_RegisterDeviceCallback, "Nuvex_RegisterDeviceCallback");
    Resolve(e.Nuvex_Enumerate, "Nuvex_Enumerate");
    Resolve(e.Nuvex_RegisterPageCallback, "Nuvex_RegisterPageCallback");
    Resolve(e.Nuvex_RegisterSoftButtonCallback, "Nuvex_RegisterSoftButtonCallback");
    Resolve(e.Nuvex_GetDeviceType, "Nuvex_GetDeviceType");
    Resolve(e.Nuvex_GetDeviceInstance, "Nuvex_GetDeviceInstance");
    Resolve(e.Nuvex_SetProfile, "Nuvex_SetProfile");
    Resolve(e.Nuvex_AddPage, "Nuvex_AddPage");
    Resolve(e.Nuvex_RemovePage, "Nuvex_RemovePage");
    Resolve(e.Nuvex_SetLed, "Nuvex_SetLed");
    Resolve(e.Nuvex_SetString, "Nuvex_SetString");
    Resolve(e.Nuvex_SetImage, "Nuvex_SetImage");
    Resolve(e.Nuvex_SetImageFromFile, "Nuvex_SetImageFromFile");
    Resolve(e.Nuvex_StartServer, "Nuvex_StartServer");
    Resolve(e.Nuvex_CloseServer, "Nuvex_CloseServer");
    Resolve(e.Nuvex_SendServerMsg, "Nuvex_SendServerMsg");
    Resolve(e.Nuvex_SendServerFile, "Nuvex_SendServerFile");
    Resolve(e.Nuvex_SaveFile, "Nuvex_SaveFile");
    Resolve(e.Nuvex_DisplayFile, "Nuvex_DisplayFile");
    Resolve(e.Nuvex_DeleteFile, "Nuvex_DeleteFile");
    Resolve(e.Nuvex_GetSerialNumber, "Nuvex_GetSerialNumber");
}

HRESULT CNuvexLibrary::Nuvex_Initialize(const wchar_t* applicationName) {
    auto entry = m_entryPoints.Nuvex_Initialize;
    return entry ? entry(applicationName) : E_NOTIMPL;
}

HRESULT CNuvexLibrary::Nuvex_Deinitialize() {
    auto entry = m_entryPoints.Nuvex_Deinitialize;
    return entry ? entry() : E_NOTIMPL;
}

HRESULT CNuvexLibrary::Nuvex_RegisterDeviceCallback(DeviceCallback callback, void* context) {
    auto entry = m_entryPoints.Nuvex_RegisterDeviceCallback;
    return entry ? entry(callback, context) : E_NOTIMPL;
}

HRESULT CNuvexLibrary::Nuvex_Enumerate(EnumerateCallback callback, void* context) {
    auto entry = m_entryPoints.Nuvex_Enumerate;
    return entry ? entry(callback, context) : E_NOTIMPL;
}

HRESULT CNuvexLibrary::Nuvex_RegisterPageCallback(NuvexDevice device, PageCallback callback,
                                                  void* context) {
    auto entry = m_entryPoints.Nuvex_RegisterPageCallback;
    return entry ? entry(device, callback, context) : E_NOTIMPL;
}

HRESULT CNuvexLibrary::Nuvex_RegisterSoftButtonCallback(NuvexDevice device,
                                                        SoftButtonCallback callback,
                                                        void* context) {
    auto entry = m_entryPoints.Nuvex_RegisterSoftButtonCallback;
    return entry ? entry(device, callback, context) : E_NOTIMPL;
}

HRESULT CNuvexLibrary::Nuvex_GetDeviceType(NuvexDevice device, GUID* type) {
    auto entry = m_entryPoints.Nuvex_GetDeviceType;
    return entry ? entry(device, type) : E_NOTIMPL;
}

HRESULT CNuvexLibrary::Nuvex_GetDeviceInstance(NuvexDevice device, GUID* instance) {
    auto entry = m_entryPoints.Nuvex_GetDeviceInstance;
    return entry ? entry(device, instance) : E_NOTIMPL;
}

HRESULT CNuvexLibrary::Nuvex_SetProfile(NuvexDevice device, DWORD cch, const wchar_t* profile) {
    return Request(m_entryPoints.Nuvex_SetProfile, device, cch, profile);
}

HRESULT CNuvexLibrary::Nuvex_AddPage(NuvexDevice device, DWORD page, DWORD flags) {
    return Request(m_entryPoints.Nuvex_AddPage, device, page, flags);
}

HRESULT CNuvexLibrary::Nuvex_RemovePage(NuvexDevice device, DWORD page) {
    return Request(m_entryPoints.Nuvex_RemovePage, device, page);
}

HRESULT CNuvexLibrary::Nuvex_SetLed(NuvexDevice device, DWORD page, DWORD index, DWORD value) {
    return Send(m_entryPoints.Nuvex_SetLed, device, page, index, value);
}

HRESULT CNuvexLibrary::Nuvex_SetString(NuvexDevice device, DWORD page, DWORD index, DWORD cch,
                                       const wchar_t* text) {
    return Send(m_entryPoints.Nuvex_SetString, device, page, index, cch, text);
}

HRESULT CNuvexLibrary::Nuvex_SetImage(NuvexDevice device, DWORD page, DWORD index, DWORD cb,
                                      const BYTE* image) {
    return Send(m_entryPoints.Nuvex_SetImage, device, page, index, cb, image);
}

HRESULT CNuvexLibrary::Nuvex_SetImageFromFile(NuvexDevice device, DWORD page, DWORD index,
                                              DWORD cch, const wchar_t* fileName) {
    return Send(m_entryPoints.Nuvex_SetImageFromFile, device, page, index, cch, fileName);
}

HRESULT CNuvexLibrary::Nuvex_StartServer(NuvexDevice device, DWORD cch, const wchar_t* serverName,
                                         DWORD* serverId, BYTE* status) {
    auto entry = m_entryPoints.Nuvex_StartServer;
    return entry ? entry(device, cch, serverName, serverId, status) : E_NOTIMPL;
}

HRESULT CNuvexLibrary::Nuvex_CloseServer(NuvexDevice device, DWORD serverId, BYTE* status) {
    auto entry = m_entryPoints.Nuvex_CloseServer;
    return entry ? entry(device, serverId, status) : E_NOTIMPL;
}

HRESULT CNuvexLibrary::Nuvex_SendServerMsg(NuvexDevice device, DWORD serverId, DWORD requestCode,
                                           DWORD page, DWORD cbIn, const BYTE* in, DWORD cbOut,
                                           BYTE* out, BYTE* status) {
    auto entry = m_entryPoints.Nuvex_SendServerMsg;
    return entry ? entry(device, serverId, requestCode, page, cbIn, in, cbOut, out, status)
                 : E_NOTIMPL;
}

HRESULT CNuvexLibrary::Nuvex_SendServerFile(NuvexDevice device, DWORD serverId, DWORD requestCode,
                                            DWORD page, DWORD cbHeader, const BYTE* header,
                                            DWORD cch, const wchar_t* fileName, DWORD cbOut,
                                            BYTE* out, BYTE* status) {
    auto entry = m_entryPoints.Nuvex_SendServerFile;
    return entry ? entry(device, serverId, requestCode, page, cbHeader, header, cch, fileName,
                         cbOut, out, status)
                 : E_NOTIMPL;
}

HRESULT CNuvexLibrary::Nuvex_SaveFile(NuvexDevice device, DWORD page, DWORD file, DWORD cch,
                                      const wchar_t* fileName, BYTE* status) {
    auto entry = m_entryPoints.Nuvex_SaveFile;
    return entry ? entry(device, page, file, cch, fileName, status) : E_NOTIMPL;
}

HRESULT CNuvexLibrary::Nuvex_DisplayFile(NuvexDevice device, DWORD page, DWORD index, DWORD file,
                                         BYTE* status) {
    auto entry = m_entryPoints.Nuvex_DisplayFile;
    return entry ? entry(device, page, index, file, status) : E_NOTIMPL;
}

HRESULT CNuvexLibrary::Nuvex_DeleteFile(NuvexDevice device, DWORD page, DWORD file, BYTE* status) {
    auto entry = m_entryPoints.Nuvex_DeleteFile;
    return entry ? entry(device, page, file, status) : E_NOTIMPL;
}

HRESULT CNuvexLibrary::Nuvex_GetSerialNumber(NuvexDevice device, wchar_t* serial, DWORD cch) {
    return Request(m_entryPoints.Nuvex_GetSerialNumber, device, serial, cch);
}
