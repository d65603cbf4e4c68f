#include "standins/simconnect/SimLog.h"

#include <windows.h>

#include <cstdarg>

CSimLog::~CSimLog() {
    if (m_file)
        std::fclose(m_file);
}

void CSimLog::OpenFromEnvironment(const wchar_t* variable) {
    wchar_t path[MAX_PATH] = {};
    const DWORD length = ::GetEnvironmentVariableW(variable, path, MAX_PATH);
    std::lock_guard<std::mutex> hold(m_lock);
    if (m_file && length != 0 && m_path == path)
        return;
    if (m_file)
        std::fclose(m_file);
    m_file = nullptr;
    if (length == 0 || length >= MAX_PATH)
        return;
    m_file = _wfopen(path, L"a");
    m_path = path;
    if (m_startTick == 0)
        m_startTick = ::GetTickCount64();
}

void CSimLog::Write(const char* format, ...) {
    std::lock_guard<std::mutex> hold(m_lock);
    if (!m_file)
        return;
    std::fprintf(m_file, "[%7lu ms] ",
                 static_cast<unsigned long>(::GetTickCount64() - m_startTick));
    va_list args;
    va_start(args, format);
    std::vfprintf(m_file, format, args);
    va_end(args);
    std::fputc('\n', m_file);
    std::fflush(m_file);
}
