#include "standins/hid-panels/FeatureReportLog.h"

#include <chrono>

namespace {

// The line of the file for one report, without its line end.
std::string FormatLine(const std::wstring& serial, const BYTE* report, ULONG length) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string line(serial.begin(), serial.end());
    for (ULONG i = 0; i < length; ++i) {
        line += ' ';
        line += kDigits[report[i] >> 4];
        line += kDigits[report[i] & 0x0F];
    }
    return line;
}

} // namespace

CFeatureReportLog::CFeatureReportLog(const std::wstring& path) {
    if (!path.empty())
        m_file.reset(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                 CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
}

void CFeatureReportLog::Append(const std::wstring& serial, const BYTE* report, ULONG length) {
    std::lock_guard<std::mutex> lock(m_lock);
    m_entries.push_back({serial, std::vector<BYTE>(report, report + length)});
    m_lastWrite = GetTickCount64();
    if (m_file) {
        // Written through at once, so the demo reads every report the moment it was made.
        const std::string line = FormatLine(serial, report, length) + "\r\n";
        DWORD written = 0;
        WriteFile(m_file.get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    }
    m_written.notify_all();
}

std::vector<CFeatureReportLog::Entry> CFeatureReportLog::Entries() const {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_entries;
}

bool CFeatureReportLog::WaitQuiet(DWORD quietMs, DWORD timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    std::unique_lock<std::mutex> lock(m_lock);
    for (;;) {
        const ULONGLONG now = GetTickCount64();
        const ULONGLONG quietUntil = m_lastWrite + quietMs;
        if (now >= quietUntil)
            return true;
        if (now >= deadline)
            return false;
        const ULONGLONG until = quietUntil < deadline ? quietUntil : deadline;
        m_written.wait_for(lock, std::chrono::milliseconds(until - now));
    }
}
