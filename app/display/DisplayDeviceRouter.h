#pragma once
// The application's side of the display-device library: binds it, keeps one record per known
// display device, offers the pages to every device that arrives and routes each device's page
// changes and soft buttons to the right page. The application owns one and forwards to it.
//
// The library calls in on its own notification threads. The records are guarded by the device lock,
// which is never held while a page or the library is called. Every call that reaches a page passes
// the router's gate, so that the pages can be freed once it is closed and empty. A device that
// stopped answering gets its active page again from the router's resender (CSilentDevices).

#include "app/contracts/DisplayDevices.h"
#include "app/contracts/IPage.h"
#include "app/display/CallGate.h"
#include "app/display/NuvexLibrary.h"

#include "common/UniqueHandle.h"

#include <map>
#include <mutex>
#include <utility>
#include <vector>

struct DisplayDeviceRecord {
    static constexpr DWORD kSerialChars = 16;

    GUID type;
    DWORD activePage;  // kNoActivePage once the device reported that none of ours
                       // is shown
    DWORD lastButtons; // the soft-button state of the previous report
    // The library copies up to 16 characters and no terminator: keep room for one.
    wchar_t serialNumber[kSerialChars + 1];
};

class CDisplayDeviceRouter {
public:
    static constexpr DWORD kNoActivePage = 0xFFFFFFFF;
    static constexpr const wchar_t* kApplicationName = L"Harmel FSX Plugin";
    // How long the pages' owner waits for the calls still inside a page (and for the resender),
    // once no new one is let in: a call waits at most for one request of the library (5000 ms),
    // since the sends after an unanswered one are refused at once.
    static constexpr DWORD kCallDrainTimeoutMs = 6000;

    explicit CDisplayDeviceRouter(CNuvexLibrary& library);
    ~CDisplayDeviceRouter();
    CDisplayDeviceRouter(const CDisplayDeviceRouter&) = delete;
    CDisplayDeviceRouter& operator=(const CDisplayDeviceRouter&) = delete;

    // Connects, registers for arrivals and removals and offers `pages` to the devices already
    // present. The map is read without a lock: it must outlive the binding and stay unchanged until
    // DetachPages.
    bool InitializeNuvex(const PageMap& pages);
    // No notification reaches a page any more; the library is deinitialised and the devices are
    // forgotten.
    void FinalizeNuvex();
    // No call reaches a page any more, whether or not the library was deinitialised; waits,
    // bounded, for the calls still inside a page. True when none is: the pages may then be freed.
    bool DetachPages();

    void OnDeviceChange(NuvexDevice device, bool added);
    void AddDevice(NuvexDevice device);
    void OnPageChange(NuvexDevice device, DWORD page, bool activated);
    void OnSoftButtons(NuvexDevice device, DWORD buttons);
    // Sends the page again to every device that shows it.
    void RefreshPage(IPage* page);

    // A copy of the device's record; false when the device has none.
    bool FindDevice(NuvexDevice device, DisplayDeviceRecord& record) const;

private:
    // The library's calls into the program: no exception goes back into the library. A
    // notification whose handling throws is dropped.
    static void WINAPI OnDeviceCallback(NuvexDevice device, DWORD added, void* context) noexcept;
    static void WINAPI OnEnumerateCallback(NuvexDevice device, void* context) noexcept;
    static void WINAPI OnPageCallback(NuvexDevice device, DWORD page, bool activated,
                                      void* context) noexcept;
    static void WINAPI OnSoftButtonCallback(NuvexDevice device, DWORD buttons,
                                            void* context) noexcept;

    static DWORD WINAPI ResendThreadProc(void* router) noexcept;

    DWORD CountDevicesOfType(NuvexDevice device);
    void SetActivePage(NuvexDevice device, DWORD page);
    IPage* FindPage(DWORD pageId) const;
    void ForgetDevices();

    // The resender: sends a device's active page again when the device answers after it missed
    // content, or probes it with the page once the silence has lasted an interval.
    void StartResender();
    void StopResender();
    void ResendLoop();
    void Resend(NuvexDevice device);

    CNuvexLibrary& m_library;
    const PageMap* m_pages = nullptr;
    mutable std::mutex m_deviceLock;
    std::map<NuvexDevice, DisplayDeviceRecord> m_devices;
    CCallGate m_gate;
    UniqueHandle m_stopResender;
    UniqueHandle m_resender;
};
