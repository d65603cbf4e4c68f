#include "nuvex/api/LibraryObject.h"

#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID reserved) noexcept {
    // reserved is null when FreeLibrary unloads the library, not null at process exit.
    if (reason == DLL_PROCESS_DETACH && reserved == nullptr)
        DestroyLibraryObject();
    return TRUE;
}
