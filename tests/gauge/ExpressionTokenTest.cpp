#include "pages/gauge/expression/ExpressionToken.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(ExpressionTokenTest, BlockTextIsCutBeforeTheCharacterThatPrecedesTheLastBrace) {
    struct Case {
        std::wstring token;
        std::wstring block;
    };
    const Case cases[] = {
        {L"if{ 1 }", L"1"},
        {L"if{ 10}", L"1"},
        {L"if{ 1}", L""},
        {L"if{}", L""},
        {L"if{ }", L""},
        {L"if{ 1", L""},
        {L"if{ { 2 }", L"2"},
        {L"els{ (G:A) 2 * }", L"(G:A) 2 *"},
        {L"if{ 1 if{ 2 } }", L"1 if{ 2 }"},
        {L"if{ 1 }}", L"1 "},
    };
    for (const Case& c : cases)
        EXPECT_EQ(std::wstring(BlockText(c.token)), c.block) << c.token;
}

TEST(ExpressionTokenTest, VariableTokensAreTakenApart) {
    struct Case {
        std::wstring token;
        wchar_t letter;
        std::wstring name;
        std::wstring units;
    };
    const Case cases[] = {
        {L"(A:Airspeed select indicated or true,knots)", L'A', L"Airspeed select indicated or true",
         L"knots"},
        {L"(A:Airspeed select indicated or true, knots)", L'A',
         L"Airspeed select indicated or true", L"knots"},
        {L"(G:Var1)", L'G', L"Var1", L""},
        {L"(&gt;G:Var1)", L'G', L"Var1", L""},
        {L"(&gt;A:Com,MHz)", L'A', L"Com", L"MHz"},
        {L"(L:  Name ,units )", L'L', L"Name ", L"units "},
        {L"(A:a,b,c)", L'A', L"a,b", L"c"},
        {L"(A:Gear (2),percent)", L'A', L"Gear (2)", L"percent"},
        {L"(Var1)", L' ', L"", L""},
        // Without a closing parenthesis the last part runs to the end of the token.
        {L"(G:Var1", L'G', L"Var1", L""},
        {L"(A:Name,units", L'A', L"Name", L"units"},
        {L"(A:Name),units", L'A', L"Name)", L"units"},
    };
    for (const Case& c : cases) {
        VariableReference variable = ParseVariableToken(c.token);
        EXPECT_EQ(variable.letter, c.letter) << c.token;
        EXPECT_EQ(std::wstring(variable.name), c.name) << c.token;
        EXPECT_EQ(std::wstring(variable.units), c.units) << c.token;
    }
}

TEST(ExpressionTokenTest, AViewNeverReachesPastItsToken) {
    // The token is the start of a longer text whose later characters would close it.
    const std::wstring text = L"(A:Name,units) (G:Other)";
    VariableReference variable = ParseVariableToken(std::wstring_view(text).substr(0, 9));
    EXPECT_EQ(std::wstring(variable.name), L"Name");
    EXPECT_EQ(std::wstring(variable.units), L"u");
    EXPECT_EQ(BlockText(std::wstring_view(L"if{ 1 } 2 }").substr(0, 4)), std::wstring_view());
}

} // namespace
