#include "tools/gauge/ExpressionReport.h"

#include "pages/gauge/expression/GaugeVariables.h"
#include "pages/gauge/expression/TokenWalk.h"
#include "tools/gauge/ToolText.h"

#include <algorithm>
#include <set>

namespace {

bool IsDigit(wchar_t ch) {
    return ch >= L'0' && ch <= L'9';
}

bool LooksLikeNumber(std::wstring_view token) {
    bool digit = false;
    for (size_t i = 0; i < token.size(); ++i) {
        const wchar_t ch = token[i];
        if (IsDigit(ch))
            digit = true;
        else if (!(ch == L'.' || ((ch == L'-' || ch == L'+') && i == 0)))
            return false;
    }
    return digit;
}

// How a decimal or signed number is written in the language: "1.25" as "125 100 /", "-3" as
// "3 /-/".
std::wstring WrittenNumber(std::wstring_view token) {
    const bool negative = token[0] == L'-';
    if (token[0] == L'-' || token[0] == L'+')
        token.remove_prefix(1);
    std::wstring digits;
    size_t decimals = 0;
    bool afterPoint = false;
    for (wchar_t ch : token) {
        if (ch == L'.') {
            afterPoint = true;
            continue;
        }
        digits += ch;
        decimals += afterPoint ? 1 : 0;
    }
    digits.erase(0, std::min(digits.find_first_not_of(L'0'), digits.size() - 1));
    std::wstring written = digits;
    if (decimals > 0)
        written += L" 1" + std::wstring(decimals, L'0') + L" /";
    if (negative)
        written += L" /-/";
    return written;
}

bool EqualsAny(std::wstring_view token, std::initializer_list<std::wstring_view> words) {
    for (std::wstring_view word : words) {
        if (token == word)
            return true;
    }
    return false;
}

std::wstring VariableKey(const VariableReference& variable) {
    std::wstring key(1, variable.letter);
    key.append(L":").append(variable.name);
    if (GaugeVariables::IsSimulatorLetter(variable.letter))
        key.append(L",").append(variable.units);
    return key;
}

// "(>L:X)": the file's "&gt;" became a bare sign, so the token reads instead of assigning.
bool IsUnescapedAssignment(std::wstring_view token) {
    return token.size() > 1 && token[0] == L'(' && token[1] == L'>';
}

class ExpressionDescriber {
public:
    ExpressionDescriber(ExpressionRole role, const GaugeVariables& store)
        : m_role(role), m_store(store) {}

    void operator()(std::wstring_view token, ClassifiedToken classified, int) {
        switch (classified.kind) {
        case TokenKind::Variable:
            if (IsUnescapedAssignment(token))
                Warn(Quoted(token) + L" reads a variable; an assignment is written (&gt;" +
                     std::wstring(token.substr(2)) +
                     L" in the expression, that is (&amp;gt;... in the file");
            Variable(ParseVariableToken(token));
            break;
        case TokenKind::Assignment:
            Assignment(ParseVariableToken(token));
            break;
        case TokenKind::Number:
            if (token.empty())
                Warn(L"two blanks in a row make an empty token, which pushes 0");
            break;
        case TokenKind::Ignored:
            Warn(L"ignores " + Quoted(token) + L": " + IgnoredTokenHint(token));
            break;
        default:
            break;
        }
    }

    std::vector<ExpressionLine> TakeLines() { return std::move(m_lines); }

private:
    void Variable(const VariableReference& variable) {
        const std::wstring key = VariableKey(variable);
        if (!m_seen.insert(key + L" read").second)
            return;
        if (!GaugeVariables::IsSimulatorLetter(variable.letter)) {
            if (m_role == ExpressionRole::Drawing)
                Say(L"registers " + key + L" (gauge-local, 0 until assigned)");
            else
                Say(L"reads " + key + L" (gauge-local)");
            return;
        }
        const int datum = m_store.DatumId(variable.name, variable.units);
        if (datum < 0)
            Warn(L"reads " + key +
                 L", which no shift or rotation registers: it reads 0 on the panel");
        else if (m_role == ExpressionRole::Drawing)
            Say(L"registers " + key + L" as datum " + std::to_wstring(datum));
        else
            Say(L"reads " + key + L" (datum " + std::to_wstring(datum) + L")");
    }

    void Assignment(const VariableReference& variable) {
        const std::wstring key = VariableKey(variable);
        if (!m_seen.insert(key + L" assigned").second)
            return;
        if (!GaugeVariables::IsSimulatorLetter(variable.letter))
            Say(L"assigns " + key + L" (gauge-local)");
        else if (m_store.DatumId(variable.name, variable.units) < 0)
            Warn(L"assigns " + key + L", which is not registered: the assignment does nothing");
        else
            Say(L"assigns " + key +
                L" until the next simulator data overwrite it (nothing reaches the simulator)");
    }

    void Say(std::wstring text) { m_lines.push_back({std::move(text), false}); }
    void Warn(std::wstring text) { m_lines.push_back({std::move(text), true}); }

    ExpressionRole m_role;
    const GaugeVariables& m_store;
    std::set<std::wstring> m_seen;
    std::vector<ExpressionLine> m_lines;
};

std::wstring StackText(std::span<const float> stack) {
    if (stack.empty())
        return L"(empty)";
    std::wstring text;
    for (float value : stack) {
        if (!text.empty())
            text += L' ';
        text += FormatNumber(value);
    }
    return text;
}

} // namespace

std::vector<ExpressionLine> DescribeExpression(std::wstring_view expression, ExpressionRole role,
                                               const GaugeVariables& store) {
    ExpressionDescriber describer(role, store);
    WalkTokens(expression.data(), expression.size(), describer);
    return describer.TakeLines();
}

std::wstring IgnoredTokenHint(std::wstring_view token) {
    if (EqualsAny(token, {L">", L"<", L">=", L"<="}))
        return L"comparisons are written &gt; &lt; &gt;= &lt;= (in the file &amp;gt; ...)";
    if (EqualsAny(token, {L"&&", L"||", L"!", L"and", L"or", L"not", L"&amp;&amp;"}))
        return L"there are no logical operators";
    if (LooksLikeNumber(token) && token.find(L'.') == token.rfind(L'.'))
        return L"a number is digits only: write " + WrittenNumber(token);
    if (token.find_first_of(L"\t\r\n") != std::wstring_view::npos)
        return L"only blanks separate tokens, not tabs or line ends";
    if (EqualsAny(token, {L"if", L"els", L"else", L"{", L"}"}) || token.rfind(L"else{", 0) == 0)
        return L"a block is written if{ ... } or els{ ... }, its brace in the same token";
    if (token.find(L')') != std::wstring_view::npos && token.find(L'(') == std::wstring_view::npos)
        return L"a closing parenthesis without its opening one";
    return L"no word of the expression language";
}

const wchar_t* TokenKindName(TokenKind kind) {
    switch (kind) {
    case TokenKind::Number:
        return L"number";
    case TokenKind::Constant:
        return L"constant";
    case TokenKind::Function:
        return L"function";
    case TokenKind::Operator:
        return L"operator";
    case TokenKind::Comparison:
        return L"comparison";
    case TokenKind::If:
        return L"if";
    case TokenKind::Else:
        return L"else";
    case TokenKind::Assignment:
        return L"assignment";
    case TokenKind::Variable:
        return L"variable";
    case TokenKind::Ignored:
        return L"ignored";
    }
    return L"";
}

void CStackPrinter::OnToken(std::wstring_view token, TokenKind kind, std::span<const float> stack,
                            int depth) {
    constexpr size_t kTokenColumn = 28;
    constexpr size_t kKindColumn = 12;
    std::wstring row(static_cast<size_t>(depth) * 4, L' ');
    row += token.empty() ? std::wstring(L"(empty token)") : std::wstring(token);
    row.resize(std::max(row.size() + 1, kTokenColumn), L' ');
    std::wstring kindName = TokenKindName(kind);
    kindName.resize(kKindColumn, L' ');
    row += kindName + StackText(stack);
    if (kind == TokenKind::Ignored)
        row += L"    <- " + IgnoredTokenHint(token);
    m_stream.Line(row);
}
