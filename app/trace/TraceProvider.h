#pragma once
// The program's ETW provider: every trace line leaves the process through it.

#include "common/UniqueHandle.h"

#include <windows.h>

#include <evntprov.h>

#include <string>

class CTraceProvider {
public:
    static constexpr size_t kLineChars = 1024;
    static constexpr UCHAR kLevel = 3;
    static constexpr ULONGLONG kKeyword = 0x2;

    using PFN_EventRegister = ULONG(WINAPI*)(LPCGUID, PENABLECALLBACK, PVOID, PREGHANDLE);
    using PFN_EventUnregister = ULONG(WINAPI*)(REGHANDLE);
    using PFN_EventWriteString = ULONG(WINAPI*)(REGHANDLE, UCHAR, ULONGLONG, PCWSTR);

    // The ETW entry points; the system's by default, a test's when it injects its own.
    struct EntryPoints {
        PFN_EventRegister eventRegister = nullptr;
        PFN_EventUnregister eventUnregister = nullptr;
        PFN_EventWriteString eventWriteString = nullptr;
    };

    // The provider's identity, as collectors name it.
    static const GUID kProviderId;

    CTraceProvider() = default;
    ~CTraceProvider();
    CTraceProvider(const CTraceProvider&) = delete;
    CTraceProvider& operator=(const CTraceProvider&) = delete;

    void Register(HINSTANCE instance);
    void Write(UCHAR level, ULONGLONG keyword, const wchar_t* text);

    static void NTAPI EnableCallback(LPCGUID sourceId, ULONG controlCode, UCHAR level,
                                     ULONGLONG matchAnyKeyword, ULONGLONG matchAllKeyword,
                                     PEVENT_FILTER_DESCRIPTOR filterData, PVOID context) noexcept;

    // Test seam: replaces the entry points; a later Register uses them instead of Advapi32's.
    void InjectEntryPoints(const EntryPoints& entryPoints);
    // Test seam: ends a registration as process exit would, so a test can register again.
    void Unregister();

private:
    void ApplyControl(ULONG controlCode, UCHAR level, ULONGLONG matchAnyKeyword) noexcept;
    void ResolveModuleName(HINSTANCE instance);

    UniqueModule m_library;
    EntryPoints m_entryPoints;
    bool m_injected = false;
    REGHANDLE m_registration = 0;
    volatile LONG m_enabled = 0;
    volatile UCHAR m_level = 0;
    volatile ULONGLONG m_keywordMask = 0;
    std::wstring m_moduleName;
};

// The process-wide provider, created on first use.
CTraceProvider& GetTraceProvider();
