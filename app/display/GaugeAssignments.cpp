#include "app/display/GaugeAssignments.h"

#include "app/xml/XmlDom.h"
#include "app/xml/XmlElement.h"

#include <windows.h>

#include <msxml2.h>
#include <shlwapi.h>
#include <wrl/client.h>

#include <utility>
#include <vector>

using Microsoft::WRL::ComPtr;

namespace {

constexpr const wchar_t* kNewList = L"<VexaList> </VexaList>";

// The running executable's path; the buffer doubles while it is too small.
std::wstring ModulePath() {
    std::vector<wchar_t> path(MAX_PATH);
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size() || GetLastError() != ERROR_INSUFFICIENT_BUFFER)
            return std::wstring(path.data(), length);
        path.resize(path.size() * 2);
    }
}

std::wstring ProgramFolderFile(const wchar_t* fileName) {
    const std::wstring modulePath = ModulePath();
    std::vector<wchar_t> path(modulePath.begin(), modulePath.end());
    path.resize(path.size() + MAX_PATH, L'\0');
    PathRemoveFileSpecW(path.data());
    if (!PathAppendW(path.data(), fileName))
        return std::wstring(path.data()) + L"\\" + fileName;
    return path.data();
}

// A VARIANT holding a copy of `text` as a BSTR, cleared when it goes.
class BstrVariant {
public:
    explicit BstrVariant(const std::wstring& text) {
        VariantInit(&m_variant);
        m_variant.vt = VT_BSTR;
        m_variant.bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    }
    ~BstrVariant() { VariantClear(&m_variant); }
    BstrVariant(const BstrVariant&) = delete;
    BstrVariant& operator=(const BstrVariant&) = delete;

    const VARIANT& get() const { return m_variant; }

private:
    VARIANT m_variant;
};

bool LoadFile(IXMLDOMDocument* document, const std::wstring& path) {
    VARIANT_BOOL loaded = VARIANT_FALSE;
    return document->load(BstrVariant(path).get(), &loaded) == S_OK && loaded == VARIANT_TRUE;
}

bool SaveFile(IXMLDOMDocument* document, const std::wstring& path) {
    return SUCCEEDED(document->save(BstrVariant(path).get()));
}

bool CreateDocument(ComPtr<IXMLDOMDocument>& document) {
    if (FAILED(CoCreateInstance(kClsidDomDocument60, nullptr, CLSCTX_INPROC_SERVER,
                                kIidXmlDomDocument,
                                reinterpret_cast<void**>(document.GetAddressOf()))))
        return false;
    return SUCCEEDED(document->put_async(VARIANT_FALSE)) &&
           SUCCEEDED(document->put_validateOnParse(VARIANT_FALSE)) &&
           SUCCEEDED(document->put_resolveExternals(VARIANT_FALSE));
}

// Replaces the document with an empty list carrying the XML declaration, written to `path` and
// read back.
bool StartNewList(IXMLDOMDocument* document, const std::wstring& path) {
    VARIANT_BOOL loaded = VARIANT_FALSE;
    if (document->loadXML(UniqueBstr(kNewList).get(), &loaded) != S_OK || !loaded)
        return false;
    ComPtr<IXMLDOMProcessingInstruction> declaration;
    ComPtr<IXMLDOMElement> root;
    if (FAILED(document->createProcessingInstruction(
            UniqueBstr(L"xml").get(), UniqueBstr(L" version=\"1.0\"").get(), &declaration)) ||
        document->get_documentElement(&root) != S_OK || !root)
        return false;
    VARIANT before;
    VariantInit(&before);
    before.vt = VT_UNKNOWN;
    before.punkVal = root.Get();
    ComPtr<IXMLDOMNode> inserted;
    if (FAILED(document->insertBefore(declaration.Get(), before, &inserted)))
        return false;
    return SaveFile(document, path) && LoadFile(document, path);
}

bool SetAttribute(IXMLDOMElement* element, const wchar_t* name, const std::wstring& value) {
    return SUCCEEDED(element->setAttribute(UniqueBstr(name).get(), BstrVariant(value).get()));
}

bool AppendEntry(IXMLDOMDocument* document, const std::wstring& serialNumber,
                 const std::wstring& gaugeName) {
    ComPtr<IXMLDOMElement> root;
    if (FAILED(document->get_documentElement(&root)))
        return false;
    if (!root)
        return true;
    ComPtr<IXMLDOMElement> entry;
    ComPtr<IXMLDOMNode> appended;
    return SUCCEEDED(document->createElement(UniqueBstr(L"Vexa").get(), &entry)) &&
           SetAttribute(entry.Get(), L"Serial", serialNumber) &&
           SetAttribute(entry.Get(), L"Name", gaugeName) &&
           SUCCEEDED(root->appendChild(entry.Get(), &appended));
}

// Sets the element's "Name", adding the attribute when it has none.
bool SetNameOf(IXMLDOMDocument* document, IXMLDOMNode* entry, const std::wstring& gaugeName) {
    ComPtr<IXMLDOMNamedNodeMap> attributes;
    if (entry->get_attributes(&attributes) != S_OK || !attributes)
        return false;
    const UniqueBstr name(L"Name");
    ComPtr<IXMLDOMNode> existing;
    if (attributes->getNamedItem(name.get(), &existing) == S_OK && existing)
        return SUCCEEDED(existing->put_text(UniqueBstr(gaugeName).get()));
    ComPtr<IXMLDOMAttribute> added;
    ComPtr<IXMLDOMNode> replaced;
    return SUCCEEDED(document->createAttribute(name.get(), &added)) && added &&
           SUCCEEDED(added->put_value(BstrVariant(gaugeName).get())) &&
           SUCCEEDED(attributes->setNamedItem(added.Get(), &replaced));
}

// Gives the entry's name to every child element of the root that carries its serial number,
// whatever the root and the elements are called (reading takes them all, the last one counting,
// so all of them are kept alike), an element without "Name" included; appends a new element
// only when none carries it. A file therefore keeps one entry per panel, however often it is
// saved.
bool MergeEntry(IXMLDOMDocument* document, const std::wstring& serialNumber,
                const std::wstring& gaugeName) {
    UniqueBstr query(L"/*/*[@Serial=" + XPathLiteral(serialNumber) + L"]");
    ComPtr<IXMLDOMNodeList> entries;
    long count = 0;
    if (FAILED(document->selectNodes(query.get(), &entries)) || !entries ||
        FAILED(entries->get_length(&count)))
        return false;
    if (count == 0)
        return AppendEntry(document, serialNumber, gaugeName);
    for (long i = 0; i < count; ++i) {
        ComPtr<IXMLDOMNode> entry;
        if (entries->get_item(i, &entry) != S_OK || !entry ||
            !SetNameOf(document, entry.Get(), gaugeName))
            return false;
    }
    return true;
}

} // namespace

CGaugeAssignments::CGaugeAssignments() : m_filePath(ProgramFolderFile(kFileName)) {}

CGaugeAssignments::CGaugeAssignments(std::wstring filePath) : m_filePath(std::move(filePath)) {}

void CGaugeAssignments::Load() {
    std::unique_ptr<CXmlElement> root;
    if (!ParseXmlFile(m_filePath.c_str(), root) || !root)
        return;
    std::lock_guard<std::mutex> lock(m_lock);
    for (const auto& child : root->children) {
        const wchar_t* serialNumber = child->GetAttribute(L"Serial");
        const wchar_t* gaugeName = child->GetAttribute(L"Name");
        if (serialNumber && gaugeName)
            m_assignments[serialNumber] = gaugeName;
    }
}

void CGaugeAssignments::Save() {
    ComPtr<IXMLDOMDocument> document;
    if (!CreateDocument(document))
        return;
    if (!LoadFile(document.Get(), m_filePath) && !StartNewList(document.Get(), m_filePath))
        return;
    for (const auto& [serialNumber, gaugeName] : Copy()) {
        if (!MergeEntry(document.Get(), serialNumber, gaugeName))
            return;
    }
    SaveFile(document.Get(), m_filePath);
}

std::wstring CGaugeAssignments::Get(const std::wstring& serialNumber) const {
    std::lock_guard<std::mutex> lock(m_lock);
    const auto found = m_assignments.find(serialNumber);
    return found == m_assignments.end() ? std::wstring() : found->second;
}

void CGaugeAssignments::Set(const std::wstring& serialNumber, const std::wstring& gaugeName) {
    std::lock_guard<std::mutex> lock(m_lock);
    m_assignments[serialNumber] = gaugeName;
}

CGaugeAssignments::AssignmentMap CGaugeAssignments::Copy() const {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_assignments;
}
