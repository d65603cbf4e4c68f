#pragma once
// An ordered, thread-safe record of calls made on test doubles ("page 2 OnSimStart", ...), so a
// test can assert the order in which the application drives them.

#include <mutex>
#include <string>
#include <vector>

class CCallLog {
public:
    void Add(const std::string& entry);
    std::vector<std::string> Entries() const;
    // The entries that start with `prefix`, in order.
    std::vector<std::string> EntriesStartingWith(const std::string& prefix) const;
    void Clear();

private:
    mutable std::mutex m_lock;
    std::vector<std::string> m_entries;
};

// The log the application's test doubles write to; tests clear it first.
CCallLog& TestCallLog();
