#include "nuvex/api/MessageBuffer.h"

#include "nuvex/protocol/TransferFormat.h"

#include <cstring>
#include <new>

bool CMessageBuffer::Allocate(ULONGLONG size) {
    // The body and its transfer header must fit the transfer's 32-bit length.
    if (size > MAXDWORD - sizeof(TransferHeader))
        return false;
    if (size > kInlineBytes) {
        m_heap.reset(new (std::nothrow) BYTE[static_cast<size_t>(size)]());
        if (!m_heap)
            return false;
        m_data = m_heap.get();
    }
    m_size = static_cast<DWORD>(size);
    return true;
}

bool CMessageBuffer::AllocateFor(const CDeviceRecord& device, ULONGLONG size) {
    if (!Allocate(size))
        return false;
    PutDevicePrefix(device);
    return true;
}

void CMessageBuffer::PutDword(DWORD offset, DWORD value) {
    std::memcpy(m_data + offset, &value, sizeof(value));
}

void CMessageBuffer::PutBytes(DWORD offset, const void* bytes, DWORD count) {
    if (count != 0)
        std::memcpy(m_data + offset, bytes, count);
}

void CMessageBuffer::PutText(DWORD offset, const wchar_t* text, DWORD count) {
    for (DWORD i = 0; i < count && text[i] != L'\0'; ++i)
        std::memcpy(m_data + offset + i * sizeof(wchar_t), &text[i], sizeof(wchar_t));
}

void CMessageBuffer::PutDevicePrefix(const CDeviceRecord& device) {
    PutBytes(0, device.Id().data(), static_cast<DWORD>(device.Id().size()));
    DWORD terminal = 0;
    ProcessIdToSessionId(GetCurrentProcessId(), &terminal);
    PutDword(16, terminal);
}

DWORD CMessageBuffer::GetDword(DWORD offset) const {
    DWORD value = 0;
    std::memcpy(&value, m_data + offset, sizeof(value));
    return value;
}

void CMessageBuffer::GetBytes(DWORD offset, void* bytes, DWORD count) const {
    if (count != 0)
        std::memcpy(bytes, m_data + offset, count);
}
