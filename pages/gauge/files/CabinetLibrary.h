#pragma once
// The process-wide binding to the platform's cabinet decompressor, loaded at run time. The table
// is complete or empty: when the library or any of its four entry points is missing, nothing is
// bound and every extraction reports "Could not load Cabinet.dll".

#include "common/UniqueHandle.h"

#include <windows.h>

#include <fdi.h>

class CCabinetLibrary {
public:
    // Loads the library by plain file name. The program uses GetCabinetLibrary(); tests make
    // instances of their own, for instance of a library that does not exist.
    explicit CCabinetLibrary(const char* libraryName = "Cabinet.dll");
    ~CCabinetLibrary() = default;
    CCabinetLibrary(const CCabinetLibrary&) = delete;
    CCabinetLibrary& operator=(const CCabinetLibrary&) = delete;

    bool IsLoaded() const { return static_cast<bool>(m_library); }

    // The entry points; only valid while IsLoaded().
    HFDI Create(PFNALLOC alloc, PFNFREE free, PFNOPEN open, PFNREAD read, PFNWRITE write,
                PFNCLOSE close, PFNSEEK seek, int cpuType, PERF erf) const;
    BOOL Copy(HFDI context, char* cabinetName, char* cabinetPath, int flags, PFNFDINOTIFY notify,
              PFNFDIDECRYPT decrypt, void* user) const;
    BOOL Destroy(HFDI context) const;

private:
    using PFN_FDICreate = HFDI(DIAMONDAPI*)(PFNALLOC, PFNFREE, PFNOPEN, PFNREAD, PFNWRITE, PFNCLOSE,
                                            PFNSEEK, int, PERF);
    using PFN_FDICopy = BOOL(DIAMONDAPI*)(HFDI, char*, char*, int, PFNFDINOTIFY, PFNFDIDECRYPT,
                                          void*);
    using PFN_FDIIsCabinet = BOOL(DIAMONDAPI*)(HFDI, INT_PTR, PFDICABINETINFO);
    using PFN_FDIDestroy = BOOL(DIAMONDAPI*)(HFDI);

    template <typename Fn> static Fn Resolve(HMODULE library, const char* name);

    UniqueModule m_library;
    PFN_FDICreate m_create = nullptr;
    PFN_FDICopy m_copy = nullptr;
    PFN_FDIDestroy m_destroy = nullptr;
};

// The process-wide binding, created on first use from any thread.
const CCabinetLibrary& GetCabinetLibrary();
