#pragma once
// A page whose answers to AddToDevice a test scripts, and which records every operation it receives
// as text ("AddToDevice 0x10 1", "SendToDevice 0x10", "OnButtonPress 2", ...), with device handles
// in hex.

#include "app/contracts/IPage.h"

#include <mutex>
#include <set>
#include <string>
#include <vector>

class CScriptedPage : public IPage {
public:
    explicit CScriptedPage(DWORD pageId, IPageHost* owner = nullptr) : IPage(pageId, owner) {}

    // AddToDevice returns true for these devices only.
    void Accept(NuvexDevice device);
    // On these devices it asks to be active whatever the suggestion; elsewhere it follows it.
    void InsistOn(NuvexDevice device);

    void OnPageActivated(NuvexDevice device) override;
    bool AddToDevice(NuvexDevice device, bool activate, bool* activated) override;
    void SendToDevice(NuvexDevice device, const GUID& deviceType) override;
    void SendLedsToDevice(NuvexDevice device, const GUID& deviceType) override;
    void OnButtonPress(DWORD buttons) override;

    std::vector<std::string> Calls() const;
    // The device types SendToDevice was given, in order.
    std::vector<GUID> SentTypes() const;
    void ClearCalls();

private:
    void Record(const std::string& call);

    mutable std::mutex m_lock;
    std::set<NuvexDevice> m_accepted;
    std::set<NuvexDevice> m_insisted;
    std::vector<std::string> m_calls;
    std::vector<GUID> m_sentTypes;
};

// "0x10" for the handle value 0x10.
std::string DeviceText(NuvexDevice device);
