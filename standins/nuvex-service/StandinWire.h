#pragma once
// Wire layout shared by the service's framing code: packets of a 12-byte header and at most 1024
// payload bytes; transfers of a 16-byte header and their data. Integers are little-endian.

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace StandinWire {

inline constexpr size_t kPacketHeaderSize = 12;
inline constexpr size_t kTransferHeaderSize = 16;
inline constexpr size_t kPayloadLimit = 1024;
inline constexpr size_t kMaxPacketSize = kPacketHeaderSize + kPayloadLimit;
inline constexpr BYTE kTypeReply = 1;
inline constexpr BYTE kTypeRequest = 2;

inline DWORD ReadU32(const BYTE* p) {
    return static_cast<DWORD>(p[0]) | static_cast<DWORD>(p[1]) << 8 |
           static_cast<DWORD>(p[2]) << 16 | static_cast<DWORD>(p[3]) << 24;
}
inline WORD ReadU16(const BYTE* p) {
    return static_cast<WORD>(p[0] | p[1] << 8);
}
inline void WriteU32(BYTE* p, DWORD v) {
    p[0] = static_cast<BYTE>(v);
    p[1] = static_cast<BYTE>(v >> 8);
    p[2] = static_cast<BYTE>(v >> 16);
    p[3] = static_cast<BYTE>(v >> 24);
}
inline void WriteU16(BYTE* p, WORD v) {
    p[0] = static_cast<BYTE>(v);
    p[1] = static_cast<BYTE>(v >> 8);
}
inline void AppendU32(std::vector<BYTE>& out, DWORD v) {
    const size_t at = out.size();
    out.resize(at + 4);
    WriteU32(out.data() + at, v);
}
// count UTF-16 characters, each as two little-endian bytes.
inline void AppendText(std::vector<BYTE>& out, const std::wstring& text, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        const wchar_t c = i < text.size() ? text[i] : L'\0';
        out.push_back(static_cast<BYTE>(c));
        out.push_back(static_cast<BYTE>(static_cast<unsigned>(c) >> 8));
    }
}
// count characters from p, ending early at a zero character.
inline std::wstring ReadText(const BYTE* p, size_t count) {
    std::wstring text;
    for (size_t i = 0; i < count; ++i) {
        const wchar_t c = static_cast<wchar_t>(ReadU16(p + 2 * i));
        if (c == L'\0')
            break;
        text.push_back(c);
    }
    return text;
}

} // namespace StandinWire
