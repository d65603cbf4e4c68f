#pragma once
// Hands one of the program's panels the virtual devices right after the panel is initialised,
// as the application's enumeration hands it the devices present at start; everything else
// passes through unchanged.

#include "app/contracts/HidPanel.h"

#include <memory>
#include <string>
#include <vector>

class CVirtualDeviceArrivals final : public IHidPanel {
public:
    CVirtualDeviceArrivals(std::unique_ptr<IHidPanel> panel, std::vector<std::wstring> paths);

    void OnSimInitialize(DWORD& pageCounter) override;
    void OnSimStart() override { m_panel->OnSimStart(); }
    void OnSimRecieveData(DWORD requestId, const void* data, DWORD size) override {
        m_panel->OnSimRecieveData(requestId, data, size);
    }
    void OnDeviceArrival(const wchar_t* path) override { m_panel->OnDeviceArrival(path); }
    void OnDeviceRemoval(const wchar_t* path) override { m_panel->OnDeviceRemoval(path); }
    void CloseAllDevices() override { m_panel->CloseAllDevices(); }

private:
    std::unique_ptr<IHidPanel> m_panel;
    std::vector<std::wstring> m_paths;
};
