#include "standins/hid-panels/VirtualHidDevice.h"

#include "panels/PanelIds.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <cwchar>

namespace {

// A read waits for the next report in slices, so that every single wait is bounded.
constexpr DWORD kReadWaitSliceMs = 1000;

std::wstring DevicePath(const VirtualPanelDescription& description) {
    wchar_t path[128];
    swprintf(path, sizeof(path) / sizeof(path[0]),
             L"\\\\?\\hid#vid_%04x&pid_%04x#%ls#{4d1e55b2-f16f-11cf-88cb-001111000030}",
             kPanelVendorId, description.productId, description.serial);
    return path;
}

} // namespace

class CVirtualFeatureHandle : public IHidFeatureDevice {
public:
    explicit CVirtualFeatureHandle(std::shared_ptr<CVirtualHidDevice> device)
        : m_device(std::move(device)) {
        std::lock_guard<std::mutex> lock(m_device->m_lock);
        ++m_device->m_openFeatureHandles;
    }
    ~CVirtualFeatureHandle() override {
        {
            std::lock_guard<std::mutex> lock(m_device->m_lock);
            --m_device->m_openFeatureHandles;
        }
        m_device->m_changed.notify_all();
    }

    const HIDP_CAPS& Capabilities() const override { return m_device->m_caps; }

    bool SetFeature(const BYTE* report, ULONG length) override {
        m_device->m_log.Append(m_device->m_serial, report, length);
        return true;
    }

    // The panel's switch levels, as the radio and multi panels read their selectors at attach.
    bool GetFeature(BYTE* report, ULONG length) override {
        std::lock_guard<std::mutex> lock(m_device->m_lock);
        const CVirtualHidDevice::Report levels = m_device->CurrentReport();
        std::memcpy(report, levels.data(), std::min<size_t>(length, levels.size()));
        return true;
    }

    bool GetSerialNumberString(wchar_t* buffer, ULONG bufferBytes) override {
        const std::wstring& serial = m_device->m_serial;
        const size_t bytes = (serial.size() + 1) * sizeof(wchar_t);
        if (bytes > bufferBytes)
            return false;
        std::memcpy(buffer, serial.c_str(), bytes);
        return true;
    }

private:
    std::shared_ptr<CVirtualHidDevice> m_device;
};

class CVirtualInputHandle : public IHidInputDevice {
public:
    explicit CVirtualInputHandle(std::shared_ptr<CVirtualHidDevice> device)
        : m_device(std::move(device)) {
        {
            std::lock_guard<std::mutex> lock(m_device->m_lock);
            ++m_device->m_readers;
        }
        m_device->m_changed.notify_all();
    }
    ~CVirtualInputHandle() override { m_device->ReaderClosed(); }

    ReadResult ReadReport(BYTE* buffer, DWORD length, DWORD& count, HANDLE stopEvent) override {
        return m_device->Read(buffer, length, count, stopEvent);
    }

private:
    std::shared_ptr<CVirtualHidDevice> m_device;
};

CVirtualHidDevice::CVirtualHidDevice(const VirtualPanelDescription& description,
                                     CFeatureReportLog& log)
    : m_serial(description.serial), m_path(DevicePath(description)),
      m_productId(description.productId), m_log(log),
      m_reportQueued(CreateEventW(nullptr, FALSE, FALSE, nullptr)) {
    m_caps.InputReportByteLength = description.inputReportLength;
    m_caps.FeatureReportByteLength = description.featureReportLength;
    std::memcpy(m_levels, description.levels, sizeof(m_levels));
}

std::unique_ptr<IHidFeatureDevice> CVirtualHidDevice::OpenFeature() {
    return std::make_unique<CVirtualFeatureHandle>(shared_from_this());
}

std::unique_ptr<IHidInputDevice> CVirtualHidDevice::OpenInput() {
    if (m_caps.InputReportByteLength == 0)
        return nullptr;
    return std::make_unique<CVirtualInputHandle>(shared_from_this());
}

CVirtualHidDevice::Report CVirtualHidDevice::CurrentReport() const {
    Report report(1 + sizeof(m_levels), 0);
    std::memcpy(report.data() + 1, m_levels, sizeof(m_levels));
    return report;
}

bool CVirtualHidDevice::Switch(const std::vector<LevelChange>& changes, DWORD timeoutMs) {
    Report report;
    {
        std::lock_guard<std::mutex> lock(m_lock);
        for (const LevelChange& change : changes) {
            BYTE& level = m_levels[change.index - 1];
            level = static_cast<BYTE>((level & ~change.mask) | (change.bits & change.mask));
        }
        report = CurrentReport();
    }
    return Deliver(std::move(report), timeoutMs);
}

bool CVirtualHidDevice::Press(size_t index, BYTE bits, int count, DWORD timeoutMs) {
    for (int press = 0; press < count; ++press) {
        WaitForPressInterval();
        Report pressed;
        Report released;
        {
            std::lock_guard<std::mutex> lock(m_lock);
            released = CurrentReport();
            pressed = released;
            pressed[index] = static_cast<BYTE>(pressed[index] | bits);
        }
        if (!Deliver(std::move(pressed), timeoutMs) || !Deliver(std::move(released), timeoutMs))
            return false;
    }
    return true;
}

void CVirtualHidDevice::WaitForPressInterval() {
    ULONGLONG wait = 0;
    {
        std::lock_guard<std::mutex> lock(m_lock);
        const ULONGLONG now = GetTickCount64();
        if (m_lastPress != 0 && now - m_lastPress < kPressIntervalMs)
            wait = kPressIntervalMs - (now - m_lastPress);
        m_lastPress = now + wait;
    }
    // The pace of a hand on the knob, not a wait for anything.
    if (wait != 0)
        Sleep(static_cast<DWORD>(wait));
}

bool CVirtualHidDevice::Deliver(Report report, DWORD timeoutMs) {
    std::unique_lock<std::mutex> lock(m_lock);
    // A panel that has just opened the device starts its read thread a moment later.
    const bool reading = m_changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] {
        return m_readers > 0 || m_openFeatureHandles == 0;
    });
    if (!reading || m_readers == 0)
        return false;
    const ULONGLONG number = ++m_queued;
    m_queue.emplace_back(number, std::move(report));
    SetEvent(m_reportQueued.get());
    m_changed.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                       [&] { return m_finished >= number || m_dropped >= number; });
    return m_finished >= number;
}

IHidInputDevice::ReadResult CVirtualHidDevice::Read(BYTE* buffer, DWORD length, DWORD& count,
                                                    HANDLE stopEvent) {
    {
        // Back for the next report: the last one has been handled.
        std::lock_guard<std::mutex> lock(m_lock);
        m_finished = m_taken;
    }
    m_changed.notify_all();
    for (;;) {
        {
            std::lock_guard<std::mutex> lock(m_lock);
            if (!m_queue.empty()) {
                auto [number, report] = std::move(m_queue.front());
                m_queue.pop_front();
                m_taken = number;
                count = static_cast<DWORD>(std::min<size_t>(length, report.size()));
                std::memcpy(buffer, report.data(), count);
                return IHidInputDevice::ReadResult::Report;
            }
        }
        HANDLE objects[] = {stopEvent, m_reportQueued.get()};
        const DWORD wait = WaitForMultipleObjects(2, objects, FALSE, kReadWaitSliceMs);
        if (wait == WAIT_OBJECT_0 || wait == WAIT_FAILED)
            return IHidInputDevice::ReadResult::Stopped;
    }
}

void CVirtualHidDevice::ReaderClosed() {
    {
        std::lock_guard<std::mutex> lock(m_lock);
        --m_readers;
        if (m_readers == 0) {
            m_queue.clear();
            m_dropped = m_queued;
        }
    }
    m_changed.notify_all();
}
