#include "app/core/Dravik.h"

#include "app/trace/Trace.h"
#include "app/xml/XmlElement.h"

#include "common/StringCompare.h"
#include "common/UniqueHandle.h"

// The HID header has no C++ linkage block of its own in every SDK.
extern "C" {
#include <hidsdi.h>
}
#include <setupapi.h>

#include <new>

namespace {

struct OrvikChild {
    const wchar_t* elementName;
    PageKind kind;
    const wchar_t* trace;
    const wchar_t* className;
};

constexpr OrvikChild kOrvikChildren[] = {
    {L"ComNav", PageKind::OrvikComNav, L"CDravik::LoadOrvikPages - COM Page", L"CPage_Orvik_Com"},
    {L"Adf", PageKind::OrvikAdf, L"CDravik::LoadOrvikPages - ADF Page", L"CPage_Orvik_Adf"},
    {L"Dme", PageKind::OrvikDme, L"CDravik::LoadOrvikPages - DME Page", L"CPage_Orvik_Dme"},
    {L"Xpndr", PageKind::OrvikXpndr, L"CDravik::LoadOrvikPages - XPNDR Page", L"CPage_Orvik_Xpndr"},
    {L"Autopilot", PageKind::OrvikAutopilot, L"CDravik::LoadOrvikPages - AUTOPILOT Page",
     L"CPage_Orvik_Autopilot"},
    {L"VorHdg", PageKind::OrvikVorHdg, L"CDravik::LoadOrvikPages - VOR/HDG Page",
     L"CPage_Orvik_VorHdg"},
};

const OrvikChild* FindOrvikChild(const std::wstring& elementName) {
    for (const OrvikChild& child : kOrvikChildren) {
        if (EqualsNoCase(elementName.c_str(), child.elementName))
            return &child;
    }
    return nullptr;
}

void DestroyDeviceInfoList(HDEVINFO list) noexcept {
    SetupDiDestroyDeviceInfoList(list);
}
using UniqueDeviceInfoList = UniqueResource<HDEVINFO, &DestroyDeviceInfoList, -1>;

GUID HidInterfaceClass() {
    GUID hid;
    HidD_GetHidGuid(&hid);
    return hid;
}

} // namespace

CDravik::CDravik(DravikComponents components)
    : CDravik(std::move(components), GetSimConnectLibrary()) {}

CDravik::CDravik(DravikComponents components, CSimConnectLibrary& simConnect)
    : CDravikBase(simConnect), m_panels(std::move(components.panels)),
      m_pageFactories(components.pageFactories),
      m_displayDevices(std::move(components.displayDevices)) {
    if (m_displayDevices)
        m_displayDevices->LoadGaugeAssignments();
}

CDravik::~CDravik() {
    m_displayDevices.reset();
    // Panels go in reverse order: annunciator, switch, radio, multi.
    while (!m_panels.empty())
        m_panels.pop_back();
    DeletePages();
}

bool CDravik::OnInitialize() {
    DebugTrace(L"CDravik::OnInitialize");
    DWORD nextPageId = 0;
    if (InitializePages(nextPageId) && IsNuvexServiceRunning())
        InitializeNuvex();
    bool result = InitializePanels(nextPageId);
    TraceBool(L"CDravik::OnInitialize", result);
    return result;
}

bool CDravik::InitializePages(DWORD& nextPageId) {
    std::unique_ptr<CXmlElement> root;
    if (!ParseXmlFile(kPagesFile, root)) {
        DebugTrace(L"CDravik::InitializePages - Failed to parse file");
        return false;
    }
    if (!root) {
        DebugTrace(L"CDravik::InitializePages - root == NULL");
        return false;
    }
    nextPageId = 1;
    for (const std::unique_ptr<CXmlElement>& child : root->children) {
        if (!child)
            continue;
        if (EqualsNoCase(child->name.c_str(), L"Gauge")) {
            DebugTrace(L"CDravik::InitializePages - Gauge Page");
            PageConfiguration configuration{child.get()};
            CreatePage(PageKind::Gauge, nullptr, false, &configuration, nextPageId);
        } else if (EqualsNoCase(child->name.c_str(), L"Orvik")) {
            LoadOrvikPages(*child, nextPageId);
        }
    }
    return true;
}

void CDravik::LoadOrvikPages(const CXmlElement& group, DWORD& nextPageId) {
    for (const std::unique_ptr<CXmlElement>& child : group.children) {
        if (!child)
            continue;
        const OrvikChild* known = FindOrvikChild(child->name);
        if (!known)
            continue;
        DebugTrace(known->trace);
        bool radio1 = false;
        if (known->kind == PageKind::OrvikComNav) {
            const wchar_t* value = child->GetAttribute(L"Radio1");
            radio1 = value && EqualsNoCase(value, L"true");
        }
        CreatePage(known->kind, known->className, radio1, nullptr, nextPageId);
    }
}

// A page whose memory cannot be allocated takes no id; AddPage then reports it.
void CDravik::CreatePage(PageKind kind, const wchar_t* className, bool radio1,
                         const PageConfiguration* configuration, DWORD& nextPageId) {
    PageFactory factory = m_pageFactories.Get(kind);
    if (!factory)
        return;
    IPage* page = factory(PageArguments{nextPageId, this, className, radio1});
    if (page)
        ++nextPageId;
    AddPage(page, configuration);
}

bool CDravik::AddPage(IPage* page, const PageConfiguration* configuration) {
    DebugTrace(L"CDravik::AddPage\n");
    std::unique_ptr<IPage> owned(page);
    if (!owned) {
        DebugTrace(L"CDravik::AddPage - Page pointer invalid\n");
        return false;
    }
    if (m_pages.count(owned->PageId()) != 0) {
        DebugTrace(L"CDravik::AddPage - Page already Exists\n");
        return false;
    }
    owned->OnSimInitialize(configuration);
    DWORD pageId = owned->PageId();
    m_pages[pageId] = std::move(owned);
    return true;
}

bool CDravik::InitializePanels(DWORD& nextPageId) {
    for (const std::unique_ptr<IHidPanel>& panel : m_panels)
        panel->OnSimInitialize(nextPageId);

    DEV_BROADCAST_DEVICEINTERFACE_W filter = {};
    filter.dbcc_size = sizeof(filter);
    filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    filter.dbcc_classguid = HidInterfaceClass();
    m_deviceNotification.reset(
        RegisterDeviceNotificationW(MessageWindow(), &filter, DEVICE_NOTIFY_WINDOW_HANDLE));
    if (!m_deviceNotification)
        return false;

    OfferPresentHidDevices();
    return true;
}

void CDravik::OfferPresentHidDevices() {
    GUID hid = HidInterfaceClass();
    UniqueDeviceInfoList list(SetupDiGetClassDevsW(
        &hid, nullptr, nullptr, DIGCF_PRESENT | DIGCF_PROFILE | DIGCF_DEVICEINTERFACE));
    if (!list)
        return;
    SP_DEVICE_INTERFACE_DATA deviceInterface = {};
    deviceInterface.cbSize = sizeof(deviceInterface);
    for (DWORD index = 0;
         SetupDiEnumDeviceInterfaces(list.get(), nullptr, &hid, index, &deviceInterface); ++index) {
        DWORD needed = 0;
        SetupDiGetDeviceInterfaceDetailW(list.get(), &deviceInterface, nullptr, 0, &needed,
                                         nullptr);
        if (needed < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W))
            continue;
        std::unique_ptr<BYTE[]> buffer(new (std::nothrow) BYTE[needed]);
        if (!buffer)
            continue;
        auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(buffer.get());
        detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
        SP_DEVINFO_DATA deviceInfo = {};
        deviceInfo.cbSize = sizeof(deviceInfo);
        if (!SetupDiGetDeviceInterfaceDetailW(list.get(), &deviceInterface, detail, needed, nullptr,
                                              &deviceInfo))
            continue;
        for (const std::unique_ptr<IHidPanel>& panel : m_panels)
            panel->OnDeviceArrival(detail->DevicePath);
    }
}

void CDravik::OnFinalize() {
    DebugTrace(L"CDravik::OnFinalize");
    if (IsNuvexServiceRunning())
        FinalizeNuvex();
    DeletePages();
    m_deviceNotification.reset();
    for (const std::unique_ptr<IHidPanel>& panel : m_panels)
        panel->CloseAllDevices();
    TraceBool(L"CDravik::OnFinalize", true);
}

void CDravik::DeletePages() {
    // A notification still inside a page after the bounded wait means the library did not keep its
    // own time-out: the pages are then left alive rather than freed under it.
    if (m_displayDevices && !m_displayDevices->DetachPages()) {
        for (auto& entry : m_pages)
            (void)entry.second.release();
        m_pages.clear();
        return;
    }
    for (auto& entry : m_pages)
        entry.second.reset();
    m_pages.clear();
}

void CDravik::OnSimStart() {
    DebugTrace(L"CDravik::OnSimStart");
    for (auto& entry : m_pages)
        entry.second->OnSimStart();
    for (const std::unique_ptr<IHidPanel>& panel : m_panels)
        panel->OnSimStart();
}

void CDravik::OnSimStop() {
    DebugTrace(L"CDravik::OnSimStop");
    if (m_displayDevices)
        m_displayDevices->SaveGaugeAssignments();
    for (auto& entry : m_pages)
        entry.second->OnSimStop();
}

void CDravik::OnSimObjectData(DWORD requestId, const void* data, DWORD size) {
    auto page = m_pages.find(requestId);
    if (page != m_pages.end())
        page->second->OnSimRecieveData(data, size);
    for (const std::unique_ptr<IHidPanel>& panel : m_panels)
        panel->OnSimRecieveData(requestId, data, size);
}

LRESULT CDravik::OnWindowMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_DEVICECHANGE)
        return 0;
    OnDeviceChange(wParam, reinterpret_cast<const DEV_BROADCAST_HDR*>(lParam));
    return 1;
}

void CDravik::OnDeviceChange(WPARAM event, const DEV_BROADCAST_HDR* header) {
    if (!header || header->dbch_devicetype != DBT_DEVTYP_DEVICEINTERFACE)
        return;
    const wchar_t* path =
        reinterpret_cast<const DEV_BROADCAST_DEVICEINTERFACE_W*>(header)->dbcc_name;
    if (event == DBT_DEVICEARRIVAL) {
        for (const std::unique_ptr<IHidPanel>& panel : m_panels)
            panel->OnDeviceArrival(path);
    } else if (event == DBT_DEVICEQUERYREMOVE || event == DBT_DEVICEREMOVECOMPLETE) {
        for (const std::unique_ptr<IHidPanel>& panel : m_panels)
            panel->OnDeviceRemoval(path);
    }
}

bool CDravik::IsNuvexServiceRunning() {
    return m_displayDevices && m_displayDevices->IsNuvexServiceRunning();
}

bool CDravik::InitializeNuvex() {
    return m_displayDevices && m_displayDevices->InitializeNuvex(m_pages);
}

void CDravik::FinalizeNuvex() {
    if (m_displayDevices)
        m_displayDevices->FinalizeNuvex();
}

void CDravik::RefreshPage(IPage* page) {
    if (m_displayDevices)
        m_displayDevices->RefreshPage(page);
}

std::wstring CDravik::GetAssignedGauge(NuvexDevice device) {
    return m_displayDevices ? m_displayDevices->GetAssignedGauge(device) : std::wstring();
}

void CDravik::SetAssignedGauge(NuvexDevice device, const std::wstring& gaugeName) {
    if (m_displayDevices)
        m_displayDevices->SetAssignedGauge(device, gaugeName);
}
