#include "nuvex/api/LibraryObject.h"

#include <new>

namespace {

INIT_ONCE g_buildOnce = INIT_ONCE_STATIC_INIT;
CDeviceList* g_library = nullptr;

BOOL CALLBACK BuildLibraryObject(PINIT_ONCE, PVOID, PVOID*) {
    g_library = new (std::nothrow) CDeviceList();
    return g_library != nullptr;
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
