#pragma once
// The readable log of the stand-in: one line per call of interest and per scenario step,
// appended to the file the client's environment names (DRAVIK_SIM_LOG), each line flushed at
// once so a script can print the file while the client still runs. Thread-safe.

#include <cstdio>
#include <mutex>
#include <string>

class CSimLog {
public:
    CSimLog() = default;
    ~CSimLog();
    CSimLog(const CSimLog&) = delete;
    CSimLog& operator=(const CSimLog&) = delete;

    // Opens the file the environment variable names now, unless it is open already; without
    // the variable nothing is logged from here on.
    void OpenFromEnvironment(const wchar_t* variable);
    void Write(const char* format, ...)
#if defined(__GNUC__)
        __attribute__((format(printf, 2, 3)))
#endif
        ;

private:
    std::mutex m_lock;
    std::FILE* m_file = nullptr;
    std::wstring m_path;
    unsigned long long m_startTick = 0;
};
