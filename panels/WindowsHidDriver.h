#pragma once
// The HID device layer over the Windows HID driver.

#include "panels/HidDevice.h"

class CWindowsHidDriver : public IHidDriver {
public:
    bool ReadAttributes(const wchar_t* path, HIDD_ATTRIBUTES& attributes) override;
    std::unique_ptr<IHidFeatureDevice> OpenFeatureDevice(const wchar_t* path) override;
    std::unique_ptr<IHidInputDevice> OpenInputDevice(const wchar_t* path) override;
};
