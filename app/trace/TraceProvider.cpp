#include "app/trace/TraceProvider.h"

#include <cwchar>
#include <vector>

namespace {
constexpr ULONG kControlDisable = 0;
constexpr ULONG kControlEnable = 1;
} // namespace

// {6C1B2F3E-4A7D-4E59-9B8A-3D2E7F10C4A5}
const GUID CTraceProvider::kProviderId = {
    0x6c1b2f3e, 0x4a7d, 0x4e59, {0x9b, 0x8a, 0x3d, 0x2e, 0x7f, 0x10, 0xc4, 0xa5}};

CTraceProvider& GetTraceProvider() {
    static CTraceProvider provider;
    return provider;
}

CTraceProvider::~CTraceProvider() {
    Unregister();
}

void CTraceProvider::InjectEntryPoints(const EntryPoints& entryPoints) {
    m_entryPoints = entryPoints;
    m_injected = true;
}

void CTraceProvider::Unregister() {
    if (m_registration != 0 && m_entryPoints.eventUnregister)
        m_entryPoints.eventUnregister(m_registration);
    m_registration = 0;
    ApplyControl(kControlDisable, 0, 0);
}

void CTraceProvider::Register(HINSTANCE instance) {
    if (!m_injected) {
        if (!m_library)
            m_library.reset(LoadLibraryW(L"Advapi32.dll"));
        if (m_library) {
            m_entryPoints.eventRegister = reinterpret_cast<PFN_EventRegister>(
                reinterpret_cast<void*>(GetProcAddress(m_library.get(), "EventRegister")));
            m_entryPoints.eventUnregister = reinterpret_cast<PFN_EventUnregister>(
                reinterpret_cast<void*>(GetProcAddress(m_library.get(), "EventUnregister")));
            m_entryPoints.eventWriteString = reinterpret_cast<PFN_EventWriteString>(
                reinterpret_cast<void*>(GetProcAddress(m_library.get(), "EventWriteString")));
        }
    }
    if (m_entryPoints.eventRegister)
        m_entryPoints.eventRegister(&kProviderId, &CTraceProvider::EnableCallback, nullptr,
                                    &m_registration);
    ResolveModuleName(instance);
}

void CTraceProvider::ResolveModuleName(HINSTANCE instance) {
    std::vector<wchar_t> path(MAX_PATH);
    for (;;) {
        DWORD length = GetModuleFileNameW(instance, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() + MAX_PATH);
    }
    std::wstring full(path.begin(), path.end());
    size_t slash = full.rfind(L'\\');
    m_moduleName = slash == std::wstring::npos ? full : full.substr(slash + 1);
}

void NTAPI CTraceProvider::EnableCallback(LPCGUID, ULONG controlCode, UCHAR level,
                                          ULONGLONG matchAnyKeyword, ULONGLONG,
                                          PEVENT_FILTER_DESCRIPTOR, PVOID) noexcept {
    GetTraceProvider().ApplyControl(controlCode, level, matchAnyKeyword);
}

void CTraceProvider::ApplyControl(ULONG controlCode, UCHAR level,
                                  ULONGLONG matchAnyKeyword) noexcept {
    if (controlCode == kControlDisable) {
        m_enabled = 0;
        m_level = 0;
        m_keywordMask = 0;
    } else if (controlCode == kControlEnable) {
        m_level = level;
        m_enabled = 1;
        // A collector asking for every keyword sets all 64 bits; that is stored as none.
        m_keywordMask = matchAnyKeyword == ~0ULL ? 0 : matchAnyKeyword;
    }
}

void CTraceProvider::Write(UCHAR level, ULONGLONG keyword, const wchar_t* text) {
    if (!m_enabled || m_registration == 0 || level > m_level || (keyword & m_keywordMask) == 0 ||
        !m_entryPoints.eventWriteString)
        return;
    wchar_t line[kLineChars] = {};
    int prefix = _snwprintf(line, kLineChars - 1, L"[%ls(0x%lx)(0x%lx)]", m_moduleName.c_str(),
                            GetCurrentProcessId(), GetCurrentThreadId());
    if (prefix < 0)
        prefix = static_cast<int>(wcslen(line));
    wcsncat(line, text, kLineChars - 1 - prefix);
    m_entryPoints.eventWriteString(m_registration, level, keyword, line);
}
