#pragma once
// What one evaluation runs in: the store it reads and assigns, and the outcome of its last
// "if{" that an "els{" consults. Every evaluation, a nested block's included, has its own.

#include "pages/gauge/expression/OperatorTables.h"

#include <span>
#include <string_view>

class GaugeVariables;

// Watches an evaluation token by token, for tools that show a gauge's author what an expression
// does; the gauge pages evaluate without one.
class IEvaluationObserver {
public:
    // After each token: the token, its kind and the stack it left (bottom first). `depth` counts
    // the "if{" and "els{" blocks the token lies in.
    virtual void OnToken(std::wstring_view token, TokenKind kind, std::span<const float> stack,
                         int depth) = 0;

protected:
    ~IEvaluationObserver() = default;
};

class CExpressionContext {
public:
    explicit CExpressionContext(GaugeVariables& store, IEvaluationObserver* observer = nullptr,
                                int depth = 0)
        : m_store(&store), m_observer(observer), m_depth(depth) {}

    GaugeVariables& Store() const { return *m_store; }
    bool ElseFlag() const { return m_elseFlag; }
    void SetElseFlag(bool value) { m_elseFlag = value; }
    IEvaluationObserver* Observer() const { return m_observer; }
    int Depth() const { return m_depth; }

private:
    GaugeVariables* m_store;
    IEvaluationObserver* m_observer;
    int m_depth;
    bool m_elseFlag = false;
};
