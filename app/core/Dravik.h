#pragma once
// The application: owns the pages created from "Dravik.xml", the HID panels, the HID
// device-change registration and the display-device side, and fans every simulator start,
// stop and data message and every device change out to them in a fixed order.

#include "app/contracts/DisplayDevices.h"
#include "app/contracts/HidPanel.h"
#include "app/contracts/IPage.h"
#include "app/contracts/IPageHost.h"
#include "app/contracts/PageFactory.h"
#include "app/core/DravikBase.h"

#include <dbt.h>

#include <memory>
#include <string>
#include <vector>

class CXmlElement;

// What the application is built from.
struct DravikComponents {
    // In the order multi, radio, switch, annunciator.
    std::vector<std::unique_ptr<IHidPanel>> panels;
    CPageFactories pageFactories;
    // Null in a build without display devices: nothing of theirs is attempted.
    std::unique_ptr<IDisplayDevices> displayDevices;
};

class CDravik : public CDravikBase, public IPageHost {
public:
    static constexpr const wchar_t* kPagesFile = L"Dravik.xml";

    explicit CDravik(DravikComponents components);
    // Tests pass their own simulator binding too.
    CDravik(DravikComponents components, CSimConnectLibrary& simConnect);
    ~CDravik() override;

    // What pages ask of their host, handed to the display-device side.
    void RefreshPage(IPage* page) override;
    std::wstring GetAssignedGauge(NuvexDevice device) override;
    void SetAssignedGauge(NuvexDevice device, const std::wstring& gaugeName) override;

    const PageMap& Pages() const { return m_pages; }

protected:
    bool OnInitialize() override;
    void OnFinalize() override;
    void OnSimStart() override;
    void OnSimStop() override;
    void OnSimObjectData(DWORD requestId, const void* data, DWORD size) override;
    LRESULT OnWindowMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    bool InitializePages(DWORD& nextPageId);
    void LoadOrvikPages(const CXmlElement& group, DWORD& nextPageId);
    bool AddPage(IPage* page, const PageConfiguration* configuration);
    bool InitializePanels(DWORD& nextPageId);
    void DeletePages();

    bool IsNuvexServiceRunning();
    bool InitializeNuvex();
    void FinalizeNuvex();

private:
    void CreatePage(PageKind kind, const wchar_t* className, bool radio1,
                    const PageConfiguration* configuration, DWORD& nextPageId);
    void OfferPresentHidDevices();
    void OnDeviceChange(WPARAM event, const DEV_BROADCAST_HDR* header);

    PageMap m_pages;
    std::vector<std::unique_ptr<IHidPanel>> m_panels;
    UniqueDeviceNotification m_deviceNotification;
    CPageFactories m_pageFactories;
    std::unique_ptr<IDisplayDevices> m_displayDevices;
};
