#pragma once
// Which display devices have stopped answering. Every request to a device waits up to the
// library's time-out when its service does not answer, and a page sends three lines for every
// change: so once a request to a device goes unanswered, sends to it are refused at once (as
// unanswered) until the device answers again. What a refused or unanswered send should have shown
// is noted as missed; the device's resender sends the latest content when the device answers
// again, and probes a silent device with it once an interval has passed.

#include "nuvex/api/Nuvex.h"

#include "common/UniqueHandle.h"

#include <map>
#include <mutex>
#include <vector>

class CSilentDevices {
public:
    // How long a silent device is left alone before its resender probes it again.
    static constexpr DWORD kProbeIntervalMs = 2000;

    CSilentDevices();
    CSilentDevices(const CSilentDevices&) = delete;
    CSilentDevices& operator=(const CSilentDevices&) = delete;

    // Before a send to the device: false when it is silent, and the send is then noted as
    // missed; true for the one send a probe of the calling thread may make.
    bool MaySend(NuvexDevice device);
    // After a request to the device: E_UNEXPECTED (not answered) makes it silent, success makes it
    // answer again. A send that went unanswered is noted as missed.
    void OnResult(NuvexDevice device, HRESULT result, bool send);
    // The device has gone: nothing is kept of it.
    void Forget(NuvexDevice device);
    bool IsSilent(NuvexDevice device) const;

    // For the resender. Signalled (auto-reset) when a device may need its missed content.
    HANDLE Changed() const { return m_changed.get(); }
    // Milliseconds until the next device is due, 0 when one is due now, INFINITE when none waits.
    DWORD TimeToNextDue() const;
    // The devices whose missed content is to be sent now: those that answer again, and silent ones
    // whose interval has passed; for these the calling thread holds a probe until EndProbe.
    std::vector<NuvexDevice> TakeDue();
    void EndProbe(NuvexDevice device);

private:
    struct State {
        bool silent = false;
        bool missed = false;
        ULONGLONG silentSince = 0;
        DWORD probingThread = 0; // the thread that may make one send while the device is silent
    };

    bool IsDue(const State& state, ULONGLONG now) const;

    mutable std::mutex m_lock;
    std::map<NuvexDevice, State> m_devices;
    UniqueHandle m_changed;
};
