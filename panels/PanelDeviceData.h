#pragma once
// What a panel keeps for one of its devices beyond the device values (the annunciator's lamp
// programming).

class IPanelDeviceData {
public:
    virtual ~IPanelDeviceData() = default;
};
