#include "tests/support/TestHidPanel.h"

#include "tests/support/CallLog.h"

#include <cwchar>

namespace {

std::string Narrow(const wchar_t* text) {
    return text ? std::string(text, text + wcslen(text)) : std::string("(null)");
}

} // namespace

CTestHidPanel::CTestHidPanel(std::string name, DWORD requestId)
    : m_name(std::move(name)), m_requestId(requestId) {}

void CTestHidPanel::Log(const std::string& operation) const {
    TestCallLog().Add("panel " + m_name + " " + operation);
}

void CTestHidPanel::OnSimInitialize(DWORD& pageCounter) {
    Log("OnSimInitialize " + std::to_string(pageCounter));
}

void CTestHidPanel::OnSimStart() {
    Log("OnSimStart");
}

void CTestHidPanel::OnSimRecieveData(DWORD requestId, const void*, DWORD) {
    Log("OnSimRecieveData " + std::to_string(requestId) + (requestId == m_requestId ? " own" : ""));
}

void CTestHidPanel::OnDeviceArrival(const wchar_t* path) {
    Log("OnDeviceArrival " + Narrow(path));
}

void CTestHidPanel::OnDeviceRemoval(const wchar_t* path) {
    Log("OnDeviceRemoval " + Narrow(path));
}

void CTestHidPanel::CloseAllDevices() {
    Log("CloseAllDevices");
}
