#pragma once
// Pieces shared by the files the program edits or queries through the MSXML 6.0 DOM document:
// its class and interface ids (the toolchain's headers lack the class), an owner of BSTRs and
// the quoting of any text as an XPath string literal.

#include <windows.h>

#include <oleauto.h>

#include <string>

// DOMDocument60
inline constexpr CLSID kClsidDomDocument60 = {
    0x88d96a05, 0xf192, 0x11d4, {0xa6, 0x5f, 0x00, 0x40, 0x96, 0x32, 0x51, 0xe5}};
// IXMLDOMDocument
inline constexpr IID kIidXmlDomDocument = {
    0x2933bf81, 0x7b36, 0x11d2, {0xb2, 0x0e, 0x00, 0xc0, 0x4f, 0x98, 0x3e, 0x60}};

class UniqueBstr {
public:
    UniqueBstr() = default;
    explicit UniqueBstr(const std::wstring& text)
        : m_bstr(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
    ~UniqueBstr() { SysFreeString(m_bstr); }
    UniqueBstr(const UniqueBstr&) = delete;
    UniqueBstr& operator=(const UniqueBstr&) = delete;

    BSTR get() const { return m_bstr; }
    BSTR* Out() {
        SysFreeString(m_bstr);
        m_bstr = nullptr;
        return &m_bstr;
    }
    std::wstring Text() const {
        return m_bstr ? std::wstring(m_bstr, SysStringLen(m_bstr)) : std::wstring();
    }

private:
    BSTR m_bstr = nullptr;
};

// An XPath 1.0 string literal for any text: quoted with whichever quote it lacks, or, holding
// both, spelt as a concat() of pieces. No character of the text can change the expression.
std::wstring XPathLiteral(const std::wstring& text);
