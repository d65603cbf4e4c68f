#include "nuvex/transport/LibraryThread.h"

#include "common/CallNoThrow.h"
#include "common/UniqueHandle.h"

#include <memory>
#include <new>

namespace {

struct LibraryThreadStart {
    LPTHREAD_START_ROUTINE procedure;
    void* parameter;
    HMODULE module;
};

DWORD WINAPI LibraryThreadProc(void* parameter) noexcept {
    const LibraryThreadStart start = *static_cast<LibraryThreadStart*>(parameter);
    delete static_cast<LibraryThreadStart*>(parameter);
    // The procedures are the library's own boundaries; this one only makes sure that the
    // module is released whatever they do.
    DWORD exitCode = 0;
    const HRESULT ran = CallNoThrow([&] { exitCode = start.procedure(start.parameter); });
    FreeLibraryAndExitThread(start.module, SUCCEEDED(ran) ? exitCode : static_cast<DWORD>(ran));
}

} // namespace

HANDLE CreateLibraryThread(LPTHREAD_START_ROUTINE procedure, void* parameter, DWORD creationFlags) {
    UniqueModule module;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                            reinterpret_cast<LPCWSTR>(&LibraryThreadProc), module.put()))
        return nullptr;
    std::unique_ptr<LibraryThreadStart> start(
        new (std::nothrow) LibraryThreadStart{procedure, parameter, module.get()});
    if (start == nullptr) {
        module.reset();
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    HANDLE thread =
        CreateThread(nullptr, 0, LibraryThreadProc, start.get(), creationFlags, nullptr);
    if (thread == nullptr) {
        const DWORD error = GetLastError();
        module.reset();
        SetLastError(error);
        return nullptr;
    }
    // The thread owns both now.
    start.release();
    module.release();
    return thread;
}
