#include "pages/gauge/model/AnsiText.h"

#include <windows.h>

std::string ToAnsiCodePage(std::wstring_view text, size_t bufferSize) {
    if (text.empty() || bufferSize == 0)
        return {};
    const int length = static_cast<int>(text.size());
    const int size =
        WideCharToMultiByte(CP_ACP, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.data(), length, narrow.data(), size, nullptr, nullptr);
    if (narrow.size() < bufferSize)
        return narrow;
    size_t cut = 0;
    while (cut < narrow.size()) {
        const size_t next = cut + (IsDBCSLeadByte(static_cast<BYTE>(narrow[cut])) ? 2 : 1);
        if (next > bufferSize - 1)
            break;
        cut = next;
    }
    narrow.resize(cut);
    return narrow;
}
