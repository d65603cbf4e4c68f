#pragma once
// The program's read-only XML element tree, built from the SAX2 reader's events by ParseXmlFile.
// Every XML reader of the program walks it by element name and queries it by attribute name.

#include "common/StringCompare.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

class CXmlElement {
public:
    CXmlElement() = default;
    ~CXmlElement();
    CXmlElement(const CXmlElement&) = delete;
    CXmlElement& operator=(const CXmlElement&) = delete;

    // The value of the attribute named `attributeName` (compared without regard to case), valid
    // while the element lives; null when the element has no such attribute. An attribute present
    // with an empty value gives an empty string.
    const wchar_t* GetAttribute(const wchar_t* attributeName) const;

    std::wstring name; // local name, any namespace prefix dropped
    std::wstring text; // own character data; empty when it is only whitespace
    std::map<std::wstring, std::wstring, LessNoCaseW> attributes; // local name -> value
    std::vector<std::unique_ptr<CXmlElement>> children;           // document order, owned
    CXmlElement* parent = nullptr;                                // null for the root
};

// The deepest nesting of elements a document may have (the document element is level 1). The
// program's files need a handful of levels; the limit keeps every reader of a tree, recursive or
// not, safe from a hostile file.
inline constexpr int kMaxXmlElementDepth = 256;

// Streams `fileName` (a file path, absolute or relative to the current directory, or a URL)
// through the SAX2 reader into an element tree. True: `root` owns the document element (null for
// a document without one). False (reader unavailable, file missing, not well-formed or nested
// deeper than kMaxXmlElementDepth): `root` is left untouched. The calling thread must have
// initialised COM.
bool ParseXmlFile(const wchar_t* fileName, std::unique_ptr<CXmlElement>& root);
