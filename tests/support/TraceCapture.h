#pragma once
// Captures the program's trace lines for a test. While an object lives, the process-wide trace
// provider is registered with injected entry points and enabled as a collector would enable it;
// every line it writes is kept here. At the end the provider is left unregistered, so lines
// written after the capture are dropped.

#include <windows.h>

#include <evntprov.h>

#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

class CTraceCapture {
public:
    // Registers the provider and enables it at the given level and match-any keyword.
    explicit CTraceCapture(UCHAR level = 5, ULONGLONG matchAnyKeyword = 0x2);
    // Registers the provider without enabling it.
    struct DisabledTag {};
    explicit CTraceCapture(DisabledTag);
    ~CTraceCapture();
    CTraceCapture(const CTraceCapture&) = delete;
    CTraceCapture& operator=(const CTraceCapture&) = delete;

    // The collector's enable (control code 1) and disable (control code 0).
    void Enable(UCHAR level, ULONGLONG matchAnyKeyword);
    void Disable();

    // Every line as written, "[module(0x<pid>)(0x<tid>)]" prefix included.
    std::vector<std::wstring> RawLines() const;
    // Every line with its prefix removed: what the program formatted.
    std::vector<std::wstring> Lines() const;
    // The level and keyword of every EventWriteString call, in order.
    std::vector<std::pair<UCHAR, ULONGLONG>> LevelsAndKeywords() const;
    // True when some line (without prefix) equals text.
    bool Contains(const std::wstring& text) const;
    // How many lines (without prefix) equal text.
    size_t Count(const std::wstring& text) const;
    void Clear();
    // Waits (bounded) until some line (without prefix) equals text; for lines written on other
    // threads.
    bool WaitForLine(const std::wstring& text, DWORD timeoutMs = 5000) const;

    // Removes the "[module(0x..)(0x..)]" prefix of a raw line (the line itself if it has none).
    static std::wstring StripPrefix(const std::wstring& rawLine);

private:
    struct Entry {
        UCHAR level;
        ULONGLONG keyword;
        std::wstring text;
    };

    void Attach();
    static ULONG WINAPI CaptureEventRegister(LPCGUID providerId, PENABLECALLBACK callback,
                                             PVOID context, PREGHANDLE registration);
    static ULONG WINAPI CaptureEventUnregister(REGHANDLE registration);
    static ULONG WINAPI CaptureEventWriteString(REGHANDLE registration, UCHAR level,
                                                ULONGLONG keyword, PCWSTR text);
    void Append(UCHAR level, ULONGLONG keyword, PCWSTR text);

    mutable std::mutex m_lock;
    mutable std::condition_variable m_written;
    std::vector<Entry> m_entries;
};
