#pragma once
// How the pixels of a bitmap go onto a layer or the output.

#include <windows.h>

#include <cstdint>

// Either a transparent copy, in which every pixel of the key colour is left out and every other
// pixel replaces what is there, or a blend of each pixel with its own straight alpha.
class DrawMode {
public:
    static DrawMode KeyColour(COLORREF key) noexcept {
        return DrawMode(false, (static_cast<std::uint32_t>(GetRValue(key)) << 16) |
                                   (static_cast<std::uint32_t>(GetGValue(key)) << 8) |
                                   GetBValue(key));
    }
    static DrawMode Alpha() noexcept { return DrawMode(true, 0); }

    bool IsAlpha() const noexcept { return m_alpha; }
    // The key colour in the pixels' own layout (red, green, blue from the high byte down).
    std::uint32_t Key() const noexcept { return m_key; }

private:
    DrawMode(bool alpha, std::uint32_t key) noexcept : m_alpha(alpha), m_key(key) {}

    bool m_alpha;
    std::uint32_t m_key;
};
