#pragma once
// Move-only owners of the GDI objects the gauge code creates, and a scoped selection of an
// object into a device context.

#include "common/UniqueHandle.h"

struct GdiBitmapTraits { // DIB sections and loaded bitmaps
    using Handle = HBITMAP;
    static Handle Invalid() { return nullptr; }
    static bool IsValid(Handle h) { return h != nullptr; }
    static void Close(Handle h) { ::DeleteObject(h); }
};

struct MemoryDcTraits { // from CreateCompatibleDC
    using Handle = HDC;
    static Handle Invalid() { return nullptr; }
    static bool IsValid(Handle h) { return h != nullptr; }
    static void Close(Handle h) { ::DeleteDC(h); }
};

struct ScreenDcTraits { // from GetDC(nullptr)
    using Handle = HDC;
    static Handle Invalid() { return nullptr; }
    static bool IsValid(Handle h) { return h != nullptr; }
    static void Close(Handle h) { ::ReleaseDC(nullptr, h); }
};

using UniqueBitmap = UniqueResource<GdiBitmapTraits>;
using UniqueMemoryDc = UniqueResource<MemoryDcTraits>;
using UniqueScreenDc = UniqueResource<ScreenDcTraits>;

// Selects an object into a device context for the lifetime of this object, then puts back what
// the context held before: an object still selected cannot be deleted.
class CScopedSelection {
public:
    CScopedSelection(HDC dc, HGDIOBJ object) : m_dc(dc), m_previous(::SelectObject(dc, object)) {}
    ~CScopedSelection() {
        if (m_previous != nullptr && m_previous != HGDI_ERROR)
            ::SelectObject(m_dc, m_previous);
    }
    CScopedSelection(const CScopedSelection&) = delete;
    CScopedSelection& operator=(const CScopedSelection&) = delete;

private:
    HDC m_dc;
    HGDIOBJ m_previous;
};
