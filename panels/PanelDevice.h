#pragma once
// One opened HID device of a panel: its feature handle, its read thread and what the panel
// remembers about it. Owned by the panel's device map; closed when destroyed.

#include "common/UniqueHandle.h"
#include "panels/HidDevice.h"
#include "panels/PanelDeviceData.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

class CPanelClass;

class CPanelDevice {
public:
    // A read thread that does not end this long after its stop event is terminated.
    static constexpr DWORD kThreadStopTimeoutMs = 30000;

    CPanelDevice();
    ~CPanelDevice();
    CPanelDevice(const CPanelDevice&) = delete;
    CPanelDevice& operator=(const CPanelDevice&) = delete;

    // Opens the path for `panel`, attaches the device and starts its read thread when the panel
    // reads input. Once per record.
    bool Open(const wchar_t* path, CPanelClass* panel);

    // True when the report differs from the last one given here (or there was none); remembers
    // it.
    bool ReportChanged(const BYTE* bytes, ULONG length);

    LONG GetDeviceValue(DWORD key) const;
    void SetDeviceValue(DWORD key, LONG value);

    // Feature reports reach the device in the order they were made, and no thread holds the
    // panel lock while it writes one. Queued with the panel lock held (a queued report of the same
    // id and length is replaced: only the newest counts); written after it is released, by one
    // thread at a time, which writes until the queue is empty.
    void QueueFeatureReport(const BYTE* report, ULONG length);
    void WriteFeatureReports();

    IHidFeatureDevice& FeatureDevice() { return *m_feature; }
    const HIDP_CAPS& Capabilities() const { return m_caps; }
    std::unique_ptr<IPanelDeviceData>& PanelData() { return m_panelData; }

private:
    static DWORD WINAPI ReadThreadProc(void* record) noexcept;
    void ReadLoop();
    void StopReadThread();

    std::map<DWORD, LONG> m_deviceValues;
    CPanelClass* m_owner = nullptr;
    bool m_attached = false;
    std::wstring m_path;
    std::unique_ptr<IHidFeatureDevice> m_feature;
    UniqueHandle m_readThread;
    UniqueHandle m_stopEvent;
    HIDP_CAPS m_caps = {};
    std::vector<BYTE> m_lastReport;
    bool m_hasLastReport = false;
    std::vector<std::vector<BYTE>> m_queuedReports;
    bool m_writingReports = false;
    std::unique_ptr<IPanelDeviceData> m_panelData;
};
