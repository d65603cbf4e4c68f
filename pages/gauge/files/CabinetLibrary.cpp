#include "pages/gauge/files/CabinetLibrary.h"

#include <utility>

const CCabinetLibrary& GetCabinetLibrary() {
    static const CCabinetLibrary library;
    return library;
}

template <typename Fn> Fn CCabinetLibrary::Resolve(HMODULE library, const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}

CCabinetLibrary::CCabinetLibrary(const char* libraryName) {
    UniqueModule library(LoadLibraryA(libraryName));
    if (!library)
        return;
    const auto create = Resolve<PFN_FDICreate>(library.get(), "FDICreate");
    const auto copy = Resolve<PFN_FDICopy>(library.get(), "FDICopy");
    const auto destroy = Resolve<PFN_FDIDestroy>(library.get(), "FDIDestroy");
    // Not called by the extraction, but part of the interface a usable library offers.
    const auto isCabinet = Resolve<PFN_FDIIsCabinet>(library.get(), "FDIIsCabinet");
    if (!create || !copy || !destroy || !isCabinet)
        return;
    m_library = std::move(library);
    m_create = create;
    m_copy = copy;
    m_destroy = destroy;
}

HFDI CCabinetLibrary::Create(PFNALLOC alloc, PFNFREE free, PFNOPEN open, PFNREAD read,
                             PFNWRITE write, PFNCLOSE close, PFNSEEK seek, int cpuType,
                             PERF erf) const {
    return m_create(alloc, free, open, read, write, close, seek, cpuType, erf);
}

BOOL CCabinetLibrary::Copy(HFDI context, char* cabinetName, char* cabinetPath, int flags,
                           PFNFDINOTIFY notify, PFNFDIDECRYPT decrypt, void* user) const {
    return m_copy(context, cabinetName, cabinetPath, flags, notify, decrypt, user);
}

BOOL CCabinetLibrary::Destroy(HFDI context) const {
    return m_destroy(context);
}
