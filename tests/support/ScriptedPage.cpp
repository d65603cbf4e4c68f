#include "tests/support/ScriptedPage.h"

#include <cstdio>

std::string DeviceText(NuvexDevice device) {
    char text[32] = {};
    snprintf(text, sizeof(text), "0x%llx",
             static_cast<unsigned long long>(reinterpret_cast<ULONG_PTR>(device)));
    return text;
}

void CScriptedPage::Accept(NuvexDevice device) {
    std::lock_guard<std::mutex> lock(m_lock);
    m_accepted.insert(device);
}

void CScriptedPage::InsistOn(NuvexDevice device) {
    std::lock_guard<std::mutex> lock(m_lock);
    m_insisted.insert(device);
}

void CScriptedPage::Record(const std::string& call) {
    std::lock_guard<std::mutex> lock(m_lock);
    m_calls.push_back(call);
}

void CScriptedPage::OnPageActivated(NuvexDevice device) {
    Record("OnPageActivated " + DeviceText(device));
}

bool CScriptedPage::AddToDevice(NuvexDevice device, bool activate, bool* activated) {
    Record("AddToDevice " + DeviceText(device) + (activate ? " 1" : " 0"));
    std::lock_guard<std::mutex> lock(m_lock);
    if (!m_accepted.count(device))
        return false;
    *activated = activate || m_insisted.count(device) != 0;
    return true;
}

void CScriptedPage::SendToDevice(NuvexDevice device, const GUID& deviceType) {
    Record("SendToDevice " + DeviceText(device));
    std::lock_guard<std::mutex> lock(m_lock);
    m_sentTypes.push_back(deviceType);
}

void CScriptedPage::SendLedsToDevice(NuvexDevice device, const GUID&) {
    Record("SendLedsToDevice " + DeviceText(device));
}

void CScriptedPage::OnButtonPress(DWORD buttons) {
    Record("OnButtonPress " + std::to_string(buttons));
}

std::vector<std::string> CScriptedPage::Calls() const {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_calls;
}

std::vector<GUID> CScriptedPage::SentTypes() const {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_sentTypes;
}

void CScriptedPage::ClearCalls() {
    std::lock_guard<std::mutex> lock(m_lock);
    m_calls.clear();
    m_sentTypes.clear();
}
