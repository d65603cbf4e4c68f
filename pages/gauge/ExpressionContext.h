#pragma once
// What one evaluation runs in: the store it reads and assigns, and the outcome of its last
// "if{" that an "els{" consults. Every evaluation, a nested block's included, has its own.

class GaugeVariables;

class CExpressionContext {
public:
    explicit CExpressionContext(GaugeVariables& store) : m_store(&store) {}

    GaugeVariables& Store() const { return *m_store; }
    bool ElseFlag() const { return m_elseFlag; }
    void SetElseFlag(bool value) { m_elseFlag = value; }

private:
    GaugeVariables* m_store;
    bool m_elseFlag = false;
};
