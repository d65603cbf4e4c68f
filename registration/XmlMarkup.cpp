#include "registration/XmlMarkup.h"

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Lenient: any byte that cannot end a name belongs to it.
bool IsNameCharacter(char c) {
    return !IsBlank(c) && c != '>' && c != '/' && c != '<' && c != '=' && c != '"' && c != '\'' &&
           c != '?' && c != '!';
}

size_t EndAfter(std::string_view text, size_t from, std::string_view terminator) {
    const size_t at = text.find(terminator, from);
    return at == std::string_view::npos ? text.size() : at + terminator.size();
}

std::string_view NameAt(std::string_view text, size_t from) {
    size_t end = from;
    while (end < text.size() && IsNameCharacter(text[end]))
        ++end;
    return text.substr(from, end - from);
}

// Past the ">" that ends a tag, skipping quoted attribute values. A "<" is never part of a tag,
// so a tag with a runaway quote ends before the next one.
size_t TagEnd(std::string_view text, size_t from) {
    char quote = 0;
    for (size_t at = from; at < text.size(); ++at) {
        const char c = text[at];
        if (c == '<')
            return at;
        if (quote != 0) {
            if (c == quote)
                quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '>') {
            return at + 1;
        }
    }
    return text.size();
}

// Past the ">" that ends "<!DOCTYPE ...", which may hold an internal subset in brackets.
size_t DocumentTypeEnd(std::string_view text, size_t from) {
    char quote = 0;
    int brackets = 0;
    for (size_t at = from; at < text.size(); ++at) {
        const char c = text[at];
        if (quote != 0) {
            if (c == quote)
                quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '[') {
            ++brackets;
        } else if (c == ']' && brackets > 0) {
            --brackets;
        } else if (c == '>' && brackets == 0) {
            return at + 1;
        }
    }
    return text.size();
}

bool IsXmlDeclaration(std::string_view rest) {
    return rest.starts_with("<?xml") && (rest.size() == 5 || IsBlank(rest[5]) || rest[5] == '?');
}

} // namespace

bool ScanXmlMarkup(std::string_view text, size_t begin, XmlMarkup& markup) {
    const std::string_view rest = text.substr(begin);
    markup = XmlMarkup();
    markup.begin = begin;
    if (rest.starts_with("<!--")) {
        markup.end = EndAfter(text, begin + 4, "-->");
    } else if (rest.starts_with("<![CDATA[")) {
        markup.end = EndAfter(text, begin + 9, "]]>");
    } else if (rest.starts_with("<?")) {
        markup.kind =
            IsXmlDeclaration(rest) ? XmlMarkup::Kind::Declaration : XmlMarkup::Kind::Other;
        markup.end = EndAfter(text, begin + 2, "?>");
    } else if (rest.starts_with("<!")) {
        markup.end = DocumentTypeEnd(text, begin + 2);
    } else {
        const bool endTag = rest.starts_with("</");
        markup.name = NameAt(text, begin + (endTag ? 2 : 1));
        if (markup.name.empty())
            return false;
        markup.end = TagEnd(text, begin + (endTag ? 2 : 1) + markup.name.size());
        const bool empty = text.substr(markup.begin, markup.end - markup.begin).ends_with("/>");
        markup.kind = endTag  ? XmlMarkup::Kind::EndTag
                      : empty ? XmlMarkup::Kind::EmptyTag
                              : XmlMarkup::Kind::StartTag;
    }
    return true;
}
