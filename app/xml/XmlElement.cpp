#include "app/xml/XmlElement.h"

#include "app/xml/SaxContentHandler.h"
#include "app/xml/SaxErrorHandler.h"
#include "app/xml/SaxInterfaceIds.h"

#include <shlwapi.h>
#include <wrl/client.h>

using Microsoft::WRL::ComPtr;

namespace {

// The reader takes file paths through parseURL only after percent-decoding them, which changes
// names such as "%41" or "#1"; a path is therefore opened here and streamed to the reader, and
// only a real URL goes through parseURL.
HRESULT ParseSource(ISAXXMLReader* reader, const wchar_t* fileName) {
    if (PathIsURLW(fileName))
        return reader->parseURL(fileName);
    ComPtr<IStream> stream;
    HRESULT hr = SHCreateStreamOnFileEx(fileName, STGM_READ | STGM_SHARE_DENY_WRITE,
                                        FILE_ATTRIBUTE_NORMAL, FALSE, nullptr, &stream);
    if (FAILED(hr))
        return hr;
    VARIANT source;
    VariantInit(&source);
    source.vt = VT_UNKNOWN;
    source.punkVal = stream.Get();
    return reader->parse(source);
}

} // namespace

// Post-order walk that frees one leaf at a time, so no depth of tree can exhaust the stack and
// nothing is allocated. Parent links are set on the way down: they are the way back up.
CXmlElement::~CXmlElement() {
    CXmlElement* element = this;
    for (;;) {
        if (element->children.empty()) {
            if (element == this)
                return;
            element = element->parent;
            element->children.pop_back();
        } else if (CXmlElement* last = element->children.back().get();
                   last != nullptr && !last->children.empty()) {
            last->parent = element;
            element = last;
        } else {
            element->children.pop_back(); // a leaf dies at once
        }
    }
}

const wchar_t* CXmlElement::GetAttribute(const wchar_t* attributeName) const {
    auto found = attributes.find(attributeName);
    return found == attributes.end() ? nullptr : found->second.c_str();
}

bool ParseXmlFile(const wchar_t* fileName, std::unique_ptr<CXmlElement>& root) {
    if (fileName == nullptr)
        return false;
    ComPtr<ISAXXMLReader> reader;
    if (FAILED(CoCreateInstance(kClsidSaxXmlReader60, nullptr, CLSCTX_ALL, kIidSaxXmlReader,
                                reinterpret_cast<void**>(reader.GetAddressOf()))))
        return false;

    ComPtr<CSaxContentHandler> contentHandler;
    contentHandler.Attach(new (std::nothrow) CSaxContentHandler);
    if (!contentHandler || FAILED(reader->putContentHandler(contentHandler.Get())))
        return false;

    ComPtr<CSaxErrorHandler> errorHandler;
    errorHandler.Attach(new (std::nothrow) CSaxErrorHandler);
    if (!errorHandler || FAILED(reader->putErrorHandler(errorHandler.Get())))
        return false;

    // Element and attribute names are wanted without prefixes and without xmlns attributes.
    reader->putFeature(L"http://xml.org/sax/features/namespace-prefixes", VARIANT_FALSE);

    if (FAILED(ParseSource(reader.Get(), fileName)))
        return false; // the partial tree dies with the content handler

    root = contentHandler->TakeRoot();
    return true;
}
