#include "tools/gauge/ContactSheet.h"

#include "common/UniqueHandle.h"
#include "pages/gauge/render/CRenderSurface.h"

#include <cmath>
#include <cstring>

namespace {

constexpr int kFrameWidth = CRenderSurface::Width;
constexpr int kFrameHeight = CRenderSurface::Height;
constexpr int kCellHeight = kFrameHeight + ContactSheet::kCaptionHeight;

// The caption, white and centred on the sheet's background, drawn by GDI into a strip as wide as
// a frame.
RgbImage Caption(const std::wstring& text) {
    RgbImage strip(kFrameWidth, ContactSheet::kCaptionHeight, ContactSheet::kBackground);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = strip.Width();
    info.bmiHeader.biHeight = -strip.Height(); // top-down, as the strip
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    const UniqueMemoryDC dc(CreateCompatibleDC(nullptr));
    void* bits = nullptr;
    const UniqueGdiObject<HBITMAP> section(
        CreateDIBSection(dc.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!dc || !section)
        return strip;
    // Rows of a 24-bit section are padded to four bytes; a frame's width needs no padding.
    static_assert(kFrameWidth * 3 % 4 == 0);
    std::memcpy(bits, strip.Pixels().data(), strip.Pixels().size());
    {
        const UniqueSelection selected = SelectInto(dc.get(), section.get());
        const UniqueGdiObject<HFONT> font(CreateFontW(
            16, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
            CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, L"Arial"));
        const UniqueSelection fontSelected = SelectInto(dc.get(), font.get());
        SetBkMode(dc.get(), TRANSPARENT);
        SetTextColor(dc.get(), RGB(255, 255, 255));
        RECT rect{0, 0, strip.Width(), strip.Height()};
        DrawTextW(dc.get(), text.c_str(), static_cast<int>(text.size()), &rect,
                  DT_SINGLELINE | DT_VCENTER | DT_CENTER | DT_END_ELLIPSIS);
        GdiFlush();
    }
    std::memcpy(strip.Row(0), bits, strip.Pixels().size());
    return strip;
}

} // namespace

ContactSheet::ContactSheet(int frames)
    : m_columns(Columns(frames)), m_sheet(SheetSize(frames).cx, SheetSize(frames).cy, kBackground) {
}

int ContactSheet::Columns(int frames) {
    return static_cast<int>(std::ceil(std::sqrt(static_cast<double>(frames))));
}

SIZE ContactSheet::SheetSize(int frames) {
    const int columns = Columns(frames);
    const int rows = (frames + columns - 1) / columns;
    return SIZE{columns * kFrameWidth + (columns + 1) * kGap,
                rows * kCellHeight + (rows + 1) * kGap};
}

void ContactSheet::Place(int index, const RgbImage& frame, const std::wstring& caption) {
    const int x = kGap + index % m_columns * (kFrameWidth + kGap);
    const int y = kGap + index / m_columns * (kCellHeight + kGap);
    m_sheet.Paste(frame, x, y);
    m_sheet.Paste(Caption(caption), x, y + kFrameHeight);
}
