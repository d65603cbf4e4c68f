#pragma once
// One device the service announced: its id, type and further data as announced, its lock and
// the page and soft-button callbacks registered for it. Its address is the device handle.

#include "nuvex/api/Nuvex.h"

#include <windows.h>

#include <array>
#include <mutex>

using DeviceId = std::array<BYTE, 16>;

class CDeviceRecord {
public:
    static constexpr DWORD kAnnouncementBytes = 48;

    // announcement: the 48 bytes of the arrival request.
    explicit CDeviceRecord(const BYTE* announcement);
    CDeviceRecord(const CDeviceRecord&) = delete;
    CDeviceRecord& operator=(const CDeviceRecord&) = delete;

    NuvexDevice Handle() { return this; }
    const DeviceId& Id() const { return m_id; }
    bool HasZeroId() const;
    GUID Type() const;

    // Under the device's lock, so that a callback is never replaced while it runs.
    void SetPageCallback(PageCallback callback, void* context);
    void SetSoftButtonCallback(SoftButtonCallback callback, void* context);
    void NotifyPage(DWORD page, bool activated);
    void NotifySoftButtons(DWORD buttons);

private:
    DeviceId m_id{};
    std::array<BYTE, 16> m_type{};
    std::array<BYTE, 16> m_furtherData{};
    std::recursive_mutex m_lock;
    PageCallback m_pageCallback = nullptr;
    void* m_pageContext = nullptr;
    SoftButtonCallback m_softButtonCallback = nullptr;
    void* m_softButtonContext = nullptr;
};
