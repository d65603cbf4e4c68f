#include "app/xml/XmlDom.h"

std::wstring XPathLiteral(const std::wstring& text) {
    if (text.find(L'\'') == std::wstring::npos)
        return L"'" + text + L"'";
    if (text.find(L'"') == std::wstring::npos)
        return L"\"" + text + L"\"";
    std::wstring literal = L"concat(";
    size_t start = 0;
    for (;;) {
        size_t quote = text.find(L'\'', start);
        std::wstring piece =
            text.substr(start, quote == std::wstring::npos ? quote : quote - start);
        if (!piece.empty())
            literal += L"'" + piece + L"', ";
        if (quote == std::wstring::npos)
            break;
        literal += L"\"'\", ";
        start = quote + 1;
    }
    literal.resize(literal.size() - 2);
    return literal + L")";
}
