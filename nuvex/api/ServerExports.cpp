#include "nuvex/api/ServerExports.h"

#include "nuvex/api/DeviceExports.h"

namespace {

constexpr DWORD kStatusReplyBytes = 24;
constexpr DWORD kOutputReplyExtra = 28;
constexpr DWORD kOutputReplyStatusOffset = 4;
constexpr DWORD kOutputReplyDataOffset = 24;

enum Message : DWORD {
    kStartServer = 2,
    kSaveFile = 9,
    kDisplayFile = 10,
    kDeleteFile = 11,
    kCloseServer = 13,
    kSendServerMsg = 14,
    kSendServerFile = 15,
};

} // namespace

HRESULT CServerExports::StartServer(NuvexDevice device, DWORD count, LPCWSTR serverName,
                                    DWORD* serverId, BYTE* status) {
    NormaliseCount(count, serverName);
    return m_library.WithDevice(device, [&](CDeviceRecord& record) {
        if (serverId == nullptr)
            return E_INVALIDARG;
        CMessageBuffer body;
        if (!body.AllocateFor(record, 28 + ULONGLONG{count} * sizeof(wchar_t)))
            return E_OUTOFMEMORY;
        body.PutDword(20, count);
        body.PutText(24, serverName, count);
        CMessageBuffer reply;
        reply.Allocate(kStatusReplyBytes);
        const HRESULT result = m_library.Send(kStartServer, body, reply)
                                   ? static_cast<HRESULT>(reply.GetDword(0))
                                   : E_UNEXPECTED;
        if (SUCCEEDED(result))
            *serverId = reply.GetDword(4);
        if (status != nullptr)
            reply.GetBytes(8, status, kStatusBlockBytes);
        return result;
    });
}

HRESULT CServerExports::CloseServer(NuvexDevice device, DWORD serverId, BYTE* status) {
    return m_library.WithDevice(device, [&](CDeviceRecord& record) {
        CMessageBuffer body;
        if (!body.AllocateFor(record, 24))
            return E_OUTOFMEMORY;
        body.PutDword(20, serverId);
        return SendForStatus(kCloseServer, body, status);
    });
}

HRESULT CServerExports::SendServerMsg(NuvexDevice device, DWORD serverId, DWORD requestCode,
                                      DWORD page, DWORD inputByteCount, const BYTE* input,
                                      DWORD outputByteCount, BYTE* output, BYTE* status) {
    NormaliseCount(inputByteCount, input);
    NormaliseCount(outputByteCount, output);
    return m_library.WithDevice(device, [&](CDeviceRecord& record) {
        CMessageBuffer body;
        if (!body.AllocateFor(record, 44 + ULONGLONG{inputByteCount}))
            return E_OUTOFMEMORY;
        body.PutDword(20, serverId);
        body.PutDword(24, requestCode);
        body.PutDword(28, page);
        body.PutDword(32, inputByteCount);
        body.PutDword(36, outputByteCount);
        body.PutBytes(40, input, inputByteCount);
        return SendForOutput(kSendServerMsg, body, outputByteCount, output, status);
    });
}

HRESULT CServerExports::SendServerFile(NuvexDevice device, DWORD serverId, DWORD requestCode,
                                       DWORD page, DWORD headerByteCount, const BYTE* header,
                                       DWORD count, LPCWSTR fileName, DWORD outputByteCount,
                                       BYTE* output, BYTE* status) {
    NormaliseCount(headerByteCount, header);
    NormaliseCount(count, fileName);
    NormaliseCount(outputByteCount, output);
    return m_library.WithDevice(device, [&](CDeviceRecord& record) {
        CMessageBuffer body;
        if (!body.AllocateFor(record,
                              48 + ULONGLONG{headerByteCount} + ULONGLONG{count} * sizeof(wchar_t)))
            return E_OUTOFMEMORY;
        body.PutDword(20, serverId);
        body.PutDword(24, requestCode);
        body.PutDword(28, page);
        body.PutDword(32, headerByteCount);
        body.PutDword(36, outputByteCount);
        body.PutBytes(44, header, headerByteCount);
        body.PutText(48 + headerByteCount, fileName, count);
        return SendForOutput(kSendServerFile, body, outputByteCount, output, status);
    });
}

HRESULT CServerExports::SaveFile(NuvexDevice device, DWORD page, DWORD fileNumber, DWORD count,
                                 LPCWSTR fileName, BYTE* status) {
    NormaliseCount(count, fileName);
    return m_library.WithDevice(device, [&](CDeviceRecord& record) {
        CMessageBuffer body;
        if (!body.AllocateFor(record, 36 + ULONGLONG{count} * sizeof(wchar_t)))
            return E_OUTOFMEMORY;
        body.PutDword(20, page);
        body.PutDword(24, fileNumber);
        body.PutDword(28, count);
        body.PutText(32, fileName, count);
        return SendForStatus(kSaveFile, body, status);
    });
}

HRESULT CServerExports::DisplayFile(NuvexDevice device, DWORD page, DWORD index, DWORD fileNumber,
                                    BYTE* status) {
    return m_library.WithDevice(device, [&](CDeviceRecord& record) {
        CMessageBuffer body;
        if (!body.AllocateFor(record, 32))
            return E_OUTOFMEMORY;
        body.PutDword(20, page);
        body.PutDword(24, fileNumber);
        body.PutDword(28, index);
        return SendForStatus(kDisplayFile, body, status);
    });
}

HRESULT CServerExports::DeleteFile(NuvexDevice device, DWORD page, DWORD fileNumber, BYTE* status) {
    return m_library.WithDevice(device, [&](CDeviceRecord& record) {
        CMessageBuffer body;
        if (!body.AllocateFor(record, 32))
            return E_OUTOFMEMORY;
        body.PutDword(20, page);
        body.PutDword(24, fileNumber);
        return SendForStatus(kDeleteFile, body, status);
    });
}

HRESULT CServerExports::SendForStatus(DWORD dwMessage, const CMessageBuffer& body, BYTE* status) {
    CMessageBuffer reply;
    reply.Allocate(kStatusReplyBytes);
    const HRESULT result = m_library.Send(dwMessage, body, reply)
                               ? static_cast<HRESULT>(reply.GetDword(0))
                               : E_UNEXPECTED;
    if (status != nullptr)
        reply.GetBytes(8, status, kStatusBlockBytes);
    return result;
}

HRESULT CServerExports::SendForOutput(DWORD dwMessage, const CMessageBuffer& body,
                                      DWORD outputByteCount, BYTE* output, BYTE* status) {
    CMessageBuffer reply;
    if (!reply.Allocate(ULONGLONG{outputByteCount} + kOutputReplyExtra))
        return E_OUTOFMEMORY;
    HRESULT result = E_UNEXPECTED;
    if (m_library.Send(dwMessage, body, reply)) {
        result = static_cast<HRESULT>(reply.GetDword(0));
        if (SUCCEEDED(result))
            reply.GetBytes(kOutputReplyDataOffset, output, outputByteCount);
    }
    if (status != nullptr)
        reply.GetBytes(kOutputReplyStatusOffset, status, kStatusBlockBytes);
    return result;
}
