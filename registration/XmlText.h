#pragma once
// Character data of the simulator's registration files in the 8-bit encoding a file declares,
// with XML escapes.

#include <string>

enum class TextEncoding {
    Windows1252, // one byte per character
    Utf8,
    Ascii, // any other declared encoding: only ASCII is safe to write as bytes
};

// `text` as bytes of `encoding` for XML character data: "&" becomes "&amp;" and every character
// without bytes in the encoding becomes a decimal character reference ("&#1044;").
std::string EncodeXmlText(const std::wstring& text, TextEncoding encoding);

// Bytes of XML character data back to text, resolving character references and the five
// predefined entities; a malformed reference stays as written. Ascii bytes, and UTF-8 bytes that
// are not valid UTF-8, are read as Windows-1252.
std::wstring DecodeXmlText(const std::string& bytes, TextEncoding encoding);
