#pragma once
// Key orders of the gauge variable maps. Keys compare with the letters A-Z folded to a-z and
// every other character by its 16-bit code, so "(G:Speed)" and "(G:SPEED)" name one variable.
// Both orders are transparent: lookups take views of the expression text and allocate nothing.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

inline unsigned FoldedCode(wchar_t ch) {
    unsigned code = static_cast<unsigned short>(ch);
    return code - L'A' < 26u ? code + (L'a' - L'A') : code;
}

// Negative, zero or positive as a orders before, with or after b.
inline int CompareFolded(std::wstring_view a, std::wstring_view b) {
    size_t common = std::min(a.size(), b.size());
    // Keys mostly agree character for character: skip identical runs a machine word at a time.
    constexpr size_t kChunk = sizeof(std::uint64_t) / sizeof(wchar_t);
    size_t i = 0;
    for (; i + kChunk <= common; i += kChunk) {
        std::uint64_t x;
        std::uint64_t y;
        std::memcpy(&x, a.data() + i, sizeof(x));
        std::memcpy(&y, b.data() + i, sizeof(y));
        if (x != y)
            break;
    }
    for (; i < common; ++i) {
        if (a[i] == b[i])
            continue;
        unsigned x = FoldedCode(a[i]);
        unsigned y = FoldedCode(b[i]);
        if (x != y)
            return x < y ? -1 : 1;
    }
    return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

struct FoldedLess {
    using is_transparent = void;
    bool operator()(std::wstring_view a, std::wstring_view b) const {
        return CompareFolded(a, b) < 0;
    }
};

// A simulator variable's key is its name, a comma and its units name: "Airspeed select
// indicated or true,knots". A lookup names the two parts without joining them.
struct SimulatorKey {
    std::wstring_view name;
    std::wstring_view units;

    std::wstring Joined() const {
        std::wstring key;
        key.reserve(name.size() + 1 + units.size());
        key.append(name).append(1, L',').append(units);
        return key;
    }

    // Compares the joined key with a stored one, part by part.
    int CompareWith(std::wstring_view stored) const {
        std::wstring_view storedName = stored.substr(0, std::min(name.size(), stored.size()));
        if (int order = CompareFolded(name.substr(0, storedName.size()), storedName))
            return order;
        if (stored.size() <= name.size())
            return 1; // the stored key ends within the name part: it is the shorter one
        unsigned separator = FoldedCode(stored[name.size()]);
        if (separator != L',')
            return L',' < separator ? -1 : 1;
        return CompareFolded(units, stored.substr(name.size() + 1));
    }
};

struct SimulatorKeyLess {
    using is_transparent = void;
    bool operator()(const std::wstring& a, const std::wstring& b) const {
        return CompareFolded(a, b) < 0;
    }
    bool operator()(const SimulatorKey& a, const std::wstring& b) const {
        return a.CompareWith(b) < 0;
    }
    bool operator()(const std::wstring& a, const SimulatorKey& b) const {
        return b.CompareWith(a) > 0;
    }
};
