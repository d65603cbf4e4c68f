#include "nuvex/api/LibraryObject.h"

#include "common/CallNoThrow.h"

namespace {

INIT_ONCE g_buildOnce = INIT_ONCE_STATIC_INIT;
CDeviceList* g_library = nullptr;

// The object's own members allocate too: any failure to build it leaves it null.
BOOL CALLBACK BuildLibraryObject(PINIT_ONCE, PVOID, PVOID*) noexcept {
    const HRESULT built = CallNoThrow([] { g_library = new CDeviceList(); });
    return SUCCEEDED(built);
}

} // namespace

CDeviceList* GetLibraryObject() {
    InitOnceExecuteOnce(&g_buildOnce, BuildLibraryObject, nullptr, nullptr);
    return g_library;
}

void DestroyLibraryObject() {
    delete g_library;
    g_library = nullptr;
}
