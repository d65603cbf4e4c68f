#pragma once
// Runs the handlers of the service's requests. Each request keeps a handler of its own, but at
// most kMaxThreads run at once, each on a handler thread; the others wait their turn in arrival
// order. What waits is bounded in number and in bytes, so that a service that floods requests
// (and does not read the replies, which then hold their threads) takes bounded threads and
// memory: a request beyond the bounds is dropped unanswered, as one that could not be handled.

#include "nuvex/protocol/TransferHandlerThread.h"

#include <windows.h>

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>

class CPipeManager;

class CTransferHandlerQueue {
public:
    // Notifications take a callback of the program each, which may wait on the service; a few
    // in parallel keep one slow device from holding up the others.
    static constexpr size_t kMaxThreads = 8;
    // Beyond those running. The service's requests are 40 to 64 bytes each: these bounds hold
    // a thousand of them.
    static constexpr size_t kMaxWaitingJobs = 1024;
    static constexpr ULONGLONG kMaxJobBytes = 1024 * 1024;

    enum class AddResult { Added, Closed, Full, Failed };

    explicit CTransferHandlerQueue(CPipeManager& manager) : m_manager(manager) {}
    // Closes and waits (bounded) for the running handlers.
    ~CTransferHandlerQueue();
    CTransferHandlerQueue(const CTransferHandlerQueue&) = delete;
    CTransferHandlerQueue& operator=(const CTransferHandlerQueue&) = delete;

    // Takes one request (a copy of its transfer, header included). Failed: the job or its first
    // thread could not be made (traced).
    AddResult Add(PipeSourceToken source, DWORD transferBytes, const BYTE* transfer,
                  DWORD replyCapacity, DWORD contextId);

    // Closed, the queue drops what waits and refuses new requests until opened again.
    void Close();
    void Open();
    // True when no handler runs any more (a handler that asks does not count itself).
    bool WaitUntilIdle(DWORD timeoutMs);

private:
    static DWORD WINAPI ThreadProc(void* parameter) noexcept;
    void RunJobs();
    // Caller holds m_lock.
    bool StartThread();

    CPipeManager& m_manager;
    std::mutex m_lock;
    std::condition_variable m_threadEnded;
    std::deque<std::unique_ptr<CTransferHandlerThread>> m_waiting;
    size_t m_threads = 0;
    size_t m_jobs = 0;     // waiting and running
    ULONGLONG m_bytes = 0; // their input copies
    bool m_closed = false;
};
