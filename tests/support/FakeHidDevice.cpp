#include "tests/support/FakeHidDevice.h"

#include <algorithm>
#include <cstring>

namespace {
constexpr DWORD kReadWaitSliceMs = 1000;
constexpr DWORD kWriteHoldLimitMs = 10000;
} // namespace

class FakeFeatureHandle : public IHidFeatureDevice {
public:
    explicit FakeFeatureHandle(std::shared_ptr<FakeHidDevice> device)
        : m_device(std::move(device)) {
        std::lock_guard<std::mutex> lock(m_device->m_lock);
        ++m_device->m_openFeatureHandles;
        m_caps = m_device->m_caps;
    }
    ~FakeFeatureHandle() override {
        std::lock_guard<std::mutex> lock(m_device->m_lock);
        --m_device->m_openFeatureHandles;
    }

    const HIDP_CAPS& Capabilities() const override { return m_caps; }

    bool SetFeature(const BYTE* report, ULONG length) override {
        bool held;
        {
            std::lock_guard<std::mutex> lock(m_device->m_lock);
            held = m_device->m_holdingWrites;
        }
        if (held) {
            SetEvent(m_device->m_writeHeld.get());
            WaitForSingleObject(m_device->m_writesReleased.get(), kWriteHoldLimitMs);
        }
        std::lock_guard<std::mutex> lock(m_device->m_lock);
        m_device->m_written.emplace_back(report, report + length);
        return !m_device->m_removed;
    }

    bool GetFeature(BYTE* report, ULONG length) override {
        std::lock_guard<std::mutex> lock(m_device->m_lock);
        const FakeHidDevice::Report& answer = m_device->m_featureReport;
        if (m_device->m_removed || answer.empty())
            return false;
        memcpy(report, answer.data(), std::min<size_t>(length, answer.size()));
        return true;
    }

    bool GetSerialNumberString(wchar_t* buffer, ULONG bufferBytes) override {
        std::lock_guard<std::mutex> lock(m_device->m_lock);
        if (m_device->m_removed || !m_device->m_hasSerialNumber)
            return false;
        const std::wstring& serial = m_device->m_serialNumber;
        size_t bytes = std::min<size_t>(bufferBytes, serial.size() * sizeof(wchar_t));
        memcpy(buffer, serial.data(), bytes);
        return true;
    }

private:
    std::shared_ptr<FakeHidDevice> m_device;
    HIDP_CAPS m_caps;
};

class FakeInputHandle : public IHidInputDevice {
public:
    explicit FakeInputHandle(std::shared_ptr<FakeHidDevice> device) : m_device(std::move(device)) {
        std::lock_guard<std::mutex> lock(m_device->m_lock);
        ++m_device->m_openInputHandles;
    }
    ~FakeInputHandle() override {
        std::lock_guard<std::mutex> lock(m_device->m_lock);
        --m_device->m_openInputHandles;
    }

    ReadResult ReadReport(BYTE* buffer, DWORD length, DWORD& count, HANDLE stopEvent) override {
        return m_device->Read(buffer, length, count, stopEvent);
    }

private:
    std::shared_ptr<FakeHidDevice> m_device;
};

FakeHidDevice::FakeHidDevice(USHORT vendorId, USHORT productId, USHORT inputReportLength)
    : m_vendorId(vendorId), m_productId(productId),
      m_readAvailable(CreateEventW(nullptr, FALSE, FALSE, nullptr)),
      m_idle(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      m_writeHeld(CreateEventW(nullptr, FALSE, FALSE, nullptr)),
      m_writesReleased(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
    m_caps.InputReportByteLength = inputReportLength;
}

void FakeHidDevice::SetFeatureReport(const Report& report) {
    std::lock_guard<std::mutex> lock(m_lock);
    m_featureReport = report;
}

void FakeHidDevice::SetSerialNumber(const std::wstring& serialNumber) {
    std::lock_guard<std::mutex> lock(m_lock);
    m_hasSerialNumber = true;
    m_serialNumber = serialNumber;
}

void FakeHidDevice::QueueInputReport(const Report& report) {
    std::lock_guard<std::mutex> lock(m_lock);
    m_reads.push_back({false, report});
    ResetEvent(m_idle.get());
    SetEvent(m_readAvailable.get());
}

void FakeHidDevice::QueueFailedRead() {
    std::lock_guard<std::mutex> lock(m_lock);
    m_reads.push_back({true, {}});
    ResetEvent(m_idle.get());
    SetEvent(m_readAvailable.get());
}

bool FakeHidDevice::WaitUntilIdle(DWORD timeoutMs) {
    return WaitForSingleObject(m_idle.get(), timeoutMs) == WAIT_OBJECT_0;
}

void FakeHidDevice::Remove() {
    std::lock_guard<std::mutex> lock(m_lock);
    m_removed = true;
    SetEvent(m_readAvailable.get());
}

void FakeHidDevice::Reinsert() {
    std::lock_guard<std::mutex> lock(m_lock);
    m_removed = false;
}

void FakeHidDevice::HoldFeatureWrites() {
    std::lock_guard<std::mutex> lock(m_lock);
    m_holdingWrites = true;
    ResetEvent(m_writesReleased.get());
}

void FakeHidDevice::ReleaseFeatureWrites() {
    std::lock_guard<std::mutex> lock(m_lock);
    m_holdingWrites = false;
    SetEvent(m_writesReleased.get());
}

bool FakeHidDevice::WaitUntilWriteHeld(DWORD timeoutMs) {
    return WaitForSingleObject(m_writeHeld.get(), timeoutMs) == WAIT_OBJECT_0;
}

IHidInputDevice::ReadResult FakeHidDevice::Read(BYTE* buffer, DWORD length, DWORD& count,
                                                HANDLE stopEvent) {
    for (;;) {
        bool removed;
        {
            std::lock_guard<std::mutex> lock(m_lock);
            removed = m_removed;
            if (!removed && !m_reads.empty()) {
                QueuedRead next = std::move(m_reads.front());
                m_reads.pop_front();
                if (next.fails)
                    return IHidInputDevice::ReadResult::Failed;
                memcpy(buffer, next.report.data(), std::min<size_t>(length, next.report.size()));
                count = static_cast<DWORD>(next.report.size());
                return IHidInputDevice::ReadResult::Report;
            }
            SetEvent(m_idle.get());
        }
        // A removed device's reads never complete: only the stop event ends the wait.
        HANDLE objects[] = {stopEvent, m_readAvailable.get()};
        DWORD wait = WaitForMultipleObjects(removed ? 1 : 2, objects, FALSE, kReadWaitSliceMs);
        if (wait == WAIT_OBJECT_0 || wait == WAIT_FAILED)
            return IHidInputDevice::ReadResult::Stopped;
    }
}

std::vector<FakeHidDevice::Report> FakeHidDevice::WrittenFeatureReports() const {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_written;
}

void FakeHidDevice::ClearWrittenFeatureReports() {
    std::lock_guard<std::mutex> lock(m_lock);
    m_written.clear();
}

int FakeHidDevice::AttributeReads() const {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_attributeReads;
}

int FakeHidDevice::FeatureOpens() const {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_featureOpens;
}

int FakeHidDevice::OpenFeatureHandles() const {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_openFeatureHandles;
}

int FakeHidDevice::OpenInputHandles() const {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_openInputHandles;
}

FakeHidDevice& FakeHidDriver::AddDevice(const std::wstring& path, USHORT vendorId, USHORT productId,
                                        USHORT inputReportLength) {
    std::lock_guard<std::mutex> lock(m_lock);
    auto device = std::make_shared<FakeHidDevice>(vendorId, productId, inputReportLength);
    m_devices[path] = device;
    return *device;
}

std::shared_ptr<FakeHidDevice> FakeHidDriver::Find(const wchar_t* path) {
    std::lock_guard<std::mutex> lock(m_lock);
    auto found = m_devices.find(path);
    if (found == m_devices.end())
        return nullptr;
    std::lock_guard<std::mutex> deviceLock(found->second->m_lock);
    return found->second->m_removed ? nullptr : found->second;
}

bool FakeHidDriver::ReadAttributes(const wchar_t* path, HIDD_ATTRIBUTES& attributes) {
    std::shared_ptr<FakeHidDevice> device = Find(path);
    if (!device)
        return false;
    std::lock_guard<std::mutex> lock(device->m_lock);
    ++device->m_attributeReads;
    attributes = {};
    attributes.Size = sizeof(attributes);
    attributes.VendorID = device->m_vendorId;
    attributes.ProductID = device->m_productId;
    return true;
}

std::unique_ptr<IHidFeatureDevice> FakeHidDriver::OpenFeatureDevice(const wchar_t* path) {
    std::shared_ptr<FakeHidDevice> device = Find(path);
    if (!device)
        return nullptr;
    {
        std::lock_guard<std::mutex> lock(device->m_lock);
        ++device->m_featureOpens;
    }
    return std::make_unique<FakeFeatureHandle>(device);
}

std::unique_ptr<IHidInputDevice> FakeHidDriver::OpenInputDevice(const wchar_t* path) {
    std::shared_ptr<FakeHidDevice> device = Find(path);
    if (!device)
        return nullptr;
    return std::make_unique<FakeInputHandle>(device);
}
