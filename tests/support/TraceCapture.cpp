#include "tests/support/TraceCapture.h"

#include "app/trace/TraceProvider.h"

#include <algorithm>
#include <chrono>

namespace {

constexpr ULONG kControlDisable = 0;
constexpr ULONG kControlEnable = 1;
constexpr REGHANDLE kCaptureRegistration = 0x7E57;

// The capture that currently owns the provider; the entry points are plain functions, so they
// find it here.
std::mutex g_activeLock;
CTraceCapture* g_active = nullptr;

} // namespace

CTraceCapture::CTraceCapture(UCHAR level, ULONGLONG matchAnyKeyword) {
    Attach();
    Enable(level, matchAnyKeyword);
}

CTraceCapture::CTraceCapture(DisabledTag) {
    Attach();
}

void CTraceCapture::Attach() {
    {
        std::lock_guard<std::mutex> guard(g_activeLock);
        g_active = this;
    }
    CTraceProvider& provider = GetTraceProvider();
    provider.Unregister();
    CTraceProvider::EntryPoints entryPoints;
    entryPoints.eventRegister = &CTraceCapture::CaptureEventRegister;
    entryPoints.eventUnregister = &CTraceCapture::CaptureEventUnregister;
    entryPoints.eventWriteString = &CTraceCapture::CaptureEventWriteString;
    provider.InjectEntryPoints(entryPoints);
    provider.Register(GetModuleHandleW(nullptr));
}

CTraceCapture::~CTraceCapture() {
    GetTraceProvider().Unregister();
    std::lock_guard<std::mutex> guard(g_activeLock);
    if (g_active == this)
        g_active = nullptr;
}

void CTraceCapture::Enable(UCHAR level, ULONGLONG matchAnyKeyword) {
    CTraceProvider::EnableCallback(&CTraceProvider::kProviderId, kControlEnable, level,
                                   matchAnyKeyword, 0, nullptr, nullptr);
}

void CTraceCapture::Disable() {
    CTraceProvider::EnableCallback(&CTraceProvider::kProviderId, kControlDisable, 0, 0, 0, nullptr,
                                   nullptr);
}

ULONG WINAPI CTraceCapture::CaptureEventRegister(LPCGUID, PENABLECALLBACK, PVOID,
                                                 PREGHANDLE registration) {
    *registration = kCaptureRegistration;
    return ERROR_SUCCESS;
}

ULONG WINAPI CTraceCapture::CaptureEventUnregister(REGHANDLE) {
    return ERROR_SUCCESS;
}

ULONG WINAPI CTraceCapture::CaptureEventWriteString(REGHANDLE, UCHAR level, ULONGLONG keyword,
                                                    PCWSTR text) {
    std::lock_guard<std::mutex> guard(g_activeLock);
    if (g_active)
        g_active->Append(level, keyword, text);
    return ERROR_SUCCESS;
}

void CTraceCapture::Append(UCHAR level, ULONGLONG keyword, PCWSTR text) {
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_entries.push_back({level, keyword, text ? text : L""});
    }
    m_written.notify_all();
}

bool CTraceCapture::WaitForLine(const std::wstring& text, DWORD timeoutMs) const {
    std::unique_lock<std::mutex> guard(m_lock);
    return m_written.wait_for(guard, std::chrono::milliseconds(timeoutMs), [&] {
        return std::any_of(m_entries.begin(), m_entries.end(),
                           [&](const Entry& entry) { return StripPrefix(entry.text) == text; });
    });
}

std::wstring CTraceCapture::StripPrefix(const std::wstring& rawLine) {
    if (rawLine.empty() || rawLine[0] != L'[')
        return rawLine;
    size_t end = rawLine.find(L")]");
    return end == std::wstring::npos ? rawLine : rawLine.substr(end + 2);
}

std::vector<std::wstring> CTraceCapture::RawLines() const {
    std::lock_guard<std::mutex> guard(m_lock);
    std::vector<std::wstring> lines;
    for (const Entry& entry : m_entries)
        lines.push_back(entry.text);
    return lines;
}

std::vector<std::wstring> CTraceCapture::Lines() const {
    std::vector<std::wstring> lines = RawLines();
    for (std::wstring& line : lines)
        line = StripPrefix(line);
    return lines;
}

std::vector<std::pair<UCHAR, ULONGLONG>> CTraceCapture::LevelsAndKeywords() const {
    std::lock_guard<std::mutex> guard(m_lock);
    std::vector<std::pair<UCHAR, ULONGLONG>> result;
    for (const Entry& entry : m_entries)
        result.emplace_back(entry.level, entry.keyword);
    return result;
}

size_t CTraceCapture::Count(const std::wstring& text) const {
    std::vector<std::wstring> lines = Lines();
    return static_cast<size_t>(std::count(lines.begin(), lines.end(), text));
}

bool CTraceCapture::Contains(const std::wstring& text) const {
    return Count(text) > 0;
}

void CTraceCapture::Clear() {
    std::lock_guard<std::mutex> guard(m_lock);
    m_entries.clear();
}
