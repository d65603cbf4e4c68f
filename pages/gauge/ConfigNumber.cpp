#include "pages/gauge/ConfigNumber.h"

#include "app/xml/XmlElement.h"

#include <cwchar>

namespace {

int HexDigit(wchar_t c) noexcept {
    if (c >= L'0' && c <= L'9')
        return c - L'0';
    if (c >= L'a' && c <= L'f')
        return c - L'a' + 10;
    if (c >= L'A' && c <= L'F')
        return c - L'A' + 10;
    return -1;
}

} // namespace

DWORD ReadConfigNumber(const wchar_t* text) noexcept {
    if (text == nullptr)
        return 0;
    while (*text == L' ' || *text == L'\t' || *text == L'\n')
        ++text;
    DWORD value = 0;
    if (wcslen(text) > 2 && (text[1] == L'x' || text[1] == L'X')) {
        for (const wchar_t* c = text + 2; HexDigit(*c) >= 0; ++c)
            value = value * 16 + static_cast<DWORD>(HexDigit(*c));
        return value;
    }
    for (const wchar_t* c = text; *c >= L'0' && *c <= L'9'; ++c)
        value = value * 10 + static_cast<DWORD>(*c - L'0');
    return value;
}

DWORD ReadConfigNumber(const CXmlElement& element, const wchar_t* attribute,
                       DWORD absent) noexcept {
    const wchar_t* value = element.GetAttribute(attribute);
    return value ? ReadConfigNumber(value) : absent;
}
