#include "pages/gauge/expression/ExpressionEngine.h"
#include "pages/gauge/expression/GaugeVariables.h"
#include "pages/gauge/expression/OperatorTables.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>

namespace {

constexpr float kInfinity = std::numeric_limits<float>::infinity();
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kTwoTo31 = 2147483648.0f;

float ViaDouble(double value) {
    return static_cast<float>(value);
}

struct Case {
    std::wstring expression;
    float expected;
};

class ExpressionEngineTest : public ::testing::Test {
protected:
    float Run(const std::wstring& expression) { return Evaluate(store, expression); }

    // Exact comparison, NaN matching NaN.
    void ExpectRows(std::initializer_list<Case> rows) {
        for (const Case& row : rows) {
            float actual = Run(row.expression);
            if (std::isnan(row.expected))
                EXPECT_TRUE(std::isnan(actual)) << row.expression << " gave " << actual;
            else
                EXPECT_EQ(actual, row.expected) << row.expression;
        }
    }

    CSimConnectLibrary noSimulator{L"NoSuchSimConnect.dll"};
    GaugeVariables store{noSimulator};
};

TEST_F(ExpressionEngineTest, Constants) {
    EXPECT_EQ(std::bit_cast<std::uint32_t>(Run(L"pi")), 0x40490FDBu);
    ExpectRows({
        {L"PI", kPi},
        {L"1 2 b", 1.0f},
        {L"b", 0.0f},
        {L"1 2 c", 0.0f},
        {L"1 2 c 5", 5.0f},
    });
}

TEST_F(ExpressionEngineTest, AStackDeeperThanCommonGaugesKeepsEveryValue) {
    std::wstring text;
    for (int i = 1; i <= 100; ++i)
        text += std::to_wstring(i) + L" ";
    for (int i = 1; i < 100; ++i)
        text += L"+ ";
    EXPECT_EQ(Run(text), 5050.0f);
}

TEST_F(ExpressionEngineTest, OneOperandTable) {
    ExpectRows({
        {L"3 /-/", -3.0f},
        {L"3 ++", 4.0f},
        {L"3 --", 2.0f},
        {L"7 2 / %", 3.0f},
        {L"7 /-/ 2 / %", -3.0f},
        {L"3 /-/ abs", 3.0f},
        {L"7 /-/ 2 / flr", -4.0f},
        {L"1 cos", ViaDouble(std::cos(1.0))},
        {L"100 lg", ViaDouble(std::log(100.0))},
        {L"1 sin", ViaDouble(std::sin(1.0))},
        {L"1 4 / acos", ViaDouble(std::acos(0.25))},
        {L"3 ctg", 3.0f},
        {L"100 ln", ViaDouble(std::log(100.0))},
        {L"3 /-/ sqr", 9.0f},
        {L"1 4 / asin", ViaDouble(std::asin(0.25))},
        {L"3 eps", 3.0f},
        {L"2 sqrt", ViaDouble(std::sqrt(2.0))},
        {L"1 exp", ViaDouble(std::exp(1.0))},
        {L"1 tg", ViaDouble(std::tan(1.0))},
        {L"1 atg", ViaDouble(std::atan(1.0))},
        {L"3 d +", 6.0f},
        {L"3 4 p", 3.0f},
        {L"7 /-/ 2 / ceil", -3.0f},
        {L"5 2 / near", 2.5f},
        {L"370 dnor", 10.0f},
        {L"10 /-/ d360", 350.0f},
        {L"360 dnor", 360.0f},
        {L"720 rdeg", 360.0f},
        {L"7 rnor", 7.0f - kTwoPi},
        {L"1 rddg", 1.0f * 180.0f / kPi},
        {L"180 dgrd", 180.0f * kPi / 180.0f},
        {L"dnor", 0.0f},
    });
}

TEST_F(ExpressionEngineTest, TwoOperandTable) {
    ExpectRows({
        {L"1 2 + 3 *", 9.0f},
        {L"7 2 -", 5.0f},
        {L"7 2 r -", -5.0f},
        {L"7 2 /", 3.5f},
        {L"1 0 /", kInfinity},
        {L"0 0 /", kNaN},
        {L"3 4 min", 3.0f},
        {L"4 3 min", 3.0f},
        {L"3 4 max", 4.0f},
        {L"5 3 4 log +", 5.0f},
        {L"1 2 atn2", ViaDouble(std::atan2(1.0, 2.0))},
        {L"2 10 pow", 1024.0f},
        {L"5 2 div", 2.0f},
        {L"7 /-/ 2 div", -3.0f},
        {L"-5 2 div", 2.0f},
        {L"5 +", 5.0f},
        {L"+", 0.0f},
    });
}

TEST_F(ExpressionEngineTest, ComparisonTable) {
    struct Row {
        const wchar_t* word;
        float less, equal, greater, withNaN;
    };
    const Row rows[] = {
        {L"==", 0, 1, 0, 0},   {L"!=", 1, 0, 1, 1},    {L"&gt;", 0, 0, 1, 0},
        {L"&lt;", 1, 0, 0, 0}, {L"&gt;=", 0, 1, 1, 0}, {L"&lt;=", 1, 1, 0, 0},
    };
    for (const Row& row : rows) {
        std::wstring word = row.word;
        EXPECT_EQ(Run(L"1 2 " + word), row.less) << word;
        EXPECT_EQ(Run(L"2 2 " + word), row.equal) << word;
        EXPECT_EQ(Run(L"2 1 " + word), row.greater) << word;
        EXPECT_EQ(Run(L"0 0 / 1 " + word), row.withNaN) << word;
        EXPECT_EQ(Run(L"1 0 0 / " + word), row.withNaN) << word;
    }
    ExpectRows({
        {L"2 1 &GT;", 1.0f},
        {L"1 2 >", 2.0f},
        {L"1 2 <", 2.0f},
        {L"1 &gt;", 1.0f},
    });
}

// The first matching rule decides; anything unmatched is skipped.
TEST_F(ExpressionEngineTest, TokensAreClassifiedInOrder) {
    ExpectRows({
        {L"007", 7.0f},
        {L"16777217", 16777216.0f},
        {L"1  ", 0.0f},  // the empty token is a number: 0
        {L"2  *", 0.0f}, // 2 * 0
        {L"0.5", 0.0f},
        {L"30 /-/", -30.0f},
        {L"2 SQRT", ViaDouble(std::sqrt(2.0))},
        {L"3 1\t2 +", 3.0f},
        {L"1 IF{ 10 }", 10.0f},
        {L"0 if{ 10 } ELS{ 20 }", 20.0f},
        {L"5 (&gt;G:Ordered) (G:Ordered) +", 10.0f},
        {L"5 (&G:Marked) (G:Marked)", 5.0f},
        {L"4 (G:NeverSet)", 0.0f},
        {L"1 2 3", 3.0f},
        {L"", 0.0f},
        {L"x 1 yes", 1.0f},
    });
    EXPECT_EQ(Evaluate(store, std::wstring_view()), 0.0f);
    CExpressionContext context(store);
    EXPECT_EQ(Evaluate(context, nullptr, 5), 0.0f);
}

TEST_F(ExpressionEngineTest, BlocksRunOnTheirOwnStackAndElseFlag) {
    ExpectRows({
        {L"1 if{ 10 } els{ 20 }", 10.0f},
        {L"0 if{ 10 } els{ 20 }", 20.0f},
        {L"1 /-/ if{ 10 } els{ 20 }", 20.0f},
        {L"els{ 20 }", 20.0f},
        {L"1 if{ 10}", 1.0f},
        {L"1 if{ 1}", 0.0f},
        {L"1 if{}", 0.0f},
        {L"1 if{ }", 0.0f},
        {L"1 if{ 10", 0.0f},
        {L"1 if{{ 10 }", 10.0f},
        {L"if{ 10 }", 0.0f},
        {L"5 if{ (G:X) 1 + }", 1.0f},
        {L"1 if{ 1 if{ 2 if{ 30 } } }", 30.0f},
        // An empty stack leaves the flag as the last "if{" set it.
        {L"0 if{ 10 } c if{ 20 } els{ 30 }", 30.0f},
        // The inner block's flag is its own: the outer "els{" still sees true.
        {L"1 if{ 0 if{ 5 } els{ 6 } } els{ 7 }", 6.0f},
    });
}

TEST_F(ExpressionEngineTest, KnobScriptStopsAtItsLimit) {
    const std::wstring script = L"(G:Var1) 1 - 30 /-/ max d (&gt;G:Var1)";
    EXPECT_EQ(Run(script), -1.0f);
    EXPECT_EQ(store.GetValue(L'G', L"Var1", L""), -1.0f);
    for (int i = 0; i < 39; ++i)
        Run(script);
    EXPECT_EQ(store.GetValue(L'G', L"Var1", L""), -30.0f);
}

TEST_F(ExpressionEngineTest, IntegerConversionsSaturateAndDivisionByZeroGivesZero) {
    ExpectRows({
        {L"1 0 / %", kTwoTo31},
        {L"1 /-/ 0 / %", -kTwoTo31},
        {L"0 0 / %", 0.0f},
        {L"3000000000 %", kTwoTo31},
        {L"3000000000 /-/ %", -kTwoTo31},
        {L"5 0 div", 0.0f},
        {L"5 1 2 / div", 0.0f},
        {L"5 0 0 / div", 0.0f},
        {L"0 0 / 5 div", 0.0f},
        {L"2147483648 /-/ 1 /-/ div", kTwoTo31},
        {L"1 0 / 2 div", 1073741823.0f},
        {L"6000000000 /-/ 3 div", static_cast<float>(-715827882)},
    });
}

TEST_F(ExpressionEngineTest, NormalizingEndsForEveryValue) {
    ExpectRows({
        {L"1 0 / dnor", kInfinity},
        {L"1 0 / /-/ d360", -kInfinity},
        {L"0 0 / rdeg", kNaN},
        {L"1 0 / rnor", kInfinity},
        // Within a few thousand periods: the loop's own float steps.
        {L"100 rnor", 5.752211093902588f},
        {L"1474560 dnor", 360.0f},
        // Beyond: the exact remainder, a whole number of periods above zero staying a period.
        {L"1474920 dnor", 360.0f},
        {L"100000000000 dnor", 32.0f},
        {L"100000000000 /-/ d360", 328.0f},
        {L"386547056640 rdeg", 360.0f},
        {L"386547056640 /-/ dnor", 0.0f},
        {L"100000000000 rnor", 2.2069950103759766f},
    });
}

// Texts cut from fragments of the language at random (fixed seed): every one evaluates and
// registers in bounded time without faulting, however unbalanced or long.
TEST_F(ExpressionEngineTest, AnyTextEvaluates) {
    const std::wstring fragments[] = {
        L" ",     L"  ",    L"(",      L")",       L"{",    L"}",
        L"if{ ",  L"els{ ", L"(A:",    L"(&gt;G:", L"(G:",  L",",
        L"knots", L"Var1",  L"1",      L"0",       L"360",  L"99999999999999999999",
        L"/",     L"div",   L"%",      L"dnor",    L"rnor", L"d360",
        L"/-/",   L"d",     L"r",      L"c",       L"b",    L"pi",
        L"&gt;",  L"\t",    L"-",      L"*",       L"pow",  L"sqrt",
        L"ln",    L"max",   L"\u00C4", L":"};
    std::mt19937 random(20240611);
    std::uniform_int_distribution<size_t> pick(0, std::size(fragments) - 1);
    std::uniform_int_distribution<int> count(0, 160);
    for (int i = 0; i < 3000; ++i) {
        std::wstring text;
        for (int n = count(random); n > 0; --n)
            text += fragments[pick(random)];
        Evaluate(store, text);
        store.RegisterExpression(text);
    }
}

} // namespace
