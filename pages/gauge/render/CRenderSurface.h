#pragma once
// A gauge page's drawing surface: the 320 × 240 image and the copy of it handed to the device.

#include "common/UniqueHandle.h"

#include <windows.h>

#include <memory>

class CRenderSurface {
public:
    static constexpr int Width = 320;
    static constexpr int Height = 240;
    // 3 bytes per pixel (blue, green, red), rows of 960 bytes from the bottom row up.
    static constexpr DWORD ImageBytes = Width * Height * 3;

    // The section selected into the surface's device context for as long as this lives; on its
    // way out it flushes GDI, so that the section's memory holds every drawing, and selects back
    // what the context held.
    class Selection {
    public:
        explicit Selection(CRenderSurface& surface) noexcept;
        ~Selection();
        Selection(const Selection&) = delete;
        Selection& operator=(const Selection&) = delete;

    private:
        CRenderSurface& m_surface;
    };

    // The send buffer, with the surface's lock held for as long as this lives.
    class SendBufferLock {
    public:
        explicit SendBufferLock(CRenderSurface& surface) noexcept;
        ~SendBufferLock();
        SendBufferLock(const SendBufferLock&) = delete;
        SendBufferLock& operator=(const SendBufferLock&) = delete;

        const BYTE* Data() const noexcept { return m_surface.m_sendBuffer.get(); }
        DWORD Size() const noexcept { return ImageBytes; }
        // Counts the frames published so far: a sender compares it after its send to learn
        // whether a newer frame came meanwhile.
        DWORD FrameNumber() const noexcept { return m_surface.m_frameNumber; }

    private:
        CRenderSurface& m_surface;
        bool m_locked;
    };

    // Creates the lock, the device context and the black section, and a zeroed send buffer.
    CRenderSurface();
    CRenderSurface(const CRenderSurface&) = delete;
    CRenderSurface& operator=(const CRenderSurface&) = delete;

    // False when the device context or the section could not be created: nothing can be drawn.
    bool IsValid() const noexcept { return m_deviceContext && m_section; }
    HDC DeviceContext() const noexcept { return m_deviceContext.get(); }
    // The section's pixel memory: ImageBytes bytes in the layout above.
    const BYTE* Pixels() const noexcept { return m_pixels; }

    [[nodiscard]] Selection SelectSection() noexcept { return Selection(*this); }
    [[nodiscard]] SendBufferLock LockSendBuffer() noexcept { return SendBufferLock(*this); }
    // Copies the section into the send buffer under the lock, so that a device never receives a
    // half-copied image.
    void PublishFrame() noexcept;

private:
    UniqueHandle m_lock;
    UniqueMemoryDC m_deviceContext;
    UniqueGdiObject<HBITMAP> m_section;
    HGDIOBJ m_previouslySelected = nullptr;
    BYTE* m_pixels = nullptr;
    std::unique_ptr<BYTE[]> m_sendBuffer;
    DWORD m_frameNumber = 0;
};
