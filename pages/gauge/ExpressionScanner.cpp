#include "pages/gauge/ExpressionScanner.h"

#include <cstdint>

namespace {

// The characters the scan must look at: the blank and the four brackets it counts. One test of
// a bit mask passes over every other character.
constexpr std::uint64_t Bit(unsigned code) {
    return std::uint64_t{1} << (code % 64);
}
constexpr std::uint64_t kMarkedBelow64 = Bit(' ') | Bit('(') | Bit(')');
constexpr std::uint64_t kMarkedBelow128 = Bit('{') | Bit('}');

bool IsMarked(wchar_t ch) {
    unsigned code = static_cast<unsigned short>(ch);
    if (code < 64)
        return (kMarkedBelow64 >> code) & 1;
    return code < 128 && ((kMarkedBelow128 >> (code - 64)) & 1);
}

} // namespace

bool ExpressionScanner::Next(std::wstring_view& token) {
    if (m_cursor == m_end)
        return false;

    const wchar_t* start = m_cursor;
    const wchar_t* limit =
        static_cast<size_t>(m_end - start) > kMaxTokenLength ? start + kMaxTokenLength : m_end;
    const wchar_t* stop = start;
    int parentheses = 0;
    int braces = 0;
    for (; stop != limit; ++stop) {
        wchar_t ch = *stop;
        if (!IsMarked(ch))
            continue;
        if (ch == L'(')
            ++parentheses;
        else if (ch == L')')
            --parentheses;
        else if (ch == L'{')
            ++braces;
        else if (ch == L'}')
            --braces;
        else if (parentheses <= 0 && braces <= 0)
            break; // a separating blank
    }
    token = std::wstring_view(start, static_cast<size_t>(stop - start));
    // Past the blank, or past the character after a token cut at the limit.
    m_cursor = stop == m_end ? m_end : stop + 1;
    return true;
}
