#pragma once
// SAX2 content handler that builds one CXmlElement tree during one parse.

#include "app/xml/XmlElement.h"

#include <windows.h>

#include <msxml2.h>

#include <memory>

// COM interfaces have no virtual destructor; objects are destroyed only by their own Release.
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
#endif
class CSaxContentHandler : public ISAXContentHandler {
public:
    CSaxContentHandler() = default;
    CSaxContentHandler(const CSaxContentHandler&) = delete;
    CSaxContentHandler& operator=(const CSaxContentHandler&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppvObject) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    HRESULT STDMETHODCALLTYPE putDocumentLocator(ISAXLocator* pLocator) override;
    HRESULT STDMETHODCALLTYPE startDocument() override;
    HRESULT STDMETHODCALLTYPE endDocument() override;
    HRESULT STDMETHODCALLTYPE startPrefixMapping(const wchar_t* pwchPrefix, int cchPrefix,
                                                 const wchar_t* pwchUri, int cchUri) override;
    HRESULT STDMETHODCALLTYPE endPrefixMapping(const wchar_t* pwchPrefix, int cchPrefix) override;
    HRESULT STDMETHODCALLTYPE startElement(const wchar_t* pwchNamespaceUri, int cchNamespaceUri,
                                           const wchar_t* pwchLocalName, int cchLocalName,
                                           const wchar_t* pwchQName, int cchQName,
                                           ISAXAttributes* pAttributes) override;
    HRESULT STDMETHODCALLTYPE endElement(const wchar_t* pwchNamespaceUri, int cchNamespaceUri,
                                         const wchar_t* pwchLocalName, int cchLocalName,
                                         const wchar_t* pwchQName, int cchQName) override;
    HRESULT STDMETHODCALLTYPE characters(const wchar_t* pwchChars, int cchChars) override;
    HRESULT STDMETHODCALLTYPE ignorableWhitespace(const wchar_t* pwchChars, int cchChars) override;
    HRESULT STDMETHODCALLTYPE processingInstruction(const wchar_t* pwchTarget, int cchTarget,
                                                    const wchar_t* pwchData, int cchData) override;
    HRESULT STDMETHODCALLTYPE skippedEntity(const wchar_t* pwchName, int cchName) override;

    virtual ~CSaxContentHandler();

    // Hands the tree built so far to the caller; a tree not taken dies with the handler.
    std::unique_ptr<CXmlElement> TakeRoot();

private:
    LONG m_refCount = 1;
    std::unique_ptr<CXmlElement> m_root;
    CXmlElement* m_current = nullptr;
    int m_depth = 0; // elements open in the tree
};
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif
