#pragma once
// A zero-filled request body or reply buffer, written at byte offsets. Small ones live inside
// the object (on the caller's stack); larger ones on the heap.

#include "nuvex/api/DeviceRecord.h"

#include <windows.h>

#include <memory>

class CMessageBuffer {
public:
    CMessageBuffer() = default;
    CMessageBuffer(const CMessageBuffer&) = delete;
    CMessageBuffer& operator=(const CMessageBuffer&) = delete;

    // False when the size cannot be sent in one transfer or the room cannot be allocated.
    bool Allocate(ULONGLONG size);
    // A request body for `device`: Allocate, then the device prefix.
    bool AllocateFor(const CDeviceRecord& device, ULONGLONG size);

    BYTE* Data() { return m_data; }
    const BYTE* Data() const { return m_data; }
    DWORD Size() const { return m_size; }

    void PutDword(DWORD offset, DWORD value);
    void PutBytes(DWORD offset, const void* bytes, DWORD count);
    // At most count characters, stopping early at a zero character.
    void PutText(DWORD offset, const wchar_t* text, DWORD count);
    // The request prefix: the device id, then the terminal id of this process.
    void PutDevicePrefix(const CDeviceRecord& device);

    DWORD GetDword(DWORD offset) const;
    void GetBytes(DWORD offset, void* bytes, DWORD count) const;

private:
    static constexpr DWORD kInlineBytes = 48;

    BYTE m_inline[kInlineBytes] = {};
    std::unique_ptr<BYTE[]> m_heap;
    BYTE* m_data = m_inline;
    DWORD m_size = 0;
};
