#include "panels/LampProgrammingFile.h"

#include "app/xml/XmlDom.h"

#include <ole2.h>
#include <shlobj.h>

#include <msxml2.h>
#include <wrl/client.h>

#include <cwchar>

using Microsoft::WRL::ComPtr;

namespace {

constexpr ULONG kSerialNumberBytes = 252;

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
