#include "tests/support/CallLog.h"

CCallLog& TestCallLog() {
    static CCallLog log;
    return log;
}

void CCallLog::Add(const std::string& entry) {
    std::lock_guard<std::mutex> guard(m_lock);
    m_entries.push_back(entry);
}

std::vector<std::string> CCallLog::Entries() const {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_entries;
}

std::vector<std::string> CCallLog::EntriesStartingWith(const std::string& prefix) const {
    std::vector<std::string> matching;
    for (const std::string& entry : Entries()) {
        if (entry.compare(0, prefix.size(), prefix) == 0)
            matching.push_back(entry);
    }
    return matching;
}

void CCallLog::Clear() {
    std::lock_guard<std::mutex> guard(m_lock);
    m_entries.clear();
}
