#pragma once
// What the library's frame and device exports do, against one library object.

#include "nuvex/api/DeviceList.h"
#include "nuvex/api/Nuvex.h"

class CDeviceExports {
public:
    explicit CDeviceExports(CDeviceList& library) : m_library(library) {}

    HRESULT Initialize();
    HRESULT Deinitialize();
    HRESULT RegisterDeviceCallback(DeviceCallback callback, void* context);
    HRESULT Enumerate(EnumerateCallback callback, void* context);
    HRESULT RegisterPageCallback(NuvexDevice device, PageCallback callback, void* context);
    HRESULT RegisterSoftButtonCallback(NuvexDevice device, SoftButtonCallback callback,
                                       void* context);
    HRESULT GetDeviceType(NuvexDevice device, GUID* type);
    HRESULT GetDeviceInstance(NuvexDevice device, GUID* instance);
    HRESULT SetProfile(NuvexDevice device, DWORD count, LPCWSTR profile);
    HRESULT AddPage(NuvexDevice device, DWORD page, DWORD flags);
    HRESULT RemovePage(NuvexDevice device, DWORD page);
    HRESULT SetLed(NuvexDevice device, DWORD page, DWORD index, DWORD value);
    HRESULT SetString(NuvexDevice device, DWORD page, DWORD index, DWORD count, LPCWSTR text);
    HRESULT SetImage(NuvexDevice device, DWORD page, DWORD index, DWORD byteCount,
                     const BYTE* image);
    HRESULT SetImageFromFile(NuvexDevice device, DWORD page, DWORD index, DWORD count,
                             LPCWSTR fileName);
    HRESULT GetSerialNumber(NuvexDevice device, LPWSTR buffer, DWORD size);

private:
    HRESULT SendPageText(DWORD dwMessage, NuvexDevice device, DWORD page, DWORD index, DWORD count,
                         LPCWSTR text);
    // Sends a body of fixed size; fill writes the fields after the device prefix.
    template <typename Fill>
    HRESULT SendFixed(DWORD dwMessage, NuvexDevice device, DWORD size, Fill fill);
    HRESULT SendForResult(DWORD dwMessage, const CMessageBuffer& body);
    bool SendForId(DWORD dwMessage, const CDeviceRecord& record, CMessageBuffer& reply);

    CDeviceList& m_library;
};

// A count of 0 makes the pointer null and a null pointer makes the count 0.
template <typename T> void NormaliseCount(DWORD& count, T*& pointer) {
    if (count == 0)
        pointer = nullptr;
    if (pointer == nullptr)
        count = 0;
}
