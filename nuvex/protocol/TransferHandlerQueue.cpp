#include "nuvex/protocol/TransferHandlerQueue.h"

#include "nuvex/protocol/PipeManager.h"
#include "nuvex/transport/DebugLine.h"
#include "nuvex/transport/LibraryThread.h"

#include "common/CallNoThrow.h"
#include "common/UniqueHandle.h"

#include <chrono>

namespace {

constexpr DWORD kStopTimeoutMs = 30000;

// The queue whose jobs the current thread runs, if any.
thread_local const CTransferHandlerQueue* t_runningQueue = nullptr;

} // namespace

CTransferHandlerQueue::~CTransferHandlerQueue() {
    Close();
    WaitUntilIdle(kStopTimeoutMs);
}

CTransferHandlerQueue::AddResult CTransferHandlerQueue::Add(PipeSourceToken source,
                                                            DWORD transferBytes,
                                                            const BYTE* transfer,
                                                            DWORD replyCapacity, DWORD contextId) {
    std::lock_guard lock(m_lock);
    if (m_closed)
        return AddResult::Closed;
    if (m_jobs >= kMaxThreads + kMaxWaitingJobs || m_bytes + transferBytes > kMaxJobBytes)
        return AddResult::Full;
    std::unique_ptr<CTransferHandlerThread> job =
        CTransferHandlerThread::Create(source, transferBytes, transfer, replyCapacity, contextId);
    if (!job)
        return AddResult::Failed;
    m_bytes += job->InputBytes();
    ++m_jobs;
    m_waiting.push_back(std::move(job));
    if (m_threads < kMaxThreads && !StartThread() && m_threads == 0) {
        // Nobody would ever take it.
        m_bytes -= m_waiting.back()->InputBytes();
        --m_jobs;
        m_waiting.pop_back();
        return AddResult::Failed;
    }
    return AddResult::Added;
}

bool CTransferHandlerQueue::StartThread() {
    const UniqueHandle thread(CreateLibraryThread(ThreadProc, this, 0));
    if (!thread) {
        DebugLine(L"CTransferHandlerThread::Create - CreateThread failed\n");
        return false;
    }
    ++m_threads;
    return true;
}

void CTransferHandlerQueue::Close() {
    std::deque<std::unique_ptr<CTransferHandlerThread>> dropped;
    std::lock_guard lock(m_lock);
    m_closed = true;
    for (const auto& job : m_waiting)
        m_bytes -= job->InputBytes();
    m_jobs -= m_waiting.size();
    dropped.swap(m_waiting);
}

void CTransferHandlerQueue::Open() {
    std::lock_guard lock(m_lock);
    m_closed = false;
}

bool CTransferHandlerQueue::WaitUntilIdle(DWORD timeoutMs) {
    std::unique_lock lock(m_lock);
    const size_t self = t_runningQueue == this ? 1 : 0;
    return m_threadEnded.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                  [&] { return m_threads <= self; });
}

DWORD WINAPI CTransferHandlerQueue::ThreadProc(void* parameter) noexcept {
    auto* queue = static_cast<CTransferHandlerQueue*>(parameter);
    t_runningQueue = queue;
    queue->RunJobs();
    t_runningQueue = nullptr;
    return 0;
}

// Once the thread has said that it ends, the queue may be gone: nothing here touches it after.
void CTransferHandlerQueue::RunJobs() {
    for (;;) {
        std::unique_ptr<CTransferHandlerThread> job;
        {
            std::lock_guard lock(m_lock);
            if (m_waiting.empty()) {
                --m_threads;
                m_threadEnded.notify_all();
                return;
            }
            job = std::move(m_waiting.front());
            m_waiting.pop_front();
        }
        // A request whose handling throws goes unanswered, as one the receiver could not
        // handle; the thread goes on with the next.
        (void)CallNoThrow([&] { job->DoThreadProc(m_manager); });
        const DWORD bytes = job->InputBytes();
        job.reset();
        std::lock_guard lock(m_lock);
        m_bytes -= bytes;
        --m_jobs;
    }
}
