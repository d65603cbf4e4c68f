#pragma once
// The operand stack of one evaluation. It lives in the evaluating function's frame and moves to
// the heap only when an expression pushes more values than common gauges ever hold at once.

#include <algorithm>
#include <array>
#include <cstddef>
#include <span>
#include <vector>

class OperandStack {
public:
    OperandStack() = default;
    OperandStack(const OperandStack&) = delete;
    OperandStack& operator=(const OperandStack&) = delete;

    bool Empty() const { return m_size == 0; }
    size_t Size() const { return m_size; }
    float Top() const { return m_values[m_size - 1]; }
    // Bottom first.
    std::span<const float> Values() const { return {m_values, m_size}; }

    void Push(float value) {
        if (m_size == m_capacity)
            Grow();
        m_values[m_size++] = value;
    }
    float Pop() { return m_values[--m_size]; }
    void Clear() { m_size = 0; }

private:
    static constexpr size_t kInlineCapacity = 32;

    void Grow() {
        std::vector<float> larger(m_capacity * 2);
        std::copy(m_values, m_values + m_size, larger.begin());
        m_spill = std::move(larger);
        m_values = m_spill.data();
        m_capacity = m_spill.size();
    }

    std::array<float, kInlineCapacity> m_inline;
    std::vector<float> m_spill;
    float* m_values = m_inline.data();
    size_t m_size = 0;
    size_t m_capacity = kInlineCapacity;
};
