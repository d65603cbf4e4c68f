#pragma once
// What the server and file exports do, against one library object. Every reply of these
// carries a 16-byte status block that is copied to the caller, when asked for, after every
// exchange (zeros when nothing came back).

#include "nuvex/api/DeviceList.h"
#include "nuvex/api/Nuvex.h"

class CServerExports {
public:
    static constexpr DWORD kStatusBlockBytes = 16;

    explicit CServerExports(CDeviceList& library) : m_library(library) {}

    HRESULT StartServer(NuvexDevice device, DWORD count, LPCWSTR serverName, DWORD* serverId,
                        BYTE* status);
    HRESULT CloseServer(NuvexDevice device, DWORD serverId, BYTE* status);
    HRESULT SendServerMsg(NuvexDevice device, DWORD serverId, DWORD requestCode, DWORD page,
                          DWORD inputByteCount, const BYTE* input, DWORD outputByteCount,
                          BYTE* output, BYTE* status);
    HRESULT SendServerFile(NuvexDevice device, DWORD serverId, DWORD requestCode, DWORD page,
                           DWORD headerByteCount, const BYTE* header, DWORD count, LPCWSTR fileName,
                           DWORD outputByteCount, BYTE* output, BYTE* status);
    HRESULT SaveFile(NuvexDevice device, DWORD page, DWORD fileNumber, DWORD count,
                     LPCWSTR fileName, BYTE* status);
    HRESULT DisplayFile(NuvexDevice device, DWORD page, DWORD index, DWORD fileNumber,
                        BYTE* status);
    HRESULT DeleteFile(NuvexDevice device, DWORD page, DWORD fileNumber, BYTE* status);

private:
    // A request whose reply is {HRESULT, 4 bytes, status block}.
    HRESULT SendForStatus(DWORD dwMessage, const CMessageBuffer& body, BYTE* status);
    // Messages 14 and 15: the reply is {HRESULT, status block, 4 bytes, output bytes}.
    HRESULT SendForOutput(DWORD dwMessage, const CMessageBuffer& body, DWORD outputByteCount,
                          BYTE* output, BYTE* status);

    CDeviceList& m_library;
};
