#pragma once
// The sweep's one image: the panel's frames in rows, each with a caption under it.

#include "tools/gauge/ImageFiles.h"

#include <string>

class ContactSheet {
public:
    static constexpr int kGap = 8;            // around and between the frames
    static constexpr int kCaptionHeight = 24; // under each frame
    static constexpr COLORREF kBackground = RGB(48, 48, 48);

    // Room for `frames` frames of 320 × 240, in as many columns as the square root of the count,
    // rounded up.
    explicit ContactSheet(int frames);

    static int Columns(int frames);
    static SIZE SheetSize(int frames);

    // Frame `index` (counted left to right, then top down) with its caption.
    void Place(int index, const RgbImage& frame, const std::wstring& caption);
    const RgbImage& Image() const { return m_sheet; }

private:
    int m_columns;
    RgbImage m_sheet;
};
