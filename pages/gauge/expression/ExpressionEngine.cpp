#include "pages/gauge/expression/ExpressionEngine.h"

#include "pages/gauge/expression/ExpressionScanner.h"
#include "pages/gauge/expression/ExpressionToken.h"
#include "pages/gauge/expression/GaugeVariables.h"
#include "pages/gauge/expression/OperandStack.h"
#include "pages/gauge/expression/TokenWalk.h"

namespace {

// A block runs in a context of its own on the same store, with a fresh stack.
float EvaluateBlock(CExpressionContext& context, std::wstring_view token) {
    std::wstring_view block = BlockText(token);
    CExpressionContext inner(context.Store(), context.Observer(), context.Depth() + 1);
    return Evaluate(inner, block.data(), block.size());
}

void RunConstant(Operation operation, OperandStack& stack) {
    if (operation == Operation::Pi)
        stack.Push(kPi);
    else if (operation == Operation::ClearStack)
        stack.Clear();
    else if (!stack.Empty())
        stack.Pop();
}

void RunFunction(Operation operation, OperandStack& stack) {
    if (stack.Empty())
        return;
    float x = stack.Pop();
    if (operation == Operation::Discard)
        return;
    if (operation == Operation::Duplicate) {
        stack.Push(x);
        stack.Push(x);
        return;
    }
    stack.Push(ApplyFunction(operation, x));
}

void RunOperator(TokenKind kind, Operation operation, OperandStack& stack) {
    if (stack.Size() < 2)
        return;
    float b = stack.Pop();
    float a = stack.Pop();
    if (kind == TokenKind::Comparison) {
        stack.Push(ApplyComparison(operation, a, b) ? 1.0f : 0.0f);
    } else if (operation == Operation::Swap) {
        stack.Push(b);
        stack.Push(a);
    } else {
        stack.Push(ApplyOperator(operation, a, b));
    }
}

void RunToken(CExpressionContext& context, OperandStack& stack, std::wstring_view token,
              ClassifiedToken classified) {
    switch (classified.kind) {
    case TokenKind::Number:
        stack.Push(NumberValue(token));
        break;
    case TokenKind::Constant:
        RunConstant(classified.operation, stack);
        break;
    case TokenKind::Function:
        RunFunction(classified.operation, stack);
        break;
    case TokenKind::Operator:
    case TokenKind::Comparison:
        RunOperator(classified.kind, classified.operation, stack);
        break;
    case TokenKind::Variable: {
        VariableReference variable = ParseVariableToken(token);
        stack.Push(context.Store().GetValue(variable.letter, variable.name, variable.units));
        break;
    }
    case TokenKind::Assignment:
        if (!stack.Empty()) {
            VariableReference variable = ParseVariableToken(token);
            context.Store().SetValue(variable.letter, variable.name, variable.units, stack.Top());
        }
        break;
    case TokenKind::If:
        if (!stack.Empty()) {
            context.SetElseFlag(stack.Pop() > 0.0f);
            if (context.ElseFlag())
                stack.Push(EvaluateBlock(context, token));
        }
        break;
    case TokenKind::Else:
        if (!context.ElseFlag())
            stack.Push(EvaluateBlock(context, token));
        break;
    case TokenKind::Ignored:
        break;
    }
}

} // namespace

float Evaluate(CExpressionContext& context, const wchar_t* text, size_t length) {
    if (!text)
        return 0.0f;
    OperandStack stack;
    ExpressionScanner scanner(text, length);
    std::wstring_view token;
    while (scanner.Next(token)) {
        const ClassifiedToken classified = ClassifyToken(token);
        RunToken(context, stack, token, classified);
        if (IEvaluationObserver* observer = context.Observer())
            observer->OnToken(token, classified.kind, stack.Values(), context.Depth());
    }
    return stack.Empty() ? 0.0f : stack.Top();
}

float Evaluate(GaugeVariables& store, std::wstring_view expression) {
    CExpressionContext context(store);
    return Evaluate(context, expression.data(), expression.size());
}

void RegisterVariables(GaugeVariables& store, const wchar_t* text, size_t length) {
    auto registerVariable = [&store](std::wstring_view token, ClassifiedToken classified, int) {
        if (classified.kind != TokenKind::Variable)
            return;
        const VariableReference variable = ParseVariableToken(token);
        store.AddVariable(variable.letter, variable.name, variable.units);
    };
    WalkTokens(text, length, registerVariable);
}
