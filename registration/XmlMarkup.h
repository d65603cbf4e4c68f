#pragma once
// Markup of XML text found without a parser: where a tag, comment, processing instruction, CDATA
// section or document type declaration begins and ends, so that text inside one is never taken
// for markup. Malformed markup is read leniently: an unterminated construct runs to the end of
// the text, a tag ends before a "<" that cannot belong to it, and a "<" that starts nothing is
// text.

#include <cstddef>
#include <string_view>

struct XmlMarkup {
    enum class Kind {
        StartTag,
        EmptyTag, // "<Name/>"
        EndTag,
        Declaration, // "<?xml ...?>"
        Other,       // comment, other processing instruction, CDATA section, document type
    };

    Kind kind = Kind::Other;
    size_t begin = 0;      // the "<"
    size_t end = 0;        // just past the construct
    std::string_view name; // the element's name, for tags
};

// The construct that starts with the "<" at `text[begin]`; false when that "<" starts none.
bool ScanXmlMarkup(std::string_view text, size_t begin, XmlMarkup& markup);
