#include "nuvex/transport/LibraryThread.h"

#include <new>

namespace {

struct LibraryThreadStart {
    LPTHREAD_START_ROUTINE procedure;
    void* parameter;
    HMODULE module;
};

DWORD WINAPI LibraryThreadProc(void* parameter) {
    const LibraryThreadStart start = *static_cast<LibraryThreadStart*>(parameter);
    delete static_cast<LibraryThreadStart*>(parameter);
    const DWORD exitCode = start.procedure(start.parameter);
    FreeLibraryAndExitThread(start.module, exitCode);
}

} // namespace

HANDLE CreateLibraryThread(LPTHREAD_START_ROUTINE procedure, void* parameter, DWORD creationFlags) {
    HMODULE module = nullptr;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                            reinterpret_cast<LPCWSTR>(&LibraryThreadProc), &module))
        return nullptr;
    auto* start = new (std::nothrow) LibraryThreadStart{procedure, parameter, module};
    if (start == nullptr) {
        FreeLibrary(module);
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    HANDLE thread = CreateThread(nullptr, 0, LibraryThreadProc, start, creationFlags, nullptr);
    if (thread == nullptr) {
        const DWORD error = GetLastError();
        delete start;
        FreeLibrary(module);
        SetLastError(error);
    }
    return thread;
}
