#pragma once
// What one source pixel does to one pixel of a layer or of the output. Inline, so that the row
// loops around them compile to straight code.

#include <cstdint>

namespace PixelOps {

constexpr std::uint32_t ColourBits = 0x00FFFFFF;
constexpr std::uint32_t FullCoverage = 0xFF000000;

// x / 255 rounded to the nearest integer, for x up to 255 · 255.
constexpr std::uint32_t Div255(std::uint32_t x) noexcept {
    return (x + 127) / 255;
}

// Layer pixels hold premultiplied colour in the low three bytes and coverage in the fourth; the
// colour never exceeds the coverage. A black pixel without coverage is the layer's "black": the
// output shows through it.

// A transparent copy onto the layer: whatever colour is copied is opaque, except black, which is
// the layer's transparent colour.
inline void KeyedOntoLayer(std::uint32_t& layer, std::uint32_t source, std::uint32_t key) noexcept {
    const std::uint32_t colour = source & ColourBits;
    if (colour == key)
        return;
    layer = colour == 0 ? 0 : colour | FullCoverage;
}

// Straight alpha over the layer's premultiplied pixel.
inline void AlphaOntoLayer(std::uint32_t& layer, std::uint32_t source) noexcept {
    const std::uint32_t alpha = source >> 24;
    if (alpha == 0)
        return;
    if (alpha == 255) {
        layer = source;
        return;
    }
    const std::uint32_t rest = 255 - alpha;
    std::uint32_t result = (alpha + Div255((layer >> 24) * rest)) << 24;
    for (int shift = 0; shift < 24; shift += 8) {
        const std::uint32_t channel =
            Div255(((source >> shift) & 0xFF) * alpha) + Div255(((layer >> shift) & 0xFF) * rest);
        result |= channel << shift;
    }
    layer = result;
}

// Output pixels are three bytes: blue, green, red.
inline void WriteColour(std::uint8_t* output, std::uint32_t colour) noexcept {
    output[0] = static_cast<std::uint8_t>(colour);
    output[1] = static_cast<std::uint8_t>(colour >> 8);
    output[2] = static_cast<std::uint8_t>(colour >> 16);
}

inline void KeyedOntoOutput(std::uint8_t* output, std::uint32_t source,
                            std::uint32_t key) noexcept {
    const std::uint32_t colour = source & ColourBits;
    if (colour != key)
        WriteColour(output, colour);
}

inline void AlphaOntoOutput(std::uint8_t* output, std::uint32_t source) noexcept {
    const std::uint32_t alpha = source >> 24;
    if (alpha == 0)
        return;
    if (alpha == 255) {
        WriteColour(output, source);
        return;
    }
    const std::uint32_t rest = 255 - alpha;
    for (int i = 0; i < 3; ++i) {
        const std::uint32_t channel = (source >> (8 * i)) & 0xFF;
        output[i] = static_cast<std::uint8_t>(Div255(channel * alpha + output[i] * rest));
    }
}

// A layer pixel over the output: uncovered pixels leave it, fully covered ones replace it.
inline void LayerOntoOutput(std::uint8_t* output, std::uint32_t layer) noexcept {
    const std::uint32_t coverage = layer >> 24;
    if (coverage == 0)
        return;
    if (coverage == 255) {
        WriteColour(output, layer);
        return;
    }
    const std::uint32_t rest = 255 - coverage;
    for (int i = 0; i < 3; ++i) {
        const std::uint32_t channel = (layer >> (8 * i)) & 0xFF;
        output[i] = static_cast<std::uint8_t>(channel + Div255(output[i] * rest));
    }
}

} // namespace PixelOps
