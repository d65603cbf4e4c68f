#include "pages/gauge/expression/ExpressionScanner.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::wstring> Tokens(const std::wstring& text) {
    std::vector<std::wstring> tokens;
    ExpressionScanner scanner(text.data(), text.size());
    std::wstring_view token;
    while (scanner.Next(token))
        tokens.emplace_back(token);
    return tokens;
}

using TokenList = std::vector<std::wstring>;

TEST(ExpressionScannerTest, OnlyTheBlankOutsideParenthesesAndBracesSeparates) {
    struct Case {
        std::wstring text;
        TokenList tokens;
    };
    const Case cases[] = {
        {L"", {}},
        {L"1 2 +", {L"1", L"2", L"+"}},
        {L"1 ", {L"1"}},
        {L"1  2", {L"1", L"", L"2"}},
        {L" 1", {L"", L"1"}},
        {L"1\t2\r\n3 4", {L"1\t2\r\n3", L"4"}},
        {L"(A:Airspeed select indicated or true,knots) 2 *",
         {L"(A:Airspeed select indicated or true,knots)", L"2", L"*"}},
        {L"if{ (G:Var1) 2 * } els{ 3 }", {L"if{ (G:Var1) 2 * }", L"els{ 3 }"}},
        {L"(a b", {L"(a b"}},
        {L") 1 } 2", {L")", L"1", L"}", L"2"}},
        {L"(a)) b", {L"(a))", L"b"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Tokens(c.text), c.tokens) << c.text;
}

TEST(ExpressionScannerTest, ATokenStopsAt255CharactersAndTheNextCharacterIsSkipped) {
    const std::wstring full(255, L'x');
    EXPECT_EQ(Tokens(full), TokenList{full});
    EXPECT_EQ(Tokens(full + L"YZ 1"), (TokenList{full, L"Z", L"1"}));
    // The skipped character is the blank: no empty token follows.
    EXPECT_EQ(Tokens(full + L" 1"), (TokenList{full, L"1"}));
    EXPECT_EQ(Tokens(full + L"  1"), (TokenList{full, L"", L"1"}));
    // A long variable reference is cut the same way, inside its parentheses; its rest starts
    // with fresh depth counters.
    const std::wstring variable = L"(G:" + std::wstring(300, L'v') + L")";
    EXPECT_EQ(Tokens(variable + L" 1"),
              (TokenList{variable.substr(0, 255), variable.substr(256), L"1"}));
}

TEST(ExpressionScannerTest, NoTextGivesNoToken) {
    ExpressionScanner scanner(nullptr, 0);
    std::wstring_view token;
    EXPECT_FALSE(scanner.Next(token));
}

} // namespace
