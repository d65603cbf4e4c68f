#include "app/XmlElement.h"

CXmlElement::~CXmlElement() = default;

const wchar_t* CXmlElement::GetAttribute(const wchar_t* attributeName) const {
    auto found = attributes.find(attributeName);
    return found == attributes.end() ? nullptr : found->second.c_str();
}

bool ParseXmlFile(const wchar_t*, std::unique_ptr<CXmlElement>&) {
    return false;
}
