#include "nuvex/api/DeviceExports.h"

#include <algorithm>

namespace {

constexpr DWORD kResultBytes = sizeof(HRESULT);
constexpr DWORD kSerialCharacters = 16;

enum Message : DWORD {
    kInitialize = 0,
    kGetDeviceInstance = 1,
    kSetProfile = 2,
    kAddPage = 3,
    kRemovePage = 4,
    kSetLed = 5,
    kSetString = 6,
    kSetImage = 7,
    kSetImageFromFile = 8,
    kGetSerialNumber = 16,
};

HRESULT ResultFromLastError() {
    const auto error = static_cast<LONG>(GetLastError());
    if (error > 0)
        return static_cast<HRESULT>(0x80070000 | (static_cast<DWORD>(error) & 0xFFFF));
    if (error < 0)
        return error;
    return E_FAIL;
}

} // namespace

HRESULT CDeviceExports::Initialize() {
    if (!m_library.Connect())
        return ResultFromLastError();
    Sleep(10);
    CMessageBuffer body;
    CMessageBuffer reply;
    reply.Allocate(kResultBytes);
    m_library.Send(kInitialize, body, reply);
    return S_OK;
}

HRESULT CDeviceExports::Deinitialize() {
    m_library.Disconnect();
    return S_OK;
}

HRESULT CDeviceExports::RegisterDeviceCallback(DeviceCallback callback, void* context) {
    m_library.SetDeviceCallback(callback, context);
    return S_OK;
}

HRESULT CDeviceExports::Enumerate(EnumerateCallback callback, void* context) {
    if (callback == nullptr)
        return E_INVALIDARG;
    m_library.Enumerate(callback, context);
    return S_OK;
}

HRESULT CDeviceExports::RegisterPageCallback(NuvexDevice device, PageCallback callback,
                                             void* context) {
    return m_library.WithDevice(device, [&](CDeviceRecord& record) {
        record.SetPageCallback(callback, context);
        return S_OK;
    });
}

HRESULT CDeviceExports::RegisterSoftButtonCallback(NuvexDevice device, SoftButtonCallback callback,
                                                   void* context) {
    return m_library.WithDevice(device, [&](CDeviceRecord& record) {
        record.SetSoftButtonCallback(callback, context);
        return S_OK;
    });
}

HRESULT CDeviceExports::GetDeviceType(NuvexDevice device, GUID* type) {
    return m_library.WithAnyDevice(device, [&](CDeviceRecord& record) {
        if (type == nullptr)
            return E_INVALIDARG;
        *type = record.Type();
        return S_OK;
    });
}

HRESULT CDeviceExports::GetDeviceInstance(NuvexDevice device, GUID* instance) {
    return m_library.WithAnyDevice(device, [&](CDeviceRecord& record) {
        if (instance == nullptr)
            return E_INVALIDARG;
        CMessageBuffer reply;
        reply.Allocate(kResultBytes + sizeof(GUID));
        if (!SendForId(kGetDeviceInstance, record, reply))
            return E_FAIL;
        reply.GetBytes(kResultBytes, instance, sizeof(GUID));
        return static_cast<HRESULT>(reply.GetDword(0));
    });
}

HRESULT CDeviceExports::SetProfile(NuvexDevice device, DWORD count, LPCWSTR profile) {
    NormaliseCount(count, profile);
    return m_library.WithDevice(device, [&](CDeviceRecord& record) {
        CMessageBuffer body;
        if (!body.AllocateFor(record, 28 + ULONGLONG{count} * sizeof(wchar_t)))
            return E_OUTOFMEMORY;
        body.PutDword(20, count);
        body.PutText(24, profile, count);
        return SendForResult(kSetProfile, body);
    });
}

template <typename Fill>
HRESULT CDeviceExports::SendFixed(DWORD dwMessage, NuvexDevice device, DWORD size, Fill fill) {
    return m_library.WithDevice(device, [&](CDeviceRecord& record) {
        CMessageBuffer body;
        if (!body.AllocateFor(record, size))
            return E_OUTOFMEMORY;
        fill(body);
        return SendForResult(dwMessage, body);
    });
}

HRESULT CDeviceExports::AddPage(NuvexDevice device, DWORD page, DWORD flags) {
    return SendFixed(kAddPage, device, 28, [&](CMessageBuffer& body) {
        body.PutDword(20, page);
        body.PutDword(24, flags);
    });
}

HRESULT CDeviceExports::RemovePage(NuvexDevice device, DWORD page) {
    return SendFixed(kRemovePage, device, 28,
                     [&](CMessageBuffer& body) { body.PutDword(20, page); });
}

HRESULT CDeviceExports::SetLed(NuvexDevice device, DWORD page, DWORD index, DWORD value) {
    return SendFixed(kSetLed, device, 32, [&](CMessageBuffer& body) {
        body.PutDword(20, page);
        body.PutDword(24, index);
        body.PutDword(28, value);
    });
}

HRESULT CDeviceExports::SetString(NuvexDevice device, DWORD page, DWORD index, DWORD count,
                                  LPCWSTR text) {
    return SendPageText(kSetString, device, page, index, count, text);
}

HRESULT CDeviceExports::SetImageFromFile(NuvexDevice device, DWORD page, DWORD index, DWORD count,
                                         LPCWSTR fileName) {
    return SendPageText(kSetImageFromFile, device, page, index, count, fileName);
}

HRESULT CDeviceExports::SendPageText(DWORD dwMessage, NuvexDevice device, DWORD page, DWORD index,
                                     DWORD count, LPCWSTR text) {
    NormaliseCount(count, text);
    return m_library.WithDevice(device, [&](CDeviceRecord& record) {
        CMessageBuffer body;
        if (!body.AllocateFor(record, 36 + ULONGLONG{count} * sizeof(wchar_t)))
            return E_OUTOFMEMORY;
        body.PutDword(20, page);
        body.PutDword(24, index);
        body.PutDword(28, count);
        body.PutText(32, text, count);
        return SendForResult(dwMessage, body);
    });
}

HRESULT CDeviceExports::SetImage(NuvexDevice device, DWORD page, DWORD index, DWORD byteCount,
                                 const BYTE* image) {
    NormaliseCount(byteCount, image);
    return m_library.WithDevice(device, [&](CDeviceRecord& record) {
        CMessageBuffer body;
        if (!body.AllocateFor(record, 36 + ULONGLONG{byteCount}))
            return E_OUTOFMEMORY;
        body.PutDword(20, page);
        body.PutDword(24, index);
        body.PutDword(28, byteCount);
        body.PutBytes(32, image, byteCount);
        return SendForResult(kSetImage, body);
    });
}

HRESULT CDeviceExports::GetSerialNumber(NuvexDevice device, LPWSTR buffer, DWORD size) {
    NormaliseCount(size, buffer);
    return m_library.WithDevice(device, [&](CDeviceRecord& record) {
        CMessageBuffer reply;
        reply.Allocate(kResultBytes + kSerialCharacters * sizeof(wchar_t));
        if (!SendForId(kGetSerialNumber, record, reply))
            return E_UNEXPECTED;
        const auto result = static_cast<HRESULT>(reply.GetDword(0));
        if (result == S_OK && buffer != nullptr)
            reply.GetBytes(kResultBytes, buffer,
                           std::min(size, kSerialCharacters) * sizeof(wchar_t));
        return result;
    });
}

// The two queries of a device name it by its id alone, in a 48-byte body.
bool CDeviceExports::SendForId(DWORD dwMessage, const CDeviceRecord& record,
                               CMessageBuffer& reply) {
    CMessageBuffer body;
    body.Allocate(48);
    body.PutBytes(0, record.Id().data(), static_cast<DWORD>(record.Id().size()));
    return m_library.Send(dwMessage, body, reply);
}

HRESULT CDeviceExports::SendForResult(DWORD dwMessage, const CMessageBuffer& body) {
    CMessageBuffer reply;
    reply.Allocate(kResultBytes);
    if (!m_library.Send(dwMessage, body, reply))
        return E_UNEXPECTED;
    return static_cast<HRESULT>(reply.GetDword(0));
}
