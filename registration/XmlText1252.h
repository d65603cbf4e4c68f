#pragma once
// Text of the simulator's registration files: 8-bit Windows-1252 with XML escapes.

#include <string>

// `text` as Windows-1252 bytes for XML character data: "&" becomes "&amp;" and every character
// without a Windows-1252 byte becomes a decimal character reference ("&#1044;").
std::string EncodeXmlText1252(const std::wstring& text);

// Windows-1252 bytes of XML character data back to text, resolving character references and the
// five predefined entities. A malformed reference stays as written.
std::wstring DecodeXmlText1252(const std::string& bytes);
