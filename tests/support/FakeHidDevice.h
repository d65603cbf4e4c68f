#pragma once
// A scripted HID device and the driver that opens it by path, for the panels' tests. The test
// sets the ids and the feature report the device answers with, queues input reports for the
// read thread, and reads back every feature report the panel wrote.

#include "common/StringCompare.h"
#include "common/UniqueHandle.h"
#include "panels/HidDevice.h"

#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class FakeHidDevice {
public:
    using Report = std::vector<BYTE>;

    FakeHidDevice(USHORT vendorId, USHORT productId, USHORT inputReportLength);
    FakeHidDevice(const FakeHidDevice&) = delete;
    FakeHidDevice& operator=(const FakeHidDevice&) = delete;

    // What HidD_GetFeature answers (copied into the caller's buffer); fails when empty.
    void SetFeatureReport(const Report& report);
    // What HidD_GetSerialNumberString answers; fails when not set.
    void SetSerialNumber(const std::wstring& serialNumber);

    // One input report for the read thread; its size is the byte count the read returns.
    void QueueInputReport(const Report& report);
    // A read that fails.
    void QueueFailedRead();
    // Waits until every queued report was handled and the read thread waits for the next one.
    bool WaitUntilIdle(DWORD timeoutMs = 5000);

    // Unplugged: opens fail, and a read waits for the stop event only.
    void Remove();
    void Reinsert();

    // A device that hangs in its writes: every feature write from now on waits until released
    // (10 s at most), and is recorded once it ends.
    void HoldFeatureWrites();
    void ReleaseFeatureWrites();
    // Waits until a write is being held.
    bool WaitUntilWriteHeld(DWORD timeoutMs = 5000);

    std::vector<Report> WrittenFeatureReports() const;
    void ClearWrittenFeatureReports();

    int AttributeReads() const;
    int FeatureOpens() const;
    int OpenFeatureHandles() const;
    int OpenInputHandles() const;

private:
    friend class FakeHidDriver;
    friend class FakeFeatureHandle;
    friend class FakeInputHandle;

    struct QueuedRead {
        bool fails;
        Report report;
    };

    IHidInputDevice::ReadResult Read(BYTE* buffer, DWORD length, DWORD& count, HANDLE stopEvent);

    mutable std::mutex m_lock;
    USHORT m_vendorId;
    USHORT m_productId;
    HIDP_CAPS m_caps = {};
    Report m_featureReport;
    bool m_hasSerialNumber = false;
    std::wstring m_serialNumber;
    std::deque<QueuedRead> m_reads;
    std::vector<Report> m_written;
    bool m_removed = false;
    int m_attributeReads = 0;
    int m_featureOpens = 0;
    int m_openFeatureHandles = 0;
    int m_openInputHandles = 0;
    UniqueHandle m_readAvailable; // auto-reset: the queue or the removal changed
    UniqueHandle m_idle;          // manual-reset: nothing queued, a read is waiting
    bool m_holdingWrites = false;
    UniqueHandle m_writeHeld;      // auto-reset: a write waits for its release
    UniqueHandle m_writesReleased; // manual-reset
};

class FakeHidDriver : public IHidDriver {
public:
    // The device answers at `path` and at every spelling of it that differs only in case.
    FakeHidDevice& AddDevice(const std::wstring& path, USHORT vendorId, USHORT productId,
                             USHORT inputReportLength = 4);

    bool ReadAttributes(const wchar_t* path, HIDD_ATTRIBUTES& attributes) override;
    std::unique_ptr<IHidFeatureDevice> OpenFeatureDevice(const wchar_t* path) override;
    std::unique_ptr<IHidInputDevice> OpenInputDevice(const wchar_t* path) override;

private:
    std::shared_ptr<FakeHidDevice> Find(const wchar_t* path);

    std::mutex m_lock;
    std::map<std::wstring, std::shared_ptr<FakeHidDevice>, LessNoCaseW> m_devices;
};
