#include "app/display/DisplayDeviceRouter.h"

#include "app/trace/Trace.h"

#include "common/CallNoThrow.h"

CDisplayDeviceRouter::CDisplayDeviceRouter(CNuvexLibrary& library)
    : m_library(library), m_stopResender(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

CDisplayDeviceRouter::~CDisplayDeviceRouter() {
    StopResender();
}

void WINAPI CDisplayDeviceRouter::OnDeviceCallback(NuvexDevice device, DWORD added,
                                                   void* context) noexcept {
    auto* router = static_cast<CDisplayDeviceRouter*>(context);
    (void)CallNoThrow([&] {
        if (CCallGate::Passage passage{router->m_gate})
            router->OnDeviceChange(device, (added & 0xFF) != 0);
    });
}

void WINAPI CDisplayDeviceRouter::OnEnumerateCallback(NuvexDevice device, void* context) noexcept {
    auto* router = static_cast<CDisplayDeviceRouter*>(context);
    (void)CallNoThrow([&] {
        if (CCallGate::Passage passage{router->m_gate})
            router->OnDeviceChange(device, true);
    });
}

void WINAPI CDisplayDeviceRouter::OnPageCallback(NuvexDevice device, DWORD page, bool activated,
                                                 void* context) noexcept {
    auto* router = static_cast<CDisplayDeviceRouter*>(context);
    (void)CallNoThrow([&] {
        if (CCallGate::Passage passage{router->m_gate})
            router->OnPageChange(device, page, activated);
    });
}

void WINAPI CDisplayDeviceRouter::OnSoftButtonCallback(NuvexDevice device, DWORD buttons,
                                                       void* context) noexcept {
    auto* router = static_cast<CDisplayDeviceRouter*>(context);
    (void)CallNoThrow([&] {
        if (CCallGate::Passage passage{router->m_gate})
            router->OnSoftButtons(device, buttons);
    });
}

bool CDisplayDeviceRouter::InitializeNuvex(const PageMap& pages) {
    m_pages = &pages;
    HRESULT hr = m_library.Nuvex_Initialize(kApplicationName);
    TraceResult(hr, L"CDravik::InitializeNuvex - Nuvex_Initialize");
    if (FAILED(hr))
        return false;
    StartResender();
    hr = m_library.Nuvex_RegisterDeviceCallback(OnDeviceCallback, this);
    TraceResult(hr, L"CDravik::InitializeNuvex - Nuvex_RegisterDeviceCallback");
    if (FAILED(hr))
        return false;
    hr = m_library.Nuvex_Enumerate(OnEnumerateCallback, this);
    TraceResult(hr, L"CDravik::InitializeNuvex - Nuvex_Enumerate");
    return SUCCEEDED(hr);
}

void CDisplayDeviceRouter::FinalizeNuvex() {
    // Closed first: a notification that comes while the library ends its transfers is dropped,
    // and the resender starts no probe that the library would then have to wait for.
    m_gate.Close();
    SetEvent(m_stopResender.get());
    TraceResult(m_library.Nuvex_Deinitialize(), L"CDravik::FinalizeNuvex - Nuvex_Deinitialize");
    ForgetDevices();
}

bool CDisplayDeviceRouter::DetachPages() {
    m_gate.Close();
    SetEvent(m_stopResender.get());
    const bool empty = m_gate.WaitUntilEmpty(kCallDrainTimeoutMs);
    StopResender();
    return empty;
}

void CDisplayDeviceRouter::ForgetDevices() {
    std::map<NuvexDevice, DisplayDeviceRecord> devices;
    {
        std::lock_guard<std::mutex> lock(m_deviceLock);
        devices.swap(m_devices);
    }
    for (const auto& entry : devices)
        m_library.SilentDevices().Forget(entry.first);
}

void CDisplayDeviceRouter::StartResender() {
    if (m_resender || !m_stopResender)
        return;
    m_resender.reset(
        CreateThread(nullptr, 0, &CDisplayDeviceRouter::ResendThreadProc, this, 0, nullptr));
}

void CDisplayDeviceRouter::StopResender() {
    if (!m_resender)
        return;
    SetEvent(m_stopResender.get());
    WaitForSingleObject(m_resender.get(), kCallDrainTimeoutMs);
    m_resender.reset();
}

DWORD WINAPI CDisplayDeviceRouter::ResendThreadProc(void* router) noexcept {
    return SUCCEEDED(
               CallNoThrow([router] { static_cast<CDisplayDeviceRouter*>(router)->ResendLoop(); }))
               ? 0
               : 1;
}

void CDisplayDeviceRouter::ResendLoop() {
    CSilentDevices& silent = m_library.SilentDevices();
    for (;;) {
        HANDLE objects[] = {m_stopResender.get(), silent.Changed()};
        const DWORD wait = WaitForMultipleObjects(2, objects, FALSE, silent.TimeToNextDue());
        if (wait != WAIT_OBJECT_0 + 1 && wait != WAIT_TIMEOUT)
            return;
        for (NuvexDevice device : silent.TakeDue()) {
            (void)CallNoThrow([&] { Resend(device); });
            silent.EndProbe(device);
        }
    }
}

void CDisplayDeviceRouter::Resend(NuvexDevice device) {
    CCallGate::Passage passage(m_gate);
    if (!passage)
        return;
    GUID type = {};
    DWORD activePage = 0;
    {
        std::lock_guard<std::mutex> lock(m_deviceLock);
        auto found = m_devices.find(device);
        if (found == m_devices.end())
            return;
        type = found->second.type;
        activePage = found->second.activePage;
    }
    if (IPage* page = FindPage(activePage)) {
        page->SendToDevice(device, type);
        page->SendLedsToDevice(device, type);
    }
}

// The device's position among the known devices of its type. A device announced again (by its
// arrival and by the enumeration) is not counted against itself, so it keeps its position.
DWORD CDisplayDeviceRouter::CountDevicesOfType(NuvexDevice device) {
    GUID type = {};
    if (FAILED(m_library.Nuvex_GetDeviceType(device, &type)))
        return 0;
    std::lock_guard<std::mutex> lock(m_deviceLock);
    DWORD count = 0;
    for (const auto& [handle, record] : m_devices)
        if (handle != device && IsDeviceType(record.type, type))
            ++count;
    return count;
}

void CDisplayDeviceRouter::SetActivePage(NuvexDevice device, DWORD page) {
    std::lock_guard<std::mutex> lock(m_deviceLock);
    auto found = m_devices.find(device);
    if (found != m_devices.end())
        found->second.activePage = page;
}

void CDisplayDeviceRouter::OnDeviceChange(NuvexDevice device, bool added) {
    if (!added) {
        {
            std::lock_guard<std::mutex> lock(m_deviceLock);
            m_devices.erase(device);
        }
        m_library.SilentDevices().Forget(device);
        return;
    }

    const DWORD position = CountDevicesOfType(device);
    AddDevice(device);

    if (!m_pages)
        return;
    DWORD accepted = 0;
    for (const auto& [pageId, page] : *m_pages) {
        if (!page)
            continue;
        bool activated = false;
        if (!page->AddToDevice(device, position == accepted, &activated))
            continue;
        if (activated)
            SetActivePage(device, pageId);
        ++accepted;
    }
}

void CDisplayDeviceRouter::AddDevice(NuvexDevice device) {
    {
        std::lock_guard<std::mutex> lock(m_deviceLock);
        if (m_devices.count(device))
            return;
    }

    HRESULT hr = m_library.Nuvex_RegisterPageCallback(device, OnPageCallback, this);
    TraceResult(hr, L"CDravik::AddDevice - Nuvex_RegisterPageCallback");
    if (FAILED(hr))
        return;
    hr = m_library.Nuvex_RegisterSoftButtonCallback(device, OnSoftButtonCallback, this);
    TraceResult(hr, L"CDravik::AddDevice - Nuvex_RegisterSoftButtonChangeCallback");
    if (FAILED(hr))
        return;

    DisplayDeviceRecord record = {};
    hr = m_library.Nuvex_GetDeviceType(device, &record.type);
    TraceResult(hr, L"CDravik::AddDevice - Nuvex_GetDeviceType");
    if (FAILED(hr))
        return;
    if (IsDeviceType(record.type, kDeviceTypeVexa)) {
        hr = m_library.Nuvex_GetSerialNumber(device, record.serialNumber,
                                             DisplayDeviceRecord::kSerialChars);
        TraceResult(hr, L"CDravik::AddDevice - Nuvex_GetSerialNumber");
        if (FAILED(hr))
            record.serialNumber[0] = L'\0';
        record.serialNumber[DisplayDeviceRecord::kSerialChars] = L'\0';
    }

    std::lock_guard<std::mutex> lock(m_deviceLock);
    m_devices.emplace(device, record);
}

IPage* CDisplayDeviceRouter::FindPage(DWORD pageId) const {
    if (!m_pages)
        return nullptr;
    auto found = m_pages->find(pageId);
    return found == m_pages->end() ? nullptr : found->second.get();
}

void CDisplayDeviceRouter::OnPageChange(NuvexDevice device, DWORD page, bool activated) {
    DebugTrace(L"CDravik::OnPageChange");
    GUID type = {};
    {
        std::lock_guard<std::mutex> lock(m_deviceLock);
        auto found = m_devices.find(device);
        if (found == m_devices.end())
            return;
        DisplayDeviceRecord& record = found->second;
        DebugTrace(L"OnPageChange(%p, %d, %ws) changed from %d\n", device, static_cast<int>(page),
                   activated ? L"TRUE" : L"FALSE", static_cast<int>(record.activePage));
        if (!activated) {
            record.activePage = kNoActivePage;
            return;
        }
        if (record.activePage == page) {
            DebugTrace(L"CDravik::OnPageChange - not changed");
            return;
        }
        record.activePage = page;
        type = record.type;
    }

    if (!m_pages || !m_pages->count(page)) {
        DebugTrace(L"CDravik::OnPageChange - page not found");
        return;
    }
    IPage* target = m_pages->at(page).get();
    if (!target) {
        DebugTrace(L"CDravik::OnPageChange - page pointer");
        return;
    }
    target->OnPageActivated(device);
    target->SendToDevice(device, type);
    target->SendLedsToDevice(device, type);
}

void CDisplayDeviceRouter::OnSoftButtons(NuvexDevice device, DWORD buttons) {
    DWORD passed = buttons;
    DWORD activePage = 0;
    {
        std::lock_guard<std::mutex> lock(m_deviceLock);
        auto found = m_devices.find(device);
        if (found == m_devices.end())
            return;
        DisplayDeviceRecord& record = found->second;
        if (buttons != record.lastButtons)
            passed = buttons & ~record.lastButtons;
        record.lastButtons = buttons;
        activePage = record.activePage;
    }
    if (IPage* page = FindPage(activePage))
        page->OnButtonPress(passed);
}

void CDisplayDeviceRouter::RefreshPage(IPage* page) {
    CCallGate::Passage passage(m_gate);
    if (!page || !passage)
        return;
    std::vector<std::pair<NuvexDevice, GUID>> showing;
    {
        std::lock_guard<std::mutex> lock(m_deviceLock);
        for (const auto& [device, record] : m_devices)
            if (record.activePage == page->PageId())
                showing.emplace_back(device, record.type);
    }
    for (const auto& [device, type] : showing)
        page->SendToDevice(device, type);
}

bool CDisplayDeviceRouter::FindDevice(NuvexDevice device, DisplayDeviceRecord& record) const {
    std::lock_guard<std::mutex> lock(m_deviceLock);
    auto found = m_devices.find(device);
    if (found == m_devices.end())
        return false;
    record = found->second;
    return true;
}
