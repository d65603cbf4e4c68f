#pragma once
// Watches a gauge file being read, for tools that show a gauge's author what the reader made of
// it; the gauge pages read without one.

class CXmlElement;

enum class PassedOver {
    Unused,          // the reader does not look at this element
    FailsLoad,       // an unrecognised root, or an unknown element directly under the older root
    DropsMouseAreas, // a "Cursor" without "Type": its area and the later ones of its "Mouse" go
};

class IGaugeFileObserver {
public:
    // The document's root element, once the file has been parsed.
    virtual void OnRoot(const CXmlElement& root) = 0;
    // An element whose content does not reach the gauge, and why.
    virtual void OnPassedOver(const CXmlElement& node, PassedOver reason) = 0;

protected:
    ~IGaugeFileObserver() = default;
};
