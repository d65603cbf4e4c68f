#include "tests/nuvex/DebugOutputCapture.h"

#include <algorithm>
#include <mutex>

namespace {

constexpr DWORD kPrintException = 0x40010006;     // narrow text
constexpr DWORD kPrintExceptionWide = 0x4001000A; // wide text

std::mutex g_lock;
std::vector<std::wstring> g_lines;

LONG CALLBACK CaptureDebugOutput(EXCEPTION_POINTERS* pointers) {
    const EXCEPTION_RECORD& record = *pointers->ExceptionRecord;
    if ((record.ExceptionCode != kPrintException && record.ExceptionCode != kPrintExceptionWide) ||
        record.NumberParameters < 2)
        return EXCEPTION_CONTINUE_SEARCH;
    std::wstring line;
    if (record.ExceptionCode == kPrintExceptionWide) {
        line = reinterpret_cast<const wchar_t*>(record.ExceptionInformation[1]);
    } else {
        const char* text = reinterpret_cast<const char*>(record.ExceptionInformation[1]);
        while (*text != '\0')
            line.push_back(static_cast<wchar_t>(static_cast<unsigned char>(*text++)));
    }
    std::lock_guard lock(g_lock);
    g_lines.push_back(line);
    return EXCEPTION_CONTINUE_EXECUTION;
}

} // namespace

CDebugOutputCapture::CDebugOutputCapture()
    : m_handler(AddVectoredExceptionHandler(1, CaptureDebugOutput)) {
    std::lock_guard lock(g_lock);
    g_lines.clear();
}

CDebugOutputCapture::~CDebugOutputCapture() {
    RemoveVectoredExceptionHandler(m_handler);
}

std::vector<std::wstring> CDebugOutputCapture::Lines() const {
    std::lock_guard lock(g_lock);
    return g_lines;
}

size_t CDebugOutputCapture::Count(const std::wstring& line) const {
    std::lock_guard lock(g_lock);
    return static_cast<size_t>(std::count(g_lines.begin(), g_lines.end(), line));
}
