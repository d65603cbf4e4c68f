#include "pages/gauge/expression/ExpressionScanner.h"

#include <array>

namespace {

// The characters the scan must look at: the blank and the four brackets it counts. One table
// load passes over every other character.
enum class Mark : unsigned char {
    None,
    Blank,
    OpenParenthesis,
    CloseParenthesis,
    OpenBrace,
    CloseBrace
};

constexpr auto kMarks = [] {
    std::array<Mark, 128> marks{};
    marks[' '] = Mark::Blank;
    marks['('] = Mark::OpenParenthesis;
    marks[')'] = Mark::CloseParenthesis;
    marks['{'] = Mark::OpenBrace;
    marks['}'] = Mark::CloseBrace;
    return marks;
}();

Mark MarkOf(wchar_t ch) {
    unsigned code = static_cast<unsigned short>(ch);
    return code < kMarks.size() ? kMarks[code] : Mark::None;
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
        Mark mark = MarkOf(*stop);
        if (mark == Mark::None)
            continue;
        if (mark == Mark::OpenParenthesis)
            ++parentheses;
        else if (mark == Mark::CloseParenthesis)
            --parentheses;
        else if (mark == Mark::OpenBrace)
            ++braces;
        else if (mark == Mark::CloseBrace)
            --braces;
        else if (parentheses <= 0 && braces <= 0)
            break; // a separating blank
    }
    token = std::wstring_view(start, static_cast<size_t>(stop - start));
    // Past the blank, or past the character after a token cut at the limit.
    m_cursor = stop == m_end ? m_end : stop + 1;
    return true;
}
