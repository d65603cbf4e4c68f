#include "pages/gauge/ExpressionScanner.h"

bool ExpressionScanner::Next(std::wstring_view& token) {
    if (m_cursor == m_end)
        return false;

    const wchar_t* start = m_cursor;
    const wchar_t* stop = m_cursor;
    int parentheses = 0;
    int braces = 0;
    while (stop != m_end && static_cast<size_t>(stop - start) < kMaxTokenLength) {
        wchar_t ch = *stop;
        if (ch == L'(')
            ++parentheses;
        else if (ch == L')')
            --parentheses;
        else if (ch == L'{')
            ++braces;
        else if (ch == L'}')
            --braces;
        else if (ch == L' ' && parentheses <= 0 && braces <= 0)
            break;
        ++stop;
    }
    token = std::wstring_view(start, static_cast<size_t>(stop - start));
    // Past the blank, or past the character after a token cut at the limit.
    m_cursor = stop == m_end ? m_end : stop + 1;
    return true;
}
