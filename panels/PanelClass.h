#pragma once
// The base of the HID panels: device recognition and the device map, simulator definitions,
// event transmission, the shared power rule and the "NoTransmit" switch.

#include "common/StringCompare.h"
#include "panels/HidDevice.h"
#include "panels/PanelDevice.h"
#include "panels/PanelSimConnect.h"

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

// The six power items at the head of the radio and multi panels' data blocks.
struct PanelPowerItems {
    INT32 avionicsMaster;
    INT32 battery;
    INT32 alternator[4];
};

// One datum of a panel's data definition, with the label its failure is traced under.
struct PanelDatum {
    const char* name;
    const char* units;
    simconnect::DataType type;
    float epsilon;
    const wchar_t* label;
};

class CPanelClass {
public:
    // Called by the application on the main thread.
    void OnDeviceArrival(const wchar_t* path);
    void OnDeviceRemoval(const wchar_t* path);
    void OnSimStart();
    void CloseAllDevices();

    bool IsTransmitting() const { return m_transmit; }
    LONG DefineId() const { return m_defineid; }

protected:
    // The program's panels use the Windows HID driver and the process-wide simulator binding.
    CPanelClass(IHidDriver& hid, IPanelSimConnect& simConnect);
    // Derived destructors close their devices: detaching needs the derived panel.
    virtual ~CPanelClass() = default;
    CPanelClass(const CPanelClass&) = delete;
    CPanelClass& operator=(const CPanelClass&) = delete;

    // The panel's own operations, in this order.
    virtual bool IsPanelDevice(const wchar_t* path) = 0;
    virtual bool NeedsReadThread() { return true; }

public:
    // The page counter is the application's; panels ignore it.
    virtual void OnSimInitialize(DWORD& pageCounter) = 0;
    // Ignores request ids other than the panel's definition id, and blocks of another size than
    // the panel's data block.
    virtual void OnSimRecieveData(DWORD requestId, const void* data, DWORD size) = 0;

protected:
    // The device was opened, and it is about to be closed; no read thread runs for it then. Called
    // without the panel lock: a panel takes it for its data block and the device's values and
    // reports, and talks to the device without it.
    virtual void OnDeviceAttached(CPanelDevice& device) = 0;
    virtual void OnDeviceDetached(CPanelDevice& device) = 0;
    // Runs on the device's read thread.
    virtual void OnInputReport(CPanelDevice& device, DWORD count, const BYTE* previous,
                               const BYTE* current) = 0;

    struct PendingEvent {
        DWORD id;
        DWORD data;
    };
    using PendingEvents = std::vector<PendingEvent>;

    // The data step every panel takes: under the panel lock, a block that is this panel's, has
    // the size of `stored` and differs from it replaces it, and then `refresh` runs for every
    // open device; the reports it queued are written once the lock is released.
    template <typename Data, typename Refresh>
    void ReceiveData(DWORD requestId, const void* block, DWORD size, Data& stored,
                     Refresh refresh) {
        if (size != sizeof(Data))
            return;
        {
            std::lock_guard<std::mutex> lock(m_lock);
            if (!StoreData(requestId, block, &stored, sizeof(Data)))
                return;
            ForEachDevice(refresh);
        }
        ForEachDevice([](CPanelDevice& device) { device.WriteFeatureReports(); });
    }

    // The input step every reading panel takes: `decide` gathers the events and queues the
    // device's reports under the panel lock; the reports are written and the events transmitted
    // once it is released.
    template <typename Decide> void HandleInput(CPanelDevice& device, Decide decide) {
        PendingEvents events;
        {
            std::lock_guard<std::mutex> lock(m_lock);
            decide(events);
        }
        device.WriteFeatureReports();
        TransmitEvents(events);
    }

    // The bits of byte `index` of an input report that were clear in the previous report.
    static BYTE NewlySet(const BYTE* previous, const BYTE* current, int index) {
        return static_cast<BYTE>(current[index] & ~previous[index]);
    }

    bool IsDeviceOfProduct(const wchar_t* path, USHORT productId);

    void TransmitEvent(DWORD id, DWORD data);
    // Events gathered under the panel lock are sent after it is released.
    void TransmitEvents(const PendingEvents& events);

    void AddPowerDefinitions(DWORD& counter);
    // Adds the datums in order, each taking the counter's value as its id; traces and stops at
    // the first failure, returning false.
    bool AddDatums(const PanelDatum* datums, size_t count, DWORD& counter);
    void MapEvents(const char* const* names, DWORD* ids, size_t count);
    void SetPriority();

    static bool IsAvionicsPowered(const PanelPowerItems& power);

    // The receiving pattern, with the panel lock held: true when the block is this panel's
    // and differs from the stored one, which it then replaces.
    bool StoreData(DWORD requestId, const void* block, void* stored, size_t size);

    template <typename Fn> void ForEachDevice(Fn fn) {
        for (auto& entry : m_devices)
            fn(*entry.second);
    }

    IPanelSimConnect& SimConnect() { return m_simConnect; }

    // Guards the data block and, for each device, its values, last report and queued reports
    // between the read threads and the main thread. Never held while the device or the simulator
    // is called: a read thread that has to be terminated cannot hold it.
    std::mutex& PanelLock() { return m_lock; }

    LONG m_defineid = 0;

private:
    friend class CPanelDevice;

    IHidDriver& m_hid;
    IPanelSimConnect& m_simConnect;
    std::map<std::wstring, std::unique_ptr<CPanelDevice>, LessNoCaseW> m_devices;
    bool m_transmit;
    std::mutex m_lock;
};
