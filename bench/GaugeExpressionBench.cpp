#include "bench/GaugeExpressionBench.h"

#include "bench/BenchTable.h"
#include "bench/Sampler.h"
#include "pages/gauge/expression/ExpressionEngine.h"
#include "pages/gauge/expression/ExpressionScanner.h"
#include "pages/gauge/expression/GaugeVariables.h"

#include <string>

namespace {

struct BenchExpression {
    const char* label;
    const wchar_t* text;
    bool registered; // rotation and shift expressions are; visibility and scripts are not
};

// The built-in gauge's needle, dial and knob scripts, then a script of 30 tokens mixing
// simulator and local variables, an assignment and most kinds of operation.
const BenchExpression kExpressions[] = {
    {"built-in TAS ring and inHg strip", L"(G:Var1) dgrd 2 * ", true},
    {"built-in needle", L"(A:Airspeed select indicated or true,knots)", true},
    {"built-in knob", L"(G:Var1) dgrd ", true},
    {"built-in up script", L"(G:Var1) 1 - 30 /-/ max d (&gt;G:Var1)", false},
    {"built-in down script", L"(G:Var1) 1 + 30 min d (&gt;G:Var1)", false},
    {"script of 30 tokens",
     L"(A:Airspeed select indicated or true,knots) 40 - 0 max 180 * 220 / (G:Var1) dgrd sin 10 "
     L"* + 360 dnor d (&gt;G:Needle) 2 div 3 % (A:Heading,degrees) r - abs flr 1 +",
     true},
};

// Enough evaluations that one sample handles about this many tokens.
constexpr double kTokensPerSample = 200000.0;

size_t CountTokens(const std::wstring& text) {
    ExpressionScanner scanner(text.data(), text.size());
    std::wstring_view token;
    size_t count = 0;
    while (scanner.Next(token))
        ++count;
    return count;
}

volatile float g_sink;
volatile size_t g_lengthSink;

} // namespace

void AddGaugeExpressionRows(BenchTable& table, const Sampler& sampler) {
    CSimConnectLibrary noSimulator(L"DravikBench-NoSimulator.dll");
    GaugeVariables store(noSimulator);
    for (const BenchExpression& expression : kExpressions)
        if (expression.registered)
            store.RegisterExpression(expression.text);
    for (float& value : store.ReceivedValues())
        value = 123.0f;
    store.CopyReceivedToCurrent();

    for (const BenchExpression& expression : kExpressions) {
        const std::wstring text = expression.text;
        const size_t tokens = CountTokens(text);
        const int evaluations = static_cast<int>(kTokensPerSample / static_cast<double>(tokens));
        const double unitsPerSample =
            static_cast<double>(evaluations) * static_cast<double>(tokens);

        Timing engine = sampler.Measure(
            [&] {
                float sum = 0.0f;
                for (int i = 0; i < evaluations; ++i)
                    sum += Evaluate(store, text);
                g_sink = sum;
            },
            unitsPerSample);
        Timing scanOnly = sampler.Measure(
            [&] {
                size_t length = 0;
                for (int i = 0; i < evaluations; ++i) {
                    ExpressionScanner scanner(text.data(), text.size());
                    std::wstring_view token;
                    while (scanner.Next(token))
                        length += token.size();
                }
                g_lengthSink = length;
            },
            unitsPerSample);

        table.Add({std::string("expression: ") + expression.label + " (" + std::to_string(tokens) +
                       (tokens == 1 ? " token)" : " tokens)"),
                   "ns/token", engine, scanOnly, "scanning the same text into tokens"});
    }
}
