#pragma once
// Every feature report the program writes to the virtual panels, in the order written: kept in
// memory and, when a file is given, appended to it as it happens, one report a line:
//
//     <serial> <byte> <byte> ...      the bytes as two hexadecimal digits each, report id first
//
// The demo reads that file; tests read the memory.

#include "common/UniqueHandle.h"

#include <windows.h>

#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

class CFeatureReportLog {
public:
    struct Entry {
        std::wstring serial;
        std::vector<BYTE> report;
    };

    // An empty path keeps the reports in memory only. A file that cannot be created is the same.
    explicit CFeatureReportLog(const std::wstring& path = {});

    void Append(const std::wstring& serial, const BYTE* report, ULONG length);
    std::vector<Entry> Entries() const;

    // Waits until no report has been written for `quietMs`; false when reports keep coming for
    // `timeoutMs`.
    bool WaitQuiet(DWORD quietMs, DWORD timeoutMs);

private:
    mutable std::mutex m_lock;
    std::condition_variable m_written;
    UniqueFile m_file;
    std::vector<Entry> m_entries;
    ULONGLONG m_lastWrite = 0;
};
