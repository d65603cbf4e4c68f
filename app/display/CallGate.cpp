#include "app/display/CallGate.h"

#include <chrono>

bool CCallGate::Enter() {
    std::lock_guard<std::mutex> lock(m_lock);
    if (m_closed)
        return false;
    ++m_inside;
    return true;
}

void CCallGate::Leave() {
    std::lock_guard<std::mutex> lock(m_lock);
    if (--m_inside == 0)
        m_left.notify_all();
}

void CCallGate::Close() {
    std::lock_guard<std::mutex> lock(m_lock);
    m_closed = true;
}

bool CCallGate::WaitUntilEmpty(DWORD timeoutMs) {
    std::unique_lock<std::mutex> lock(m_lock);
    return m_left.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                           [this] { return m_inside == 0; });
}
