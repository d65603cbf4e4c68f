#pragma once
// The images the gauge tool's tests compare: PNG files decoded through the Windows Imaging
// Component, and the renderer's frames drawn in this process.

#include "pages/gauge/model/GaugeRenderer.h"
#include "pages/gauge/expression/GaugeVariables.h"

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

// Rows top-down, 3 bytes a pixel in blue, green, red order.
struct DecodedImage {
    int width = 0;
    int height = 0;
    std::vector<BYTE> pixels;

    const BYTE* At(int x, int y) const {
        return pixels.data() + (static_cast<size_t>(y) * width + x) * 3;
    }
};

// Empty when the file is no image the decoder reads.
std::optional<DecodedImage> DecodePng(const std::wstring& path);

// A value as the page's simulator data or a script would give it.
struct GaugeValue {
    wchar_t letter;
    std::wstring name;
    std::wstring units;
    float value;
};

using GaugeLoader = std::function<void(CGaugeRenderer&, GaugeVariables&)>;

// The panel's 230400 bytes (rows bottom-up) for the gauge `load` fills, drawn as the page's
// render loop draws it with `values` current, after `before` (presses) has run.
std::vector<BYTE> ReferenceFrame(const GaugeLoader& load, const std::vector<GaugeValue>& values,
                                 const GaugeLoader& before = {});

// "" when the decoded image is the panel's frame pixel for pixel, else where they first differ.
std::string CompareWithFrame(const DecodedImage& image, const std::vector<BYTE>& frame,
                             int left = 0, int top = 0);
