#include "standins/simconnect/ScenarioRunner.h"

#include <utility>

namespace {
constexpr DWORD kStopTimeoutMs = 5000;
}

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
    HANDLE threadStop = nullptr;
    HMODULE module = nullptr;
    if (!m_stop || !::DuplicateHandle(::GetCurrentProcess(), m_stop.get(), ::GetCurrentProcess(),
                                      &threadStop, 0, FALSE, DUPLICATE_SAME_ACCESS))
        return false;
    auto* context = new Context{target, std::move(steps), UniqueHandle(threadStop), nullptr};
    if (::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                             reinterpret_cast<LPCWSTR>(&CScenarioRunner::ThreadProc), &module))
        context->module = module;
    m_thread.reset(::CreateThread(nullptr, 0, ThreadProc, context, 0, nullptr));
    if (!m_thread) {
        if (context->module)
            ::FreeLibrary(context->module);
        delete context;
        return false;
    }
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
        context->target.RunStep(step);
    }
    const HMODULE module = context->module;
    delete context;
    if (module)
        ::FreeLibraryAndExitThread(module, 0);
    return 0;
}
