#pragma once
// One device the service announced: its id, type and further data as announced, its handle,
// its lock and the page and soft-button callbacks registered for it.

#include "nuvex/api/Nuvex.h"

#include <windows.h>

#include <array>
#include <atomic>
#include <mutex>

using DeviceId = std::array<BYTE, 16>;

class CDeviceRecord {
public:
    static constexpr DWORD kAnnouncementBytes = 48;

    // announcement: the 48 bytes of the arrival request; handle: the value the registry hands
    // out for it.
    CDeviceRecord(const BYTE* announcement, NuvexDevice handle);
    CDeviceRecord(const CDeviceRecord&) = delete;
    CDeviceRecord& operator=(const CDeviceRecord&) = delete;

    NuvexDevice Handle() const { return m_handle; }
    const DeviceId& Id() const { return m_id; }
    bool HasZeroId() const;
    GUID Type() const;

    // Under the device's lock, so that a callback is never replaced while it runs and one
    // device's notifications reach its callbacks one at a time.
    void SetPageCallback(PageCallback callback, void* context);
    void SetSoftButtonCallback(SoftButtonCallback callback, void* context);
    // False, calling nothing, once the device's removal has begun: from then on its callbacks
    // hear nothing more of it.
    bool NotifyPage(DWORD page, bool activated);
    bool NotifySoftButtons(DWORD buttons);
    void BeginRemoval() { m_removing = true; }

private:
    DeviceId m_id{};
    std::array<BYTE, 16> m_type{};
    std::array<BYTE, 16> m_furtherData{};
    NuvexDevice m_handle;
    std::atomic<bool> m_removing{false};
    std::recursive_mutex m_lock;
    PageCallback m_pageCallback = nullptr;
    void* m_pageContext = nullptr;
    SoftButtonCallback m_softButtonCallback = nullptr;
    void* m_softButtonContext = nullptr;
};
