#include "pages/gauge/expression/ExpressionToken.h"

#include <charconv>
#include <cstdint>
#include <limits>

namespace {

bool StartsWithNoCase(std::wstring_view token, std::wstring_view lowerPrefix) {
    if (token.size() < lowerPrefix.size())
        return false;
    for (size_t i = 0; i < lowerPrefix.size(); ++i) {
        wchar_t ch = token[i];
        if (ch >= L'A' && ch <= L'Z')
            ch = static_cast<wchar_t>(ch + (L'a' - L'A'));
        if (ch != lowerPrefix[i])
            return false;
    }
    return true;
}

bool IsDigitsOnly(std::wstring_view token) {
    for (wchar_t ch : token)
        if (ch < L'0' || ch > L'9')
            return false;
    return true;
}

std::wstring_view SkipBlanks(std::wstring_view text) {
    size_t first = text.find_first_not_of(L' ');
    return first == std::wstring_view::npos ? std::wstring_view() : text.substr(first);
}

// The text up to its last ")", or all of it when it has none.
std::wstring_view UpToLastParenthesis(std::wstring_view text) {
    size_t close = text.rfind(L')');
    return close == std::wstring_view::npos ? text : text.substr(0, close);
}

// Integers of up to 15 digits are exact in a 64-bit integer and in a double, so converting
// them rounds once, as the decimal text would.
constexpr size_t kExactDigits = 15;

} // namespace

ClassifiedToken ClassifyToken(std::wstring_view token) {
    if (IsDigitsOnly(token))
        return {TokenKind::Number, Operation::None};
    if (auto word = FindTableWord(token))
        return {word->kind, word->operation};
    if (StartsWithNoCase(token, L"if{"))
        return {TokenKind::If, Operation::None};
    if (StartsWithNoCase(token, L"els{"))
        return {TokenKind::Else, Operation::None};
    if (!token.empty() && token[0] == L'(')
        return {token.size() > 1 && token[1] == L'&' ? TokenKind::Assignment : TokenKind::Variable,
                Operation::None};
    return {TokenKind::Ignored, Operation::None};
}

float NumberValue(std::wstring_view digits) {
    if (digits.size() <= kExactDigits) {
        std::int64_t value = 0;
        for (wchar_t ch : digits)
            value = value * 10 + (ch - L'0');
        return static_cast<float>(value);
    }
    char narrow[256];
    size_t length = digits.size() < sizeof(narrow) ? digits.size() : sizeof(narrow);
    for (size_t i = 0; i < length; ++i)
        narrow[i] = static_cast<char>(digits[i]);
    float value = 0.0f;
    std::from_chars_result result = std::from_chars(narrow, narrow + length, value);
    return result.ec == std::errc::result_out_of_range ? std::numeric_limits<float>::infinity()
                                                       : value;
}

std::wstring_view BlockText(std::wstring_view token) {
    size_t open = token.find(L'{');
    size_t close = token.rfind(L'}');
    if (open == std::wstring_view::npos || close == std::wstring_view::npos || close <= open)
        return {};
    size_t start = token.find_first_not_of(L"{ ", open + 1);
    size_t end = close - 1; // the character before the last "}" is cut
    if (start == std::wstring_view::npos || end <= start)
        return {};
    return token.substr(start, end - start);
}

VariableReference ParseVariableToken(std::wstring_view token) {
    size_t colon = token.find(L':');
    if (colon == std::wstring_view::npos)
        return {L' ', {}, {}};
    wchar_t letter = colon > 0 ? token[colon - 1] : L' ';
    std::wstring_view rest = token.substr(colon + 1);
    size_t comma = rest.rfind(L',');
    if (comma == std::wstring_view::npos)
        return {letter, SkipBlanks(UpToLastParenthesis(rest)), {}};
    return {letter, SkipBlanks(rest.substr(0, comma)),
            SkipBlanks(UpToLastParenthesis(rest.substr(comma + 1)))};
}
