#include "panels/LampProgrammingFile.h"

#include <ole2.h>
#include <shlobj.h>

#include <msxml2.h>
#include <wrl/client.h>

#include <cwchar>

using Microsoft::WRL::ComPtr;

namespace {

// The toolchain's headers lack the MSXML 6 document class.
const CLSID kClsidDomDocument60 = {
    0x88d96a05, 0xf192, 0x11d4, {0xa6, 0x5f, 0x00, 0x40, 0x96, 0x32, 0x51, 0xe5}};
const IID kIidXmlDomDocument = {
    0x2933bf81, 0x7b36, 0x11d2, {0xb2, 0x0e, 0x00, 0xc0, 0x4f, 0x98, 0x3e, 0x60}};

constexpr ULONG kSerialNumberBytes = 252;

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
// both, spelt as a concat() of pieces.
std::wstring XPathLiteral(const std::wstring& text) {
    if (text.find(L'\'') == std::wstring::npos)
        return L"'" + text + L"'";
    if (text.find(L'"') == std::wstring::npos)
        return L"\"" + text + L"\"";
    std::wstring literal = L"concat(";
    size_t start = 0;
    for (;;) {
        size_t quote = text.find(L'\'', start);
        std::wstring piece =
            text.substr(start, quote == std::wstring::npos ? quote : quote - start);
        if (!piece.empty())
            literal += L"'" + piece + L"', ";
        if (quote == std::wstring::npos)
            break;
        literal += L"\"'\", ";
        start = quote + 1;
    }
    literal.resize(literal.size() - 2);
    return literal + L")";
}

LONG ColourOf(const std::wstring& word, LONG current) {
    if (word == L"Red")
        return LampColourRed;
    if (word == L"Amber")
        return LampColourAmber;
    if (word == L"Green")
        return LampColourGreen;
    return current;
}

std::wstring NodeName(IXMLDOMNode* node) {
    UniqueBstr name;
    return node->get_nodeName(name.Out()) == S_OK ? name.Text() : std::wstring();
}

std::wstring NodeText(IXMLDOMNode* node) {
    UniqueBstr text;
    return node->get_text(text.Out()) == S_OK ? text.Text() : std::wstring();
}

// One "Lense": its "Id", "Colour" and "Assignment" children, in document order.
void ApplyLense(IXMLDOMNode* lense, LampProgramming& programming) {
    std::wstring indication;
    LONG colour = LampColourNone;
    LONG lamp = kNoLamp;
    ComPtr<IXMLDOMNodeList> children;
    if (lense->get_childNodes(&children) != S_OK || !children)
        return;
    long count = 0;
    children->get_length(&count);
    for (long i = 0; i < count; ++i) {
        ComPtr<IXMLDOMNode> child;
        if (children->get_item(i, &child) != S_OK || !child)
            continue;
        std::wstring name = NodeName(child.Get());
        if (name == L"Id")
            indication = NodeText(child.Get());
        else if (name == L"Colour")
            colour = ColourOf(NodeText(child.Get()), colour);
        else if (name == L"Assignment")
            lamp = wcstol(NodeText(child.Get()).c_str(), nullptr, 10);
    }
    // A lamp the report has no bit for programs nothing.
    if (!LampProgramming::IsValidLamp(lamp))
        return;
    LampAssignment* assignment = programming.Find(indication);
    if (!assignment)
        return;
    assignment->colour = colour;
    assignment->lamp = lamp;
}

bool LoadDocument(IXMLDOMDocument* document, const std::wstring& path) {
    document->put_async(VARIANT_FALSE);
    document->put_validateOnParse(VARIANT_FALSE);
    document->put_resolveExternals(VARIANT_FALSE);
    VARIANT source;
    VariantInit(&source);
    source.vt = VT_BSTR;
    source.bstrVal = SysAllocStringLen(path.data(), static_cast<UINT>(path.size()));
    VARIANT_BOOL loaded = VARIANT_FALSE;
    HRESULT hr = document->load(source, &loaded);
    VariantClear(&source);
    return hr == S_OK && loaded == VARIANT_TRUE;
}

} // namespace

std::wstring LampProgrammingFilePath() {
    wchar_t folder[MAX_PATH + 1] = {};
    std::wstring path;
    if (SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_COMMON_DOCUMENTS, nullptr, 0, folder)))
        path = std::wstring(folder) + L"\\Qelbro Profiles";
    return path + L"\\LumoProgramming.xml";
}

std::wstring ReadSerialNumber(IHidFeatureDevice& device) {
    wchar_t serial[kSerialNumberBytes / sizeof(wchar_t)] = {};
    if (!device.GetSerialNumberString(serial, kSerialNumberBytes))
        return std::wstring();
    return std::wstring(serial, wcsnlen(serial, std::size(serial)));
}

std::wstring LampProgrammingQuery(const std::wstring& serialNumber) {
    return L"//Lumo/LumoProgramming[@Id=" + XPathLiteral(serialNumber) + L"]/Lense";
}

void LoadLampProgramming(IHidFeatureDevice& device, LampProgramming& programming) {
    std::wstring path = LampProgrammingFilePath();
    ComPtr<IXMLDOMDocument> document;
    if (FAILED(CoCreateInstance(kClsidDomDocument60, nullptr, CLSCTX_INPROC_SERVER,
                                kIidXmlDomDocument,
                                reinterpret_cast<void**>(document.GetAddressOf()))))
        return;
    if (!LoadDocument(document.Get(), path))
        return;
    UniqueBstr query(LampProgrammingQuery(ReadSerialNumber(device)));
    ComPtr<IXMLDOMNodeList> lenses;
    if (document->selectNodes(query.get(), &lenses) != S_OK || !lenses)
        return;
    long count = 0;
    lenses->get_length(&count);
    for (long i = 0; i < count; ++i) {
        ComPtr<IXMLDOMNode> lense;
        if (lenses->get_item(i, &lense) == S_OK && lense)
            ApplyLense(lense.Get(), programming);
    }
}
