#include "app/xml/SaxContentHandler.h"

#include "app/xml/SaxInterfaceIds.h"

#include "common/CallNoThrow.h"

#include <string_view>

namespace {

bool IsXmlWhitespaceOnly(const std::wstring& text) {
    return text.find_first_not_of(L"\t\n\r ") == std::wstring::npos;
}

void CopyAttributes(ISAXAttributes* attributes, CXmlElement& element) {
    int count = 0;
    if (attributes == nullptr || FAILED(attributes->getLength(&count)))
        return;
    for (int index = 0; index < count; ++index) {
        const wchar_t* name = nullptr;
        int nameLength = 0;
        const wchar_t* value = nullptr;
        int valueLength = 0;
        if (FAILED(attributes->getLocalName(index, &name, &nameLength)) ||
            FAILED(attributes->getValue(index, &value, &valueLength)))
            continue;
        // Namespace declarations are not attributes of the document's data.
        const wchar_t* qualifiedName = nullptr;
        int qualifiedLength = 0;
        if (SUCCEEDED(attributes->getQName(index, &qualifiedName, &qualifiedLength)) &&
            qualifiedName != nullptr) {
            const std::wstring_view qualified(qualifiedName, qualifiedLength);
            if (qualified == L"xmlns" || qualified.starts_with(L"xmlns:"))
                continue;
        }
        element.attributes[std::wstring(name, nameLength)] = std::wstring(value, valueLength);
    }
}

} // namespace

CSaxContentHandler::~CSaxContentHandler() = default;

std::unique_ptr<CXmlElement> CSaxContentHandler::TakeRoot() {
    m_current = nullptr;
    return std::move(m_root);
}

HRESULT STDMETHODCALLTYPE CSaxContentHandler::QueryInterface(REFIID riid, void** ppvObject) {
    if (ppvObject == nullptr)
        return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, kIidSaxContentHandler)) {
        *ppvObject = static_cast<ISAXContentHandler*>(this);
        AddRef();
        return S_OK;
    }
    *ppvObject = nullptr;
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE CSaxContentHandler::AddRef() {
    return static_cast<ULONG>(InterlockedIncrement(&m_refCount));
}

ULONG STDMETHODCALLTYPE CSaxContentHandler::Release() {
    const LONG count = InterlockedDecrement(&m_refCount);
    if (count == 0)
        delete this;
    return static_cast<ULONG>(count);
}

HRESULT STDMETHODCALLTYPE CSaxContentHandler::putDocumentLocator(ISAXLocator*) {
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CSaxContentHandler::startDocument() {
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CSaxContentHandler::endDocument() {
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CSaxContentHandler::startPrefixMapping(const wchar_t*, int,
                                                                 const wchar_t*, int) {
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CSaxContentHandler::endPrefixMapping(const wchar_t*, int) {
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CSaxContentHandler::startElement(const wchar_t*, int,
                                                           const wchar_t* pwchLocalName,
                                                           int cchLocalName, const wchar_t*, int,
                                                           ISAXAttributes* pAttributes) {
    // A second top-level element only comes before the reader's error; it has no owner.
    if (m_current == nullptr && m_root)
        return S_OK;
    // Refusing the element ends the parse with a failure.
    if (m_depth == kMaxXmlElementDepth)
        return E_FAIL;
    // Out of memory fails the parse rather than handing out a tree with elements missing.
    return CallNoThrow([&] {
        auto element = std::make_unique<CXmlElement>();
        element->name.assign(pwchLocalName, cchLocalName);
        CopyAttributes(pAttributes, *element);
        element->parent = m_current;
        CXmlElement* opened = element.get();
        if (m_current != nullptr)
            m_current->children.push_back(std::move(element));
        else
            m_root = std::move(element);
        m_current = opened;
        ++m_depth;
    });
}

HRESULT STDMETHODCALLTYPE CSaxContentHandler::endElement(const wchar_t*, int, const wchar_t*, int,
                                                         const wchar_t*, int) {
    if (m_current == nullptr)
        return S_OK;
    if (IsXmlWhitespaceOnly(m_current->text))
        m_current->text.clear();
    m_current = m_current->parent;
    --m_depth;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CSaxContentHandler::characters(const wchar_t* pwchChars, int cchChars) {
    if (m_current == nullptr)
        return S_OK;
    return CallNoThrow([&] { m_current->text.append(pwchChars, cchChars); });
}

HRESULT STDMETHODCALLTYPE CSaxContentHandler::ignorableWhitespace(const wchar_t*, int) {
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CSaxContentHandler::processingInstruction(const wchar_t*, int,
                                                                    const wchar_t*, int) {
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CSaxContentHandler::skippedEntity(const wchar_t*, int) {
    return S_OK;
}
