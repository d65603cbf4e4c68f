#pragma once
// One virtual HID panel: the ids, capabilities and serial number the program's panels look for;
// switch levels that the demo sets and presses, each change delivered to the panel's read
// thread as an input report; and every feature report the panel writes, kept in the log.

#include "common/UniqueHandle.h"
#include "panels/HidDevice.h"
#include "standins/hid-panels/FeatureReportLog.h"

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

struct VirtualPanelDescription {
    const wchar_t* serial;
    USHORT productId;
    USHORT inputReportLength; // 0: the panel sends no input
    USHORT featureReportLength;
    BYTE levels[3]; // bytes 1 to 3 of the input report when the panel is plugged in
};

class CVirtualHidDevice : public std::enable_shared_from_this<CVirtualHidDevice> {
public:
    // Knob steps and button presses start at least this far apart: a hand that turns a knob
    // one step at a time, slower than the radio panel's filter drops steps.
    static constexpr DWORD kPressIntervalMs = 200;

    // A change of the switch levels: within `mask` of input byte `index` (1 to 3), `bits` on
    // and the others off.
    struct LevelChange {
        size_t index;
        BYTE mask;
        BYTE bits;
    };

    CVirtualHidDevice(const VirtualPanelDescription& description, CFeatureReportLog& log);
    CVirtualHidDevice(const CVirtualHidDevice&) = delete;
    CVirtualHidDevice& operator=(const CVirtualHidDevice&) = delete;

    const std::wstring& Serial() const { return m_serial; }
    const std::wstring& Path() const { return m_path; }
    USHORT ProductId() const { return m_productId; }

    std::unique_ptr<IHidFeatureDevice> OpenFeature();
    std::unique_ptr<IHidInputDevice> OpenInput();

    // One input report with the changed levels; true once the panel has handled it (its read
    // thread came back for the next report), false when no panel has the device open, or its
    // read thread did not start or take the report within the time-out.
    bool Switch(const std::vector<LevelChange>& changes, DWORD timeoutMs);
    // `count` presses of `bits` of input byte `index`: a report with them set, then one with
    // them clear again. True once the panel has handled every report.
    bool Press(size_t index, BYTE bits, int count, DWORD timeoutMs);

private:
    friend class CVirtualFeatureHandle;
    friend class CVirtualInputHandle;

    using Report = std::vector<BYTE>;

    // Report id 0 and the levels: every input report, and the feature report read at attach.
    Report CurrentReport() const; // with m_lock held
    bool Deliver(Report report, DWORD timeoutMs);
    IHidInputDevice::ReadResult Read(BYTE* buffer, DWORD length, DWORD& count, HANDLE stopEvent);
    void ReaderClosed();
    void WaitForPressInterval();

    const std::wstring m_serial;
    const std::wstring m_path;
    const USHORT m_productId;
    HIDP_CAPS m_caps = {};
    CFeatureReportLog& m_log;

    mutable std::mutex m_lock;
    // Signalled when a report was handled or dropped, and when a handle opened or closed.
    std::condition_variable m_changed;
    BYTE m_levels[3];
    // Reports are numbered as queued and taken in that order.
    std::deque<std::pair<ULONGLONG, Report>> m_queue;
    int m_openFeatureHandles = 0; // the device is open: a panel has it
    int m_readers = 0;
    ULONGLONG m_queued = 0;   // the number of the last report queued
    ULONGLONG m_taken = 0;    // of the last one the read thread took
    ULONGLONG m_finished = 0; // of the last one it handled: it came back for the next one
    ULONGLONG m_dropped = 0;  // reports up to this one were left when the last reader closed
    ULONGLONG m_lastPress = 0;
    UniqueHandle m_reportQueued; // auto-reset
};
