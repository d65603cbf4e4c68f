#include "registration/XmlText.h"

#include <algorithm>
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
    // The longest reference, "&#x10FFFF;", is ten characters: looking further would make text full
    // of ampersands cost quadratic time.
    const size_t limit = std::min(text.size(), start + 11);
    size_t end = start + 1;
    while (end < limit && text[end] != L';')
        ++end;
    if (end == limit)
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

// Appends the UTF-8 bytes of `c`.
void AppendUtf8(std::string& bytes, char32_t c) {
    if (c < 0x80) {
        bytes += static_cast<char>(c);
    } else if (c < 0x800) {
        bytes += static_cast<char>(0xC0 | (c >> 6));
        bytes += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        bytes += static_cast<char>(0xE0 | (c >> 12));
        bytes += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        bytes += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        bytes += static_cast<char>(0xF0 | (c >> 18));
        bytes += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        bytes += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        bytes += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// True when `c` can be written as bytes of `encoding`; lone surrogates never can.
bool HasBytes(char32_t c, TextEncoding encoding) {
    switch (encoding) {
    case TextEncoding::Windows1252:
        return ByteOfCharacter(c) >= 0;
    case TextEncoding::Utf8:
        return c < 0xD800 || c > 0xDFFF;
    case TextEncoding::Ascii:
        return c < 0x80;
    }
    return false;
}

void AppendCharacter(std::string& bytes, char32_t c, TextEncoding encoding) {
    if (encoding == TextEncoding::Utf8)
        AppendUtf8(bytes, c);
    else
        bytes += static_cast<char>(ByteOfCharacter(c));
}

// Strict UTF-8: false on a malformed, overlong or surrogate sequence.
bool DecodeUtf8(const std::string& bytes, std::wstring& text) {
    for (size_t index = 0; index < bytes.size(); ++index) {
        const unsigned char lead = static_cast<unsigned char>(bytes[index]);
        int following = 0;
        char32_t c = lead;
        char32_t smallest = 0;
        if (lead >= 0xF0 && lead < 0xF8) {
            following = 3;
            c = lead & 0x07;
            smallest = 0x10000;
        } else if (lead >= 0xE0 && lead < 0xF0) {
            following = 2;
            c = lead & 0x0F;
            smallest = 0x800;
        } else if (lead >= 0xC0 && lead < 0xE0) {
            following = 1;
            c = lead & 0x1F;
            smallest = 0x80;
        } else if (lead >= 0x80) {
            return false;
        }
        if (bytes.size() - index <= static_cast<size_t>(following))
            return false;
        for (int k = 1; k <= following; ++k) {
            const unsigned char next = static_cast<unsigned char>(bytes[index + k]);
            if ((next & 0xC0) != 0x80)
                return false;
            c = (c << 6) | (next & 0x3F);
        }
        if (c < smallest || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
            return false;
        AppendUtf16(text, c);
        index += following;
    }
    return true;
}

std::wstring DecodeWindows1252(const std::string& bytes) {
    std::wstring text;
    for (unsigned char byte : bytes)
        AppendUtf16(text, CharacterOfByte(byte));
    return text;
}

} // namespace

std::string EncodeXmlText(const std::wstring& text, TextEncoding encoding) {
    std::string bytes;
    for (size_t index = 0; index < text.size(); ++index) {
        char32_t c = text[index];
        if (c >= 0xD800 && c <= 0xDBFF && index + 1 < text.size() && text[index + 1] >= 0xDC00 &&
            text[index + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[index + 1] - 0xDC00);
            ++index;
        }
        if (c == U'&')
            bytes += "&amp;";
        else if (HasBytes(c, encoding))
            AppendCharacter(bytes, c, encoding);
        else
            bytes += "&#" + std::to_string(static_cast<std::uint32_t>(c)) + ";";
    }
    return bytes;
}

std::wstring DecodeXmlText(const std::string& bytes, TextEncoding encoding) {
    std::wstring raw;
    if (encoding != TextEncoding::Utf8 || !DecodeUtf8(bytes, raw))
        raw = DecodeWindows1252(bytes);
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
