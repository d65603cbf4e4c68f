#pragma once
// Where the code meets Windows, the simulator or the library's callers (exports, thread
// procedures, window procedures, callbacks, the entry point) an exception would end the
// process. Each of those places runs its work through CallNoThrow, which turns one into a
// failure result.

#include <windows.h>

#include <new>
#include <type_traits>

// Runs `work` and returns its HRESULT, or S_OK when it returns nothing; E_OUTOFMEMORY when it
// throws std::bad_alloc and E_FAIL when it throws anything else.
template <typename Work> [[nodiscard]] HRESULT CallNoThrow(Work&& work) noexcept {
    using Result = std::invoke_result_t<Work&>;
    static_assert(std::is_void_v<Result> || std::is_same_v<Result, HRESULT>,
                  "the work returns nothing or an HRESULT");
    try {
        if constexpr (std::is_void_v<Result>) {
            work();
            return S_OK;
        } else {
            return work();
        }
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_FAIL;
    }
}
