#include "nuvex/api/DeviceRecord.h"

#include <algorithm>
#include <cstring>

CDeviceRecord::CDeviceRecord(const BYTE* announcement, NuvexDevice handle) : m_handle(handle) {
    std::memcpy(m_id.data(), announcement, m_id.size());
    std::memcpy(m_type.data(), announcement + 16, m_type.size());
    std::memcpy(m_furtherData.data(), announcement + 32, m_furtherData.size());
}

bool CDeviceRecord::HasZeroId() const {
    return std::all_of(m_id.begin(), m_id.end(), [](BYTE b) { return b == 0; });
}

GUID CDeviceRecord::Type() const {
    GUID type{};
    std::memcpy(&type, m_type.data(), sizeof(type));
    return type;
}

void CDeviceRecord::SetPageCallback(PageCallback callback, void* context) {
    std::lock_guard lock(m_lock);
    m_pageCallback = callback;
    m_pageContext = context;
}

void CDeviceRecord::SetSoftButtonCallback(SoftButtonCallback callback, void* context) {
    std::lock_guard lock(m_lock);
    m_softButtonCallback = callback;
    m_softButtonContext = context;
}

bool CDeviceRecord::NotifyPage(DWORD page, bool activated) {
    std::lock_guard lock(m_lock);
    if (m_removing)
        return false;
    if (m_pageCallback != nullptr)
        m_pageCallback(Handle(), page, activated, m_pageContext);
    return true;
}

bool CDeviceRecord::NotifySoftButtons(DWORD buttons) {
    std::lock_guard lock(m_lock);
    if (m_removing)
        return false;
    if (m_softButtonCallback != nullptr)
        m_softButtonCallback(Handle(), buttons, m_softButtonContext);
    return true;
}
