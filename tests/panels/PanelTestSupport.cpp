#include "tests/panels/PanelTestSupport.h"

#include <cstdio>

namespace paneltest {

namespace {
const wchar_t kPanelsKey[] = L"SOFTWARE\\Harmel\\Panels";
const wchar_t kNoTransmitKey[] = L"SOFTWARE\\Harmel\\Panels\\NoTransmit";
} // namespace

NoTransmitSwitch::NoTransmitSwitch(DWORD type, const void* data, DWORD size) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kNoTransmitKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return;
    RegSetValueExW(key, nullptr, 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(key);
}

NoTransmitSwitch::~NoTransmitSwitch() {
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, kNoTransmitKey);
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, kPanelsKey);
}

std::string Hex(const Bytes& bytes) {
    std::string text;
    char byte[4];
    for (BYTE b : bytes) {
        snprintf(byte, sizeof(byte), "%02X ", b);
        text += byte;
    }
    if (!text.empty())
        text.pop_back();
    return text;
}

} // namespace paneltest
