#pragma once
// What the expression engine makes of an expression, told to the gauge's author: the variables it
// registers, reads and assigns, and every token it will ignore, with a hint at what was meant.

#include "pages/gauge/expression/ExpressionContext.h"

#include <string>
#include <string_view>
#include <vector>

class GaugeVariables;
class ToolStream;

enum class ExpressionRole {
    Drawing,    // shift and rotation: the expression's variables are registered when it is read
    Visibility, // read at every frame, registers nothing
    Script,     // a mouse action's script, run when its input is pressed; registers nothing
};

struct ExpressionLine {
    std::wstring text;
    bool warning = false;
};

// One line per variable (once each) and per token worth a word, in the order of the tokens.
std::vector<ExpressionLine> DescribeExpression(std::wstring_view expression, ExpressionRole role,
                                               const GaugeVariables& store);

// Why a token the engine ignores was probably written, and how to write it instead.
std::wstring IgnoredTokenHint(std::wstring_view token);

// The engine's name for a kind of token: "number", "variable", ...
const wchar_t* TokenKindName(TokenKind kind);

// Prints a row per token with the stack it leaves, block tokens indented under their "if{" or
// "els{".
class CStackPrinter : public IEvaluationObserver {
public:
    explicit CStackPrinter(ToolStream& stream) : m_stream(stream) {}
    virtual ~CStackPrinter() = default;

    void OnToken(std::wstring_view token, TokenKind kind, std::span<const float> stack,
                 int depth) override;

private:
    ToolStream& m_stream;
};
