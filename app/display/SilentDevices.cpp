#include "app/display/SilentDevices.h"

CSilentDevices::CSilentDevices() : m_changed(CreateEventW(nullptr, FALSE, FALSE, nullptr)) {}

bool CSilentDevices::MaySend(NuvexDevice device) {
    std::lock_guard<std::mutex> lock(m_lock);
    auto found = m_devices.find(device);
    if (found == m_devices.end() || !found->second.silent)
        return true;
    State& state = found->second;
    if (state.probingThread == GetCurrentThreadId()) {
        state.probingThread = 0;
        return true;
    }
    state.missed = true;
    return false;
}

void CSilentDevices::OnResult(NuvexDevice device, HRESULT result, bool send) {
    if (result != E_UNEXPECTED && FAILED(result))
        return;
    std::lock_guard<std::mutex> lock(m_lock);
    if (result == E_UNEXPECTED) {
        State& state = m_devices[device];
        state.silent = true;
        state.silentSince = GetTickCount64();
        state.missed = state.missed || send;
        SetEvent(m_changed.get());
        return;
    }
    auto found = m_devices.find(device);
    if (found == m_devices.end() || !found->second.silent)
        return;
    found->second.silent = false;
    found->second.probingThread = 0;
    if (found->second.missed)
        SetEvent(m_changed.get());
}

void CSilentDevices::Forget(NuvexDevice device) {
    std::lock_guard<std::mutex> lock(m_lock);
    m_devices.erase(device);
}

bool CSilentDevices::IsSilent(NuvexDevice device) const {
    std::lock_guard<std::mutex> lock(m_lock);
    auto found = m_devices.find(device);
    return found != m_devices.end() && found->second.silent;
}

bool CSilentDevices::IsDue(const State& state, ULONGLONG now) const {
    if (!state.missed)
        return false;
    return !state.silent || now - state.silentSince >= kProbeIntervalMs;
}

DWORD CSilentDevices::TimeToNextDue() const {
    std::lock_guard<std::mutex> lock(m_lock);
    const ULONGLONG now = GetTickCount64();
    DWORD next = INFINITE;
    for (const auto& [device, state] : m_devices) {
        if (!state.missed)
            continue;
        if (IsDue(state, now))
            return 0;
        const ULONGLONG left = state.silentSince + kProbeIntervalMs - now;
        if (left < next)
            next = static_cast<DWORD>(left);
    }
    return next;
}

std::vector<NuvexDevice> CSilentDevices::TakeDue() {
    std::lock_guard<std::mutex> lock(m_lock);
    const ULONGLONG now = GetTickCount64();
    std::vector<NuvexDevice> due;
    for (auto& [device, state] : m_devices) {
        if (!IsDue(state, now))
            continue;
        state.missed = false;
        if (state.silent) {
            // Whatever the probe meets, the next one waits a whole interval.
            state.silentSince = now;
            state.probingThread = GetCurrentThreadId();
        }
        due.push_back(device);
    }
    return due;
}

void CSilentDevices::EndProbe(NuvexDevice device) {
    std::lock_guard<std::mutex> lock(m_lock);
    auto found = m_devices.find(device);
    if (found != m_devices.end() && found->second.probingThread == GetCurrentThreadId())
        found->second.probingThread = 0;
}
