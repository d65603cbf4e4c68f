#include "panels/PanelDevice.h"

#include "panels/PanelClass.h"

#include "common/CallNoThrow.h"

#include <algorithm>
#include <cstring>

namespace {
// The panels read bytes 1 to 3 of every input report, whatever length the device declares.
constexpr size_t kMinimumInputBuffer = 4;
} // namespace

CPanelDevice::CPanelDevice() : m_stopEvent(CreateEventW(nullptr, FALSE, FALSE, nullptr)) {}

CPanelDevice::~CPanelDevice() {
    StopReadThread();
    if (m_owner && m_attached) {
        m_owner->OnDeviceDetached(*this);
        WriteFeatureReports();
    }
    m_owner = nullptr;
}

bool CPanelDevice::Open(const wchar_t* path, CPanelClass* panel) {
    if (m_owner || !panel || !m_stopEvent)
        return false;
    m_owner = panel;
    m_path = path;
    m_feature = panel->m_hid.OpenFeatureDevice(path);
    if (!m_feature)
        return false;
    m_caps = m_feature->Capabilities();
    m_attached = true;
    m_owner->OnDeviceAttached(*this);
    WriteFeatureReports();
    if (m_owner->NeedsReadThread()) {
        m_readThread.reset(
            CreateThread(nullptr, 0, &CPanelDevice::ReadThreadProc, this, 0, nullptr));
        if (!m_readThread)
            return false;
    }
    return true;
}

void CPanelDevice::StopReadThread() {
    if (!m_readThread)
        return;
    SetEvent(m_stopEvent.get());
    if (WaitForSingleObject(m_readThread.get(), kThreadStopTimeoutMs) == WAIT_TIMEOUT)
        TerminateThread(m_readThread.get(), 0xFFFFFFFF);
    m_readThread.reset();
}

// A report whose handling throws ends the device's reading, not the process; the device stays
// open until it is removed.
DWORD WINAPI CPanelDevice::ReadThreadProc(void* record) noexcept {
    auto* device = static_cast<CPanelDevice*>(record);
    return SUCCEEDED(CallNoThrow([device] { device->ReadLoop(); })) ? 0 : 1;
}

void CPanelDevice::ReadLoop() {
    std::unique_ptr<IHidInputDevice> input = m_owner->m_hid.OpenInputDevice(m_path.c_str());
    if (!input)
        return;
    DWORD length = m_caps.InputReportByteLength;
    size_t bufferSize = std::max<size_t>(length, kMinimumInputBuffer);
    std::vector<BYTE> current(bufferSize, 0);
    std::vector<BYTE> previous(bufferSize, 0);
    for (;;) {
        DWORD count = 0;
        IHidInputDevice::ReadResult result =
            input->ReadReport(current.data(), length, count, m_stopEvent.get());
        if (result == IHidInputDevice::ReadResult::Stopped)
            break;
        if (result == IHidInputDevice::ReadResult::Failed)
            continue;
        m_owner->OnInputReport(*this, count, previous.data(), current.data());
        previous = current;
    }
}

bool CPanelDevice::ReportChanged(const BYTE* bytes, ULONG length) {
    if (bytes == nullptr)
        return true;
    if (m_hasLastReport && m_lastReport.size() == length &&
        std::equal(m_lastReport.begin(), m_lastReport.end(), bytes))
        return false;
    m_lastReport.assign(bytes, bytes + length);
    m_hasLastReport = true;
    return true;
}

void CPanelDevice::QueueFeatureReport(const BYTE* report, ULONG length) {
    std::erase_if(m_queuedReports, [&](const std::vector<BYTE>& queued) {
        return queued.size() == length && length > 0 && queued[0] == report[0];
    });
    m_queuedReports.emplace_back(report, report + length);
}

// A writer that is terminated inside the device (after the stop time-out) leaves the queue
// claimed: later reports then wait in it rather than block another thread on that device.
void CPanelDevice::WriteFeatureReports() {
    std::unique_lock<std::mutex> lock(m_owner->m_lock);
    if (m_writingReports)
        return;
    m_writingReports = true;
    while (!m_queuedReports.empty()) {
        std::vector<BYTE> next = std::move(m_queuedReports.front());
        m_queuedReports.erase(m_queuedReports.begin());
        lock.unlock();
        m_feature->SetFeature(next.data(), static_cast<ULONG>(next.size()));
        lock.lock();
    }
    m_writingReports = false;
}

LONG CPanelDevice::GetDeviceValue(DWORD key) const {
    auto found = m_deviceValues.find(key);
    return found == m_deviceValues.end() ? 0 : found->second;
}

void CPanelDevice::SetDeviceValue(DWORD key, LONG value) {
    m_deviceValues[key] = value;
}
