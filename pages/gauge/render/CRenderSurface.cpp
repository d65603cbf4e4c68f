#include "pages/gauge/render/CRenderSurface.h"

#include <cstring>

CRenderSurface::CRenderSurface()
    : m_lock(::CreateMutexW(nullptr, FALSE, nullptr)),
      m_deviceContext(::CreateCompatibleDC(nullptr)), m_sendBuffer(new BYTE[ImageBytes]()) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = Width;
    info.bmiHeader.biHeight = Height; // positive: rows bottom-up
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    info.bmiHeader.biSizeImage = ImageBytes;
    info.bmiHeader.biXPelsPerMeter = 3200;
    info.bmiHeader.biYPelsPerMeter = 3200;
    void* bits = nullptr;
    m_section.reset(
        ::CreateDIBSection(m_deviceContext.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (m_section) {
        m_pixels = static_cast<BYTE*>(bits);
        std::memset(m_pixels, 0, ImageBytes);
    }
}

CRenderSurface::Selection::Selection(CRenderSurface& surface) noexcept : m_surface(surface) {
    if (m_surface.IsValid())
        m_surface.m_previouslySelected =
            ::SelectObject(m_surface.m_deviceContext.get(), m_surface.m_section.get());
}

CRenderSurface::Selection::~Selection() {
    ::GdiFlush();
    HGDIOBJ previous = m_surface.m_previouslySelected;
    m_surface.m_previouslySelected = nullptr;
    if (previous != nullptr && previous != HGDI_ERROR)
        ::SelectObject(m_surface.m_deviceContext.get(), previous);
}

CRenderSurface::SendBufferLock::SendBufferLock(CRenderSurface& surface) noexcept
    : m_surface(surface) {
    // The holders are the copy of one finished image and one send to the device, which ends
    // when the transfer ends: nothing waits here for longer than that.
    const DWORD wait = ::WaitForSingleObject(m_surface.m_lock.get(), INFINITE);
    m_locked = wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED;
}

CRenderSurface::SendBufferLock::~SendBufferLock() {
    if (m_locked)
        ::ReleaseMutex(m_surface.m_lock.get());
}

void CRenderSurface::PublishFrame() noexcept {
    if (m_pixels == nullptr)
        return;
    const SendBufferLock locked(*this);
    std::memcpy(m_sendBuffer.get(), m_pixels, ImageBytes);
    ++m_frameNumber;
}
