#pragma once
// One image of a gauge, held as a 32-bit top-down DIB section so that the drawing can work on
// its pixels directly: row y starts at Pixels() + y * Width(), each pixel 0x00RRGGBB.

#include "common/UniqueHandle.h"

#include <cstdint>
#include <string>

class CGaugeBitmap {
public:
    CGaugeBitmap();
    CGaugeBitmap(const CGaugeBitmap&) = delete;
    CGaugeBitmap& operator=(const CGaugeBitmap&) = delete;

    // Loads a bitmap file into a new section with its pivot point (in its own pixels) and the
    // alpha flag. False, and nothing changed, when this bitmap already holds an image or the
    // file cannot be loaded.
    bool Load(const wchar_t* path, float axisX, float axisY, bool alpha);

    // The path of an image named in a gauge file: the folder, "\" and the name (which may hold
    // subfolders). Without a name, the folder with a trailing "\", which loads nothing.
    static std::wstring PathIn(const std::wstring& folder, const wchar_t* name);

    bool IsLoaded() const { return static_cast<bool>(m_bitmap); }
    // The file this bitmap was last asked to load while it held no image, loaded or not: tools
    // name the images a gauge lacks with it.
    const std::wstring& Path() const { return m_path; }
    HBITMAP Handle() const { return m_bitmap.get(); }
    const BITMAP& Description() const { return m_description; }
    const BITMAPINFOHEADER& Header() const { return m_header; }
    int Width() const { return m_description.bmWidth; }
    int Height() const { return m_description.bmHeight; }
    uint32_t* Pixels() const { return m_pixels; }
    float AxisX() const { return m_axisX; }
    float AxisY() const { return m_axisY; }
    bool Alpha() const { return m_alpha; }

private:
    UniqueGdiObject<HBITMAP> m_bitmap;
    std::wstring m_path;
    BITMAP m_description{};
    BITMAPINFOHEADER m_header{};
    uint32_t* m_pixels = nullptr;
    float m_axisX = 0.0f;
    float m_axisY = 0.0f;
    bool m_alpha = false;
};
