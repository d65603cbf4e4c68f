#pragma once
// A HID panel for tests of the application: records every call in TestCallLog() as
// "panel <name> <operation>[ <details>]".

#include "app/contracts/HidPanel.h"

#include <string>

class CTestHidPanel : public IHidPanel {
public:
    // requestId: the definition id the panel claims in OnSimInitialize (its own request id).
    CTestHidPanel(std::string name, DWORD requestId);

    // Logs "panel <name> OnSimInitialize <page counter>".
    void OnSimInitialize(DWORD& pageCounter) override;
    void OnSimStart() override;
    // Logs "panel <name> OnSimRecieveData <request id>" and, for its own id, " own".
    void OnSimRecieveData(DWORD requestId, const void* data, DWORD size) override;
    // Log the path, narrowed.
    void OnDeviceArrival(const wchar_t* path) override;
    void OnDeviceRemoval(const wchar_t* path) override;
    void CloseAllDevices() override;

private:
    void Log(const std::string& operation) const;

    std::string m_name;
    DWORD m_requestId;
};
