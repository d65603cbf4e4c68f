#pragma once
// Cuts an expression into tokens. Only the blank separates tokens, and not inside parentheses
// or braces, so "(A:Airspeed select indicated or true,knots)" and "if{ (G:Var1) 2 * }" are single
// tokens; tabs and line ends are ordinary characters. Two blanks in a row give an empty token.
// A token holds at most 255 characters: a longer run is cut there, and the character after the
// cut is skipped unread. Tokens are views of the text: nothing is copied.

#include <cstddef>
#include <string_view>

class ExpressionScanner {
public:
    static constexpr size_t kMaxTokenLength = 255;

    ExpressionScanner(const wchar_t* text, size_t length)
        : m_cursor(text), m_end(text ? text + length : text) {}

    // False when the text is used up.
    bool Next(std::wstring_view& token);

private:
    const wchar_t* m_cursor;
    const wchar_t* m_end;
};
