#pragma once
// Key orders of the gauge variable maps. Keys compare with the letters A-Z folded to a-z and
// every other character by its 16-bit code, so "(G:Speed)" and "(G:SPEED)" name one variable.
// Both orders are transparent: lookups take views of the expression text and allocate nothing.

#include <cstddef>
#include <string>
#include <string_view>

inline unsigned FoldedCode(wchar_t ch) {
    unsigned code = static_cast<unsigned short>(ch);
    return (code >= L'A' && code <= L'Z') ? code + (L'a' - L'A') : code;
}

// Orders two character sequences given by their length and a function returning the folded
// code of the character at an index.
template <typename CodeA, typename CodeB>
bool FoldedSequenceLess(size_t lengthA, CodeA codeA, size_t lengthB, CodeB codeB) {
    size_t common = lengthA < lengthB ? lengthA : lengthB;
    for (size_t i = 0; i < common; ++i) {
        unsigned a = codeA(i);
        unsigned b = codeB(i);
        if (a != b)
            return a < b;
    }
    return lengthA < lengthB;
}

struct FoldedLess {
    using is_transparent = void;
    bool operator()(std::wstring_view a, std::wstring_view b) const {
        return FoldedSequenceLess(
            a.size(), [a](size_t i) { return FoldedCode(a[i]); }, b.size(),
            [b](size_t i) { return FoldedCode(b[i]); });
    }
};

// A simulator variable's key is its name, a comma and its units name: "Airspeed select
// indicated or true,knots". A lookup names the two parts without joining them.
struct SimulatorKey {
    std::wstring_view name;
    std::wstring_view units;

    size_t size() const { return name.size() + 1 + units.size(); }
    unsigned FoldedAt(size_t i) const {
        if (i < name.size())
            return FoldedCode(name[i]);
        return i == name.size() ? unsigned{L','} : FoldedCode(units[i - name.size() - 1]);
    }
    std::wstring Joined() const {
        std::wstring key;
        key.reserve(size());
        key.append(name).append(1, L',').append(units);
        return key;
    }
};

struct SimulatorKeyLess {
    using is_transparent = void;
    bool operator()(const std::wstring& a, const std::wstring& b) const {
        return FoldedLess{}(a, b);
    }
    bool operator()(const SimulatorKey& a, const std::wstring& b) const {
        return FoldedSequenceLess(
            a.size(), [&a](size_t i) { return a.FoldedAt(i); }, b.size(),
            [&b](size_t i) { return FoldedCode(b[i]); });
    }
    bool operator()(const std::wstring& a, const SimulatorKey& b) const {
        return FoldedSequenceLess(
            a.size(), [&a](size_t i) { return FoldedCode(a[i]); }, b.size(),
            [&b](size_t i) { return b.FoldedAt(i); });
    }
};
