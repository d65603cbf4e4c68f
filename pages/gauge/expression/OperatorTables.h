#pragma once
// The words of the expression language that name constants, one-operand functions,
// two-operand operators and comparisons, and the arithmetic behind them. Numbers are 32-bit
// floats; a standard math function runs on the value widened to double and rounds back.

#include <bit>
#include <cstdint>
#include <optional>
#include <string_view>

inline constexpr float kPi = std::bit_cast<float>(0x40490FDBu);    // 3.1415927
inline constexpr float kTwoPi = std::bit_cast<float>(0x40C90FDBu); // 6.2831855

enum class TokenKind : std::uint8_t {
    Number,
    Constant,
    Function,
    Operator,
    Comparison,
    If,
    Else,
    Assignment,
    Variable,
    Ignored,
};

enum class Operation : std::uint8_t {
    None,
    // constants
    Pi,
    DropTop,
    ClearStack,
    // one operand
    Negate,
    Increment,
    Decrement,
    TruncateToInteger,
    Absolute,
    Floor,
    Ceiling,
    Cosine,
    Sine,
    Tangent,
    ArcCosine,
    ArcSine,
    ArcTangent,
    NaturalLog,
    Exponential,
    Square,
    SquareRoot,
    Unchanged,
    Duplicate,
    Discard,
    NormalizeDegrees,
    NormalizeRadians,
    RadiansToDegrees,
    DegreesToRadians,
    // two operands
    Add,
    Subtract,
    Multiply,
    Divide,
    Minimum,
    Maximum,
    ConsumeToZero,
    ArcTangent2,
    Power,
    IntegerDivide,
    Swap,
    // comparisons
    Equal,
    NotEqual,
    Greater,
    Less,
    GreaterOrEqual,
    LessOrEqual,
};

struct TableWord {
    TokenKind kind;
    Operation operation;
};

// The table word the token spells, case ignored.
std::optional<TableWord> FindTableWord(std::wstring_view token);

// One-operand result (not for Duplicate and Discard, which the engine handles).
float ApplyFunction(Operation operation, float x);
// Two-operand result, a the second value and b the top (not for Swap).
float ApplyOperator(Operation operation, float a, float b);
// Comparison of a (second) with b (top); with a NaN only "!=" holds.
bool ApplyComparison(Operation operation, float a, float b);

// Truncation toward zero that saturates at the 32-bit range; NaN gives 0.
std::int32_t SaturatingTruncate(float x);

// Brings x into [0, period] by whole periods as repeated subtraction and addition would (a value
// above the period ends in (0, period], so the period itself stays), in bounded time: values
// too far out take the exact remainder instead of thousands of steps, and a value that is not
// finite comes back unchanged.
float NormalizePeriodic(float x, float period);
