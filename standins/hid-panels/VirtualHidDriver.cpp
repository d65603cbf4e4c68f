#include "standins/hid-panels/VirtualHidDriver.h"

#include "panels/PanelIds.h"

CVirtualHidDriver::CVirtualHidDriver(const VirtualPanelDescription* panels, size_t count,
                                     CFeatureReportLog& log) {
    for (size_t i = 0; i < count; ++i) {
        m_devices.push_back(std::make_shared<CVirtualHidDevice>(panels[i], log));
        m_byPath.emplace(m_devices.back()->Path(), m_devices.back().get());
    }
}

std::vector<std::wstring> CVirtualHidDriver::DevicePaths() const {
    std::vector<std::wstring> paths;
    for (const auto& device : m_devices)
        paths.push_back(device->Path());
    return paths;
}

CVirtualHidDevice* CVirtualHidDriver::FindBySerial(const std::wstring& serial) const {
    for (const auto& device : m_devices) {
        if (device->Serial() == serial)
            return device.get();
    }
    return nullptr;
}

CVirtualHidDevice* CVirtualHidDriver::Find(const wchar_t* path) const {
    const auto found = m_byPath.find(path);
    return found == m_byPath.end() ? nullptr : found->second;
}

bool CVirtualHidDriver::ReadAttributes(const wchar_t* path, HIDD_ATTRIBUTES& attributes) {
    const CVirtualHidDevice* device = Find(path);
    if (!device)
        return false;
    attributes.Size = sizeof(attributes);
    attributes.VendorID = kPanelVendorId;
    attributes.ProductID = device->ProductId();
    attributes.VersionNumber = 1;
    return true;
}

std::unique_ptr<IHidFeatureDevice> CVirtualHidDriver::OpenFeatureDevice(const wchar_t* path) {
    CVirtualHidDevice* device = Find(path);
    return device ? device->OpenFeature() : nullptr;
}

std::unique_ptr<IHidInputDevice> CVirtualHidDriver::OpenInputDevice(const wchar_t* path) {
    CVirtualHidDevice* device = Find(path);
    return device ? device->OpenInput() : nullptr;
}
