#include "pages/gauge/expression/OperatorTables.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace {

// Every table word is ASCII and at most five characters long, so a word packs into one integer:
// its length, then its characters with A-Z folded. Anything else packs to 0, which no word is.
constexpr size_t kMaxWordLength = 5;

constexpr std::uint64_t PackWord(std::wstring_view word) {
    if (word.empty() || word.size() > kMaxWordLength)
        return 0;
    std::uint64_t key = word.size();
    for (size_t i = 0; i < word.size(); ++i) {
        unsigned code = static_cast<unsigned short>(word[i]);
        if (code > 0x7F)
            return 0;
        if (code >= 'A' && code <= 'Z')
            code += 'a' - 'A';
        key |= static_cast<std::uint64_t>(code) << (8 * (i + 1));
    }
    return key;
}

struct WordEntry {
    std::wstring_view word;
    TableWord meaning;
};

constexpr WordEntry Constant(std::wstring_view word, Operation operation) {
    return {word, {TokenKind::Constant, operation}};
}
constexpr WordEntry Function(std::wstring_view word, Operation operation) {
    return {word, {TokenKind::Function, operation}};
}
constexpr WordEntry Operator(std::wstring_view word, Operation operation) {
    return {word, {TokenKind::Operator, operation}};
}
constexpr WordEntry Comparison(std::wstring_view word, Operation operation) {
    return {word, {TokenKind::Comparison, operation}};
}

using enum Operation;

constexpr WordEntry kWords[] = {
    Constant(L"pi", Pi),
    Constant(L"b", DropTop),
    Constant(L"c", ClearStack),

    Function(L"/-/", Negate),
    Function(L"++", Increment),
    Function(L"--", Decrement),
    Function(L"%", TruncateToInteger),
    Function(L"abs", Absolute),
    Function(L"flr", Floor),
    Function(L"cos", Cosine),
    Function(L"lg", NaturalLog),
    Function(L"sin", Sine),
    Function(L"acos", ArcCosine),
    Function(L"ctg", Unchanged),
    Function(L"ln", NaturalLog),
    Function(L"sqr", Square),
    Function(L"asin", ArcSine),
    Function(L"eps", Unchanged),
    Function(L"sqrt", SquareRoot),
    Function(L"exp", Exponential),
    Function(L"tg", Tangent),
    Function(L"atg", ArcTangent),
    Function(L"d", Duplicate),
    Function(L"p", Discard),
    Function(L"ceil", Ceiling),
    Function(L"near", Unchanged),
    Function(L"dnor", NormalizeDegrees),
    Function(L"d360", NormalizeDegrees),
    Function(L"rdeg", NormalizeDegrees),
    Function(L"rddg", RadiansToDegrees),
    Function(L"dgrd", DegreesToRadians),
    Function(L"rnor", NormalizeRadians),

    Operator(L"+", Add),
    Operator(L"-", Subtract),
    Operator(L"*", Multiply),
    Operator(L"/", Divide),
    Operator(L"min", Minimum),
    Operator(L"max", Maximum),
    Operator(L"log", ConsumeToZero),
    Operator(L"atn2", ArcTangent2),
    Operator(L"pow", Power),
    Operator(L"div", IntegerDivide),
    Operator(L"r", Swap),

    Comparison(L"==", Equal),
    Comparison(L"!=", NotEqual),
    Comparison(L"&gt;", Greater),
    Comparison(L"&lt;", Less),
    Comparison(L"&gt;=", GreaterOrEqual),
    Comparison(L"&lt;=", LessOrEqual),
};

struct PackedEntry {
    std::uint64_t key;
    TableWord meaning;
};

constexpr auto kPackedWords = [] {
    std::array<PackedEntry, std::size(kWords)> packed{};
    for (size_t i = 0; i < packed.size(); ++i)
        packed[i] = {PackWord(kWords[i].word), kWords[i].meaning};
    std::sort(packed.begin(), packed.end(),
              [](const PackedEntry& a, const PackedEntry& b) { return a.key < b.key; });
    return packed;
}();

static_assert(std::adjacent_find(kPackedWords.begin(), kPackedWords.end(),
                                 [](const PackedEntry& a, const PackedEntry& b) {
                                     return a.key == b.key;
                                 }) == kPackedWords.end(),
              "every table word is spelled once");

template <typename Function> float Widened(float x, Function function) {
    return static_cast<float>(function(static_cast<double>(x)));
}

// Steps of repeated subtraction or addition taken before the exact remainder is used instead.
constexpr float kMaxNormalizeSteps = 4096.0f;

} // namespace

std::optional<TableWord> FindTableWord(std::wstring_view token) {
    std::uint64_t key = PackWord(token);
    if (key == 0)
        return std::nullopt;
    auto found = std::lower_bound(
        kPackedWords.begin(), kPackedWords.end(), key,
        [](const PackedEntry& entry, std::uint64_t wanted) { return entry.key < wanted; });
    if (found == kPackedWords.end() || found->key != key)
        return std::nullopt;
    return found->meaning;
}

std::int32_t SaturatingTruncate(float x) {
    constexpr float kTwoTo31 = 2147483648.0f;
    if (std::isnan(x))
        return 0;
    if (x >= kTwoTo31)
        return std::numeric_limits<std::int32_t>::max();
    if (x <= -kTwoTo31)
        return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(x);
}

float NormalizePeriodic(float x, float period) {
    if (!std::isfinite(x))
        return x;
    if (std::fabs(x) <= period * kMaxNormalizeSteps) {
        while (x > period)
            x -= period;
        while (x < 0.0f)
            x += period;
        return x;
    }
    // Far out: both values are exact in double, and so is fmod.
    double remainder = std::fmod(static_cast<double>(x), static_cast<double>(period));
    if (x > 0.0f)
        return remainder == 0.0 ? period : static_cast<float>(remainder);
    return remainder == 0.0 ? 0.0f : static_cast<float>(remainder + static_cast<double>(period));
}

float ApplyFunction(Operation operation, float x) {
    switch (operation) {
    case Negate:
        return -x;
    case Increment:
        return x + 1.0f;
    case Decrement:
        return x - 1.0f;
    case TruncateToInteger:
        return static_cast<float>(SaturatingTruncate(x));
    case Absolute:
        return std::fabs(x);
    case Floor:
        return std::floor(x);
    case Ceiling:
        return std::ceil(x);
    case Cosine:
        return Widened(x, [](double v) { return std::cos(v); });
    case Sine:
        return Widened(x, [](double v) { return std::sin(v); });
    case Tangent:
        return Widened(x, [](double v) { return std::tan(v); });
    case ArcCosine:
        return Widened(x, [](double v) { return std::acos(v); });
    case ArcSine:
        return Widened(x, [](double v) { return std::asin(v); });
    case ArcTangent:
        return Widened(x, [](double v) { return std::atan(v); });
    case NaturalLog:
        return Widened(x, [](double v) { return std::log(v); });
    case Exponential:
        return Widened(x, [](double v) { return std::exp(v); });
    case Square:
        return x * x;
    case SquareRoot:
        return Widened(x, [](double v) { return std::sqrt(v); });
    case NormalizeDegrees:
        return NormalizePeriodic(x, 360.0f);
    case NormalizeRadians:
        return NormalizePeriodic(x, kTwoPi);
    case RadiansToDegrees:
        return x * 180.0f / kPi;
    case DegreesToRadians:
        return x * kPi / 180.0f;
    default:
        return x;
    }
}

float ApplyOperator(Operation operation, float a, float b) {
    switch (operation) {
    case Add:
        return a + b;
    case Subtract:
        return a - b;
    case Multiply:
        return a * b;
    case Divide:
        return a / b;
    case Minimum:
        return a < b ? a : b;
    case Maximum:
        return a > b ? a : b;
    case ConsumeToZero:
        return 0.0f;
    case ArcTangent2:
        return static_cast<float>(std::atan2(static_cast<double>(a), static_cast<double>(b)));
    case Power:
        return static_cast<float>(std::pow(static_cast<double>(a), static_cast<double>(b)));
    case IntegerDivide: {
        std::int64_t divisor = SaturatingTruncate(b);
        if (divisor == 0)
            return 0.0f;
        // In 64 bits the one overflowing quotient, the smallest integer by -1, is exact; it
        // saturates like every other conversion.
        std::int64_t quotient = SaturatingTruncate(a) / divisor;
        return static_cast<float>(
            std::min<std::int64_t>(quotient, std::numeric_limits<std::int32_t>::max()));
    }
    default:
        return 0.0f;
    }
}

bool ApplyComparison(Operation operation, float a, float b) {
    switch (operation) {
    case Equal:
        return a == b;
    case NotEqual:
        return a != b;
    case Greater:
        return a > b;
    case Less:
        return a < b;
    case GreaterOrEqual:
        return a >= b;
    case LessOrEqual:
        return a <= b;
    default:
        return false;
    }
}
