#include "pages/gauge/files/AnsiPath.h"

namespace {

constexpr char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// The value of a base64 digit, or -1 for a byte outside the alphabet.
int DigitValue(char c) {
    if (c >= 'A' && c <= 'Z')
        return c - 'A';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 26;
    if (c >= '0' && c <= '9')
        return c - '0' + 52;
    if (c == '+')
        return 62;
    if (c == '/')
        return 63;
    return -1;
}

// Appends "<digits>" for the code units of one run.
void AppendRun(std::wstring_view run, std::string& out) {
    out += '<';
    unsigned bits = 0;
    int bitCount = 0;
    for (const wchar_t unit : run) {
        bits = (bits << 16) | static_cast<unsigned>(unit);
        bitCount += 16;
        while (bitCount >= 6) {
            bitCount -= 6;
            out += kDigits[(bits >> bitCount) & 0x3F];
        }
        bits &= (1u << bitCount) - 1;
    }
    if (bitCount > 0)
        out += kDigits[(bits << (6 - bitCount)) & 0x3F];
    out += '>';
}

} // namespace

std::string AnsiPathFromWide(std::wstring_view widePath) {
    std::string out;
    out.reserve(widePath.size());
    size_t i = 0;
    while (i < widePath.size()) {
        if (widePath[i] <= 0xFF) {
            out += static_cast<char>(widePath[i]);
            ++i;
            continue;
        }
        size_t end = i;
        while (end < widePath.size() && widePath[end] > 0xFF)
            ++end;
        AppendRun(widePath.substr(i, end - i), out);
        i = end;
    }
    return out;
}

std::wstring WideFromAnsiPath(std::string_view ansiPath) {
    std::wstring out;
    out.reserve(ansiPath.size());
    size_t i = 0;
    while (i < ansiPath.size()) {
        if (ansiPath[i] != '<') {
            out += static_cast<wchar_t>(static_cast<unsigned char>(ansiPath[i]));
            ++i;
            continue;
        }
        ++i;
        unsigned bits = 0;
        int bitCount = 0;
        for (; i < ansiPath.size(); ++i) {
            const int value = DigitValue(ansiPath[i]);
            if (value < 0)
                break;
            bits = (bits << 6) | static_cast<unsigned>(value);
            bitCount += 6;
            if (bitCount >= 16) {
                bitCount -= 16;
                out += static_cast<wchar_t>((bits >> bitCount) & 0xFFFF);
                bits &= (1u << bitCount) - 1;
            }
        }
        if (i < ansiPath.size() && ansiPath[i] == '>')
            ++i;
    }
    return out;
}
