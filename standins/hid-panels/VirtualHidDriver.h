#pragma once
// The HID device layer of the demo: the program's panels reach the virtual panels through it,
// each at a device path of its own, as they reach real ones through the Windows driver.

#include "common/StringCompare.h"
#include "panels/HidDevice.h"
#include "standins/hid-panels/VirtualHidDevice.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

class CVirtualHidDriver : public IHidDriver {
public:
    CVirtualHidDriver(const VirtualPanelDescription* panels, size_t count, CFeatureReportLog& log);

    // The device paths, in the order the panels were described.
    std::vector<std::wstring> DevicePaths() const;
    // Null when no panel has this serial number.
    CVirtualHidDevice* FindBySerial(const std::wstring& serial) const;

    // Paths of other devices are not answered.
    bool ReadAttributes(const wchar_t* path, HIDD_ATTRIBUTES& attributes) override;
    std::unique_ptr<IHidFeatureDevice> OpenFeatureDevice(const wchar_t* path) override;
    std::unique_ptr<IHidInputDevice> OpenInputDevice(const wchar_t* path) override;

private:
    CVirtualHidDevice* Find(const wchar_t* path) const;

    std::vector<std::shared_ptr<CVirtualHidDevice>> m_devices;
    std::map<std::wstring, CVirtualHidDevice*, LessNoCaseW> m_byPath;
};
