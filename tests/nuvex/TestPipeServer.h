#pragma once
// A bare server end of the service's pipe, for tests of the transport below the protocol.

#include "common/UniqueHandle.h"

#include <windows.h>

#include <vector>

class CTestPipeServer {
public:
    // inBufferSize: how much the client may write before its writes wait for a read.
    explicit CTestPipeServer(DWORD pipeType = PIPE_TYPE_MESSAGE, DWORD inBufferSize = 4096);

    bool IsValid() const { return static_cast<bool>(m_pipe); }
    bool WaitForClient(DWORD timeoutMs = 5000);
    bool Write(const std::vector<BYTE>& message);
    // One read of at most 4096 bytes.
    bool Read(std::vector<BYTE>& message, DWORD timeoutMs = 5000);
    void Close();

private:
    UniqueFile m_pipe;
};
