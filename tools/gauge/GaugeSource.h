#pragma once
// The "Gauge" element a gauge page would be given: made from the tool's --file, --cab and --root,
// or taken from a page of a "Dravik.xml", or none at all (the page then shows the built-in gauge).

#include "app/xml/XmlElement.h"
#include "tools/gauge/GaugeToolOptions.h"

#include <memory>
#include <string>

class GaugeSource {
public:
    // False with a message when the pages file cannot be read or its page is no gauge.
    static bool FromOptions(const GaugeToolOptions& options, GaugeSource& source,
                            std::wstring& error);

    // The page's element: its attributes and "Button" children. Null for the built-in gauge.
    const CXmlElement* Element() const { return m_element; }
    // The element to locate the gauge file with: a pages file's relative root is made absolute
    // on that file's folder, where Dravik.exe runs beside it.
    const CXmlElement* LocationElement() const { return m_location ? m_location.get() : m_element; }
    // "page 2 of C:\...\Dravik.xml", "the command line's attributes" or "no gauge named".
    const std::wstring& Description() const { return m_description; }

private:
    bool LoadPage(const std::wstring& pagesFile, int page, std::wstring& error);
    void PlaceOnFolder(const std::wstring& folder);

    std::unique_ptr<CXmlElement> m_document;
    std::unique_ptr<CXmlElement> m_own;
    std::unique_ptr<CXmlElement> m_location;
    const CXmlElement* m_element = nullptr;
    std::wstring m_description = L"no gauge named";
};
