#include "registration/XmlText1252.h"

#include <cstdint>
#include <cwchar>
#include <cwctype>
#include <iterator>

namespace {

// Characters of the bytes 0x80 to 0x9F; the five bytes Windows-1252 leaves undefined map to the
// control characters of the same value, as the system's code page does.
constexpr char32_t kHighControlBlock[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char32_t CharacterOfByte(unsigned char byte) {
    if (byte >= 0x80 && byte <= 0x9F)
        return kHighControlBlock[byte - 0x80];
    return byte;
}

// The byte of `c` in Windows-1252, or -1 when it has none.
int ByteOfCharacter(char32_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return static_cast<int>(c);
    for (int index = 0; index < static_cast<int>(std::size(kHighControlBlock)); ++index)
        if (kHighControlBlock[index] == c)
            return 0x80 + index;
    return -1;
}

void AppendUtf16(std::wstring& text, char32_t c) {
    if (c < 0x10000) {
        text += static_cast<wchar_t>(c);
        return;
    }
    c -= 0x10000;
    text += static_cast<wchar_t>(0xD800 + (c >> 10));
    text += static_cast<wchar_t>(0xDC00 + (c & 0x3FF));
}

// Resolves the reference starting at `text[start]` ("&"); on success stores the character and
// the index just past the ";".
bool ResolveReference(const std::wstring& text, size_t start, char32_t& c, size_t& next) {
    const size_t end = text.find(L';', start);
    if (end == std::wstring::npos || end - start > 10)
        return false;
    const std::wstring name = text.substr(start + 1, end - start - 1);
    static const struct {
        const wchar_t* name;
        char32_t c;
    } kEntities[] = {
        {L"amp", L'&'}, {L"lt", L'<'}, {L"gt", L'>'}, {L"quot", L'"'}, {L"apos", L'\''}};
    for (const auto& entity : kEntities) {
        if (name == entity.name) {
            c = entity.c;
            next = end + 1;
            return true;
        }
    }
    if (name.size() < 2 || name[0] != L'#')
        return false;
    const bool hex = name[1] == L'x';
    const std::wstring digits = name.substr(hex ? 2 : 1);
    if (digits.empty())
        return false;
    wchar_t* parsedEnd = nullptr;
    const unsigned long value = std::wcstoul(digits.c_str(), &parsedEnd, hex ? 16 : 10);
    const bool startsWithDigit = hex ? iswxdigit(digits[0]) : iswdigit(digits[0]);
    if (*parsedEnd != L'\0' || !startsWithDigit || value == 0 || value > 0x10FFFF ||
        (value >= 0xD800 && value <= 0xDFFF))
        return false;
    c = static_cast<char32_t>(value);
    next = end + 1;
    return true;
}

} // namespace

std::string EncodeXmlText1252(const std::wstring& text) {
    std::string bytes;
    for (size_t index = 0; index < text.size(); ++index) {
        char32_t c = text[index];
        if (c >= 0xD800 && c <= 0xDBFF && index + 1 < text.size() && text[index + 1] >= 0xDC00 &&
            text[index + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[index + 1] - 0xDC00);
            ++index;
        }
        const int byte = ByteOfCharacter(c);
        if (c == U'&')
            bytes += "&amp;";
        else if (byte >= 0)
            bytes += static_cast<char>(byte);
        else
            bytes += "&#" + std::to_string(static_cast<std::uint32_t>(c)) + ";";
    }
    return bytes;
}

std::wstring DecodeXmlText1252(const std::string& bytes) {
    std::wstring raw;
    for (unsigned char byte : bytes)
        AppendUtf16(raw, CharacterOfByte(byte));
    std::wstring text;
    for (size_t index = 0; index < raw.size();) {
        char32_t c = 0;
        size_t next = 0;
        if (raw[index] == L'&' && ResolveReference(raw, index, c, next)) {
            AppendUtf16(text, c);
            index = next;
        } else {
            text += raw[index++];
        }
    }
    return text;
}
