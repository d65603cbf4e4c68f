#pragma once
// Move-only owners of what the platform hands out and must be given back: one template, typed by
// the function that gives its handle back and the value that means "none", and one alias per
// kind of handle.

#include <windows.h>

#include <objbase.h>
#include <winsvc.h>

#include <cstdint>
#include <type_traits>
#include <utility>

// Owns one handle of type H and passes it to Close when it lets go of it. InvalidValue is the
// handle the owner holds when empty, given as an integer because INVALID_HANDLE_VALUE cannot be
// a template argument. Null is never owned either, and an owner of a HANDLE owns neither null
// nor INVALID_HANDLE_VALUE: the kernel's functions report failure with one or the other.
template <typename H, auto Close, std::intptr_t InvalidValue = 0> class UniqueResource {
public:
    using Handle = H;

    UniqueResource() noexcept = default;
    explicit UniqueResource(H h) noexcept : m_h(h) {}
    ~UniqueResource() { reset(); }
    UniqueResource(const UniqueResource&) = delete;
    UniqueResource& operator=(const UniqueResource&) = delete;
    UniqueResource(UniqueResource&& other) noexcept : m_h(other.release()) {}
    UniqueResource& operator=(UniqueResource&& other) noexcept {
        if (this != &other)
            reset(other.release());
        return *this;
    }

    static H Invalid() noexcept {
        if constexpr (std::is_pointer_v<H>)
            return reinterpret_cast<H>(InvalidValue);
        else if constexpr (std::is_class_v<H>)
            return H{};
        else
            return static_cast<H>(InvalidValue);
    }

    static bool IsValid(const H& h) noexcept {
        if (h == Invalid() || h == H{})
            return false;
        if constexpr (std::is_same_v<H, HANDLE>)
            return h != INVALID_HANDLE_VALUE;
        else
            return true;
    }

    H get() const noexcept { return m_h; }
    explicit operator bool() const noexcept { return IsValid(m_h); }
    H release() noexcept { return std::exchange(m_h, Invalid()); }
    void reset(H h = Invalid()) noexcept {
        if (IsValid(m_h))
            Close(m_h);
        m_h = h;
    }
    // Gives back what is held and lends the slot to a function that returns its handle through
    // an out-parameter: RegOpenKeyExW(..., key.put()).
    H* put() noexcept {
        reset();
        return &m_h;
    }

private:
    H m_h = Invalid();
};

// The functions that give each kind of handle back.
namespace handle_close {
inline void KernelHandle(HANDLE h) noexcept {
    ::CloseHandle(h);
}
inline void Module(HMODULE h) noexcept {
    ::FreeLibrary(h);
}
inline void RegistryKey(HKEY h) noexcept {
    ::RegCloseKey(h);
}
inline void Window(HWND h) noexcept {
    ::DestroyWindow(h);
}
inline void Find(HANDLE h) noexcept {
    ::FindClose(h);
}
inline void ChangeNotification(HANDLE h) noexcept {
    ::FindCloseChangeNotification(h);
}
inline void ServiceHandle(SC_HANDLE h) noexcept {
    ::CloseServiceHandle(h);
}
inline void DeviceNotification(HDEVNOTIFY h) noexcept {
    ::UnregisterDeviceNotification(h);
}
inline void GdiObject(HGDIOBJ h) noexcept {
    ::DeleteObject(h);
}
inline void MemoryDeviceContext(HDC h) noexcept {
    ::DeleteDC(h);
}
inline void ScreenDeviceContext(HDC h) noexcept {
    ::ReleaseDC(nullptr, h);
}
inline void LocalMemory(HLOCAL h) noexcept {
    ::LocalFree(h);
}
inline void ComApartment(bool) noexcept {
    ::CoUninitialize();
}
} // namespace handle_close

// Events, threads, mutexes and other kernel objects: null when absent.
using UniqueHandle = UniqueResource<HANDLE, &handle_close::KernelHandle>;
// Files, pipes and devices: INVALID_HANDLE_VALUE when absent.
using UniqueFile = UniqueResource<HANDLE, &handle_close::KernelHandle, -1>;
using UniqueModule = UniqueResource<HMODULE, &handle_close::Module>;
using UniqueRegistryKey = UniqueResource<HKEY, &handle_close::RegistryKey>;
using UniqueWindow = UniqueResource<HWND, &handle_close::Window>;
using UniqueFindHandle = UniqueResource<HANDLE, &handle_close::Find, -1>;
using UniqueChangeNotification = UniqueResource<HANDLE, &handle_close::ChangeNotification, -1>;
using UniqueServiceHandle = UniqueResource<SC_HANDLE, &handle_close::ServiceHandle>;
using UniqueDeviceNotification = UniqueResource<HDEVNOTIFY, &handle_close::DeviceNotification>;
// Bitmaps, fonts, brushes, pens, regions, each kept in its own type.
template <typename GdiObject>
using UniqueGdiObject = UniqueResource<GdiObject, &handle_close::GdiObject>;
// A device context made with CreateCompatibleDC.
using UniqueMemoryDC = UniqueResource<HDC, &handle_close::MemoryDeviceContext>;
// The screen's device context from GetDC(nullptr).
using UniqueScreenDC = UniqueResource<HDC, &handle_close::ScreenDeviceContext>;
// Memory the system allocated with LocalAlloc for the caller (CommandLineToArgvW,
// FormatMessageW).
template <typename Pointer> using UniqueLocal = UniqueResource<Pointer, &handle_close::LocalMemory>;

// An object selected into a device context: ending the selection selects back the object it
// replaced, so that the object can be deleted and the context is left as it was found.
struct ObjectSelection {
    HDC dc = nullptr;
    HGDIOBJ replaced = nullptr;
    bool operator==(const ObjectSelection&) const = default;
};
namespace handle_close {
inline void Selection(ObjectSelection selection) noexcept {
    ::SelectObject(selection.dc, selection.replaced);
}
} // namespace handle_close
using UniqueSelection = UniqueResource<ObjectSelection, &handle_close::Selection>;

// Selects `object` into `dc`; the owner is empty when the selection failed.
inline UniqueSelection SelectInto(HDC dc, HGDIOBJ object) noexcept {
    HGDIOBJ replaced = ::SelectObject(dc, object);
    if (replaced == nullptr || replaced == HGDI_ERROR)
        return UniqueSelection();
    return UniqueSelection(ObjectSelection{dc, replaced});
}

// COM on the calling thread: holds true while CoUninitialize is owed.
using UniqueComApartment = UniqueResource<bool, &handle_close::ComApartment>;

// CoInitialize(nullptr): a single-threaded apartment, left again when the owner ends.
inline UniqueComApartment EnterComApartment() noexcept {
    return UniqueComApartment(SUCCEEDED(::CoInitialize(nullptr)));
}
