#include "pages/gauge/model/GaugeBitmap.h"

namespace {

BITMAPINFOHEADER TopDownHeader(LONG width, LONG height) {
    BITMAPINFOHEADER header{};
    header.biSize = sizeof(BITMAPINFOHEADER);
    header.biWidth = width;
    header.biHeight = -height;
    header.biPlanes = 1;
    header.biBitCount = 32;
    header.biCompression = BI_RGB;
    header.biXPelsPerMeter = 3200;
    header.biYPelsPerMeter = 3200;
    return header;
}

} // namespace

CGaugeBitmap::CGaugeBitmap() : m_header(TopDownHeader(0, 0)) {}

bool CGaugeBitmap::Load(const wchar_t* path, float axisX, float axisY, bool alpha) {
    if (m_bitmap || path == nullptr)
        return false;
    m_path = path;
    const UniqueGdiObject<HBITMAP> loaded(
        static_cast<HBITMAP>(LoadImageW(nullptr, path, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE)));
    BITMAP source{};
    if (!loaded || GetObjectW(loaded.get(), sizeof(source), &source) == 0)
        return false;

    const BITMAPINFOHEADER header = TopDownHeader(source.bmWidth, source.bmHeight);
    const UniqueScreenDC screen(GetDC(nullptr));
    void* bits = nullptr;
    UniqueGdiObject<HBITMAP> section(CreateDIBSection(screen.get(),
                                                      reinterpret_cast<const BITMAPINFO*>(&header),
                                                      DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!section)
        return false;
    {
        const UniqueMemoryDC sourceDc(CreateCompatibleDC(screen.get()));
        const UniqueMemoryDC targetDc(CreateCompatibleDC(screen.get()));
        const UniqueSelection sourceSelection = SelectInto(sourceDc.get(), loaded.get());
        const UniqueSelection targetSelection = SelectInto(targetDc.get(), section.get());
        BitBlt(targetDc.get(), 0, 0, source.bmWidth, source.bmHeight, sourceDc.get(), 0, 0,
               SRCCOPY);
    }
    GdiFlush(); // the pixels are read directly from here on

    m_header = header;
    GetObjectW(section.get(), sizeof(m_description), &m_description);
    m_pixels = static_cast<uint32_t*>(bits);
    m_bitmap = std::move(section);
    m_axisX = axisX;
    m_axisY = axisY;
    m_alpha = alpha;
    return true;
}

std::wstring CGaugeBitmap::PathIn(const std::wstring& folder, const wchar_t* name) {
    return folder + L"\\" + (name != nullptr ? name : L"");
}
