#pragma once
// Runs scenario steps in order on a thread of its own, waiting each step's delay on a stop
// event, so Stop ends it at once (bounded wait). The thread holds a reference on this module:
// an unload without a Close cannot pull the code from under it.

#include "standins/simconnect/Scenario.h"

#include "common/UniqueHandle.h"

#include <vector>

class IScenarioTarget {
public:
    virtual ~IScenarioTarget() = default;
    virtual void RunStep(const ScenarioStep& step) = 0;
};

class CScenarioRunner {
public:
    CScenarioRunner() = default;
    ~CScenarioRunner() { Stop(); }
    CScenarioRunner(const CScenarioRunner&) = delete;
    CScenarioRunner& operator=(const CScenarioRunner&) = delete;

    // False when the thread cannot be started.
    bool Start(IScenarioTarget& target, std::vector<ScenarioStep> steps);
    // Signals the thread and waits for it (at most a few seconds). Must not be called with a
    // lock held that a step takes.
    void Stop();

private:
    struct Context;
    static DWORD WINAPI ThreadProc(void* parameter);

    UniqueHandle m_stop;
    UniqueHandle m_thread;
};
