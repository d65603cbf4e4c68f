#include "standins/simconnect/ScenarioRunner.h"

#include <memory>
#include <utility>

namespace {
constexpr DWORD kStopTimeoutMs = 5000;
constexpr DWORD kWaitFileTimeoutMs = 120000;
// A change notification wakes the wait at once; the slice only covers a folder whose changes
// are not reported.
constexpr DWORD kWaitFileSliceMs = 500;

bool Exists(const std::string& path) {
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Waits until `path` exists, the stop event is set or the time-out passes; false when stopped.
bool WaitForFile(const std::string& path, HANDLE stop) {
    const std::string folder = path.substr(0, path.find_last_of("\\/") + 1);
    UniqueChangeNotification change(::FindFirstChangeNotificationA(
        folder.empty() ? "." : folder.c_str(), FALSE, FILE_NOTIFY_CHANGE_FILE_NAME));
    const ULONGLONG deadline = ::GetTickCount64() + kWaitFileTimeoutMs;
    while (!Exists(path) && ::GetTickCount64() < deadline) {
        HANDLE handles[] = {stop, change.get()};
        const DWORD count = change ? 2 : 1;
        const DWORD woke = ::WaitForMultipleObjects(count, handles, FALSE, kWaitFileSliceMs);
        if (woke == WAIT_OBJECT_0)
            return false;
        if (woke == WAIT_OBJECT_0 + 1)
            ::FindNextChangeNotification(change.get());
    }
    return true;
}
} // namespace

// Owned by the thread, so a thread that outlives a timed-out Stop still has what it uses.
struct CScenarioRunner::Context {
    IScenarioTarget& target;
    std::vector<ScenarioStep> steps;
    UniqueHandle stop;
    HMODULE module;
};

bool CScenarioRunner::Start(IScenarioTarget& target, std::vector<ScenarioStep> steps) {
    Stop();
    m_stop.reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    UniqueHandle threadStop;
    if (!m_stop || !::DuplicateHandle(::GetCurrentProcess(), m_stop.get(), ::GetCurrentProcess(),
                                      threadStop.put(), 0, FALSE, DUPLICATE_SAME_ACCESS))
        return false;
    UniqueModule module;
    ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                         reinterpret_cast<LPCWSTR>(&CScenarioRunner::ThreadProc), module.put());
    auto context = std::make_unique<Context>(
        Context{target, std::move(steps), std::move(threadStop), module.get()});
    m_thread.reset(::CreateThread(nullptr, 0, ThreadProc, context.get(), 0, nullptr));
    if (!m_thread)
        return false;
    // The thread owns both now.
    context.release();
    module.release();
    return true;
}

void CScenarioRunner::Stop() {
    if (m_stop)
        ::SetEvent(m_stop.get());
    if (m_thread)
        ::WaitForSingleObject(m_thread.get(), kStopTimeoutMs);
    m_thread.reset();
    m_stop.reset();
}

DWORD WINAPI CScenarioRunner::ThreadProc(void* parameter) {
    auto* context = static_cast<Context*>(parameter);
    for (const ScenarioStep& step : context->steps) {
        if (::WaitForSingleObject(context->stop.get(), step.delayMs) != WAIT_TIMEOUT)
            break;
        if (step.command == ScenarioCommand::WaitFile &&
            !WaitForFile(step.name, context->stop.get()))
            break;
        context->target.RunStep(step);
    }
    const HMODULE module = context->module;
    delete context;
    if (module)
        ::FreeLibraryAndExitThread(module, 0);
    return 0;
}
