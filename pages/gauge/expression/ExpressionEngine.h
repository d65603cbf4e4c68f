#pragma once
// The gauge expression engine: reverse-Polish expressions run straight from their text, token by
// token, on a stack of 32-bit floats. Evaluation never fails: what it does not understand it
// skips, and it allocates nothing per token.

#include "pages/gauge/expression/ExpressionContext.h"

#include <cstddef>
#include <string_view>

class GaugeVariables;

// The top of the stack when the text is used up, or 0 when the stack is then empty (also for a
// null text).
float Evaluate(CExpressionContext& context, const wchar_t* text, size_t length);

// Runs the expression in a new context on the store.
float Evaluate(GaugeVariables& store, std::wstring_view expression);

// Adds every variable the expression reads, blocks included whatever their condition, to the
// store; assignments are passed over.
void RegisterVariables(GaugeVariables& store, const wchar_t* text, size_t length);
