#pragma once
// The library object: the registry of the devices the service announced, the transfer client
// that reaches the service, and the process-running event.
//
// Records are shared: the registry holds one reference, and every export holds one while it
// works with the device, so a device removed meanwhile is freed only when the last user is done.
//
// Handles come from a counter, never from an address: a handle is never handed out twice in the
// life of the library, so a stale one is refused rather than reaching another device.
//
// No callback runs under the registry lock, which every export takes for its lookup: a callback
// that waits on the service holds up nobody else. Arrivals and removals (with their device
// callbacks) and enumerations run one at a time under a lock of their own, so the registry
// holds still for an enumeration and a device's arrival is told before its removal.

#include "common/UniqueHandle.h"
#include "nuvex/api/DeviceRecord.h"
#include "nuvex/api/MessageBuffer.h"
#include "nuvex/api/Nuvex.h"
#include "nuvex/protocol/IRecieveMessages.h"
#include "nuvex/protocol/TransferPipeClient.h"

#include <map>
#include <memory>
#include <mutex>

class CDeviceList : public IRecieveMessages {
public:
    static constexpr DWORD kRequestTimeoutMs = 5000;

    CDeviceList();
    ~CDeviceList() override;
    CDeviceList(const CDeviceList&) = delete;
    CDeviceList& operator=(const CDeviceList&) = delete;

    void OnConnect(PipeSourceToken) override {}
    void OnDisconnect(PipeSourceToken) override {}
    DWORD RecieveMessage(PipeSourceToken source, DWORD dwMessage, DWORD cbIn, const BYTE* data,
                         DWORD replyCapacity, BYTE* reply) override;

    // The record of a registered handle, or null.
    std::shared_ptr<CDeviceRecord> Lookup(NuvexDevice device) const;

    // What every export that names a device does first: runs `work` with the device's record,
    // held until the work is done, and returns its result; E_HANDLE without running it for an
    // unregistered handle. WithDevice refuses the all-zero id too, WithAnyDevice takes it.
    template <typename Work> HRESULT WithDevice(NuvexDevice device, Work&& work) const {
        return WithRecord(device, true, work);
    }
    template <typename Work> HRESULT WithAnyDevice(NuvexDevice device, Work&& work) const {
        return WithRecord(device, false, work);
    }

    // Waits for a device callback that is running: it is never replaced while it runs.
    void SetDeviceCallback(DeviceCallback callback, void* context);
    // Calls the callback for every registered device in ascending handle order, with no device
    // arriving or leaving meanwhile.
    void Enumerate(EnumerateCallback callback, void* context) const;

    bool Connect();
    // Ends the connection: requests fail from the start of it, and it returns with no handler
    // of the service's requests (and so no callback) running, within one request time-out and
    // the reader's own bound.
    void Disconnect();
    // One request with the 5000 ms time-out; reply holds the reply's data. False when the
    // request was not answered.
    bool Send(DWORD dwMessage, const CMessageBuffer& body, CMessageBuffer& reply);

private:
    template <typename Work>
    HRESULT WithRecord(NuvexDevice device, bool requireId, Work& work) const {
        const std::shared_ptr<CDeviceRecord> record = Lookup(device);
        if (!record || (requireId && record->HasZeroId()))
            return E_HANDLE;
        return work(*record);
    }

    // Handles start far from small numbers, which a caller may pass by mistake.
    static constexpr UINT_PTR kFirstHandle = 0x4E560000;

    HRESULT OnDeviceArrived(const BYTE* body);
    HRESULT OnDeviceRemoved(const BYTE* body);
    HRESULT OnNotification(DWORD dwMessage, const BYTE* body);
    std::shared_ptr<CDeviceRecord> FindById(const BYTE* id) const;

    std::map<DeviceId, std::shared_ptr<CDeviceRecord>> m_byId;
    std::map<UINT_PTR, std::shared_ptr<CDeviceRecord>> m_byHandle;
    UINT_PTR m_lastHandle = kFirstHandle;
    std::unique_ptr<CTransferPipeClient> m_client;
    UniqueHandle m_processRunning;
    // The registry lock: the maps, the handle counter and the device callback; held only for
    // moments, never while a callback runs.
    mutable std::recursive_mutex m_lock;
    // Arrivals, removals and enumerations, with their callbacks; taken before m_lock.
    mutable std::recursive_mutex m_announcementLock;
    DeviceCallback m_deviceCallback = nullptr;
    void* m_deviceContext = nullptr;
};
