#pragma once
// Owners of GDI objects, device contexts and selections, on the project's handle owner.

#include "common/UniqueHandle.h"

template <typename H> struct GdiObjectTraits { // bitmaps, fonts, brushes: DeleteObject
    using Handle = H;
    static Handle Invalid() { return nullptr; }
    static bool IsValid(Handle h) { return h != nullptr; }
    static void Close(Handle h) { ::DeleteObject(h); }
};

struct MemoryDcTraits { // device contexts made with CreateCompatibleDC
    using Handle = HDC;
    static Handle Invalid() { return nullptr; }
    static bool IsValid(Handle h) { return h != nullptr; }
    static void Close(Handle h) { ::DeleteDC(h); }
};

using UniqueBitmap = UniqueResource<GdiObjectTraits<HBITMAP>>;
using UniqueFont = UniqueResource<GdiObjectTraits<HFONT>>;
using UniqueMemoryDc = UniqueResource<MemoryDcTraits>;

// Selects an object into a device context and puts back what was there when it goes.
class ScopedSelection {
public:
    ScopedSelection(HDC dc, HGDIOBJ object) noexcept
        : m_dc(dc), m_previous(::SelectObject(dc, object)) {}
    ~ScopedSelection() {
        if (m_previous != nullptr && m_previous != HGDI_ERROR)
            ::SelectObject(m_dc, m_previous);
    }
    ScopedSelection(const ScopedSelection&) = delete;
    ScopedSelection& operator=(const ScopedSelection&) = delete;

    HGDIOBJ Previous() const noexcept { return m_previous; }

private:
    HDC m_dc;
    HGDIOBJ m_previous;
};
