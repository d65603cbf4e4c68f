#pragma once
// The label of one soft button of a gauge page and the simulator event its button transmits.

#include <windows.h>

#include <string>

struct ButtonLabel {
    int buttonNumber; // 1 to 6 are drawn and lit
    std::wstring text;
    std::wstring eventName;
    DWORD clientEventId;
    int fontWeight;  // a Windows font weight such as 400 or 700
    COLORREF colour; // 0x00BBGGRR
};
