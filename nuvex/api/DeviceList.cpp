#include "nuvex/api/DeviceList.h"

#include <cstring>
#include <new>
#include <vector>

namespace {

constexpr DWORD kMessageDeviceArrived = 17;
constexpr DWORD kMessageDeviceRemoved = 18;
constexpr DWORD kMessageSoftButtons = 19;
constexpr DWORD kMessagePageChange = 20;
constexpr DWORD kNotificationBytes = 24;

DeviceId ReadId(const BYTE* body) {
    DeviceId id{};
    std::memcpy(id.data(), body, id.size());
    return id;
}

DWORD ReadDword(const BYTE* body, DWORD offset) {
    DWORD value = 0;
    std::memcpy(&value, body + offset, sizeof(value));
    return value;
}

} // namespace

CDeviceList::CDeviceList()
    : m_client(std::make_unique<CTransferPipeClient>()),
      m_processRunning(
          CreateEventW(nullptr, FALSE, FALSE, L"Harmel_Nuvex_PageManager_Process_Running")) {}

CDeviceList::~CDeviceList() {
    // Handler threads use the registry until the transfer client has seen them end.
    m_client.reset();
}

DWORD CDeviceList::RecieveMessage(PipeSourceToken, DWORD dwMessage, DWORD cbIn, const BYTE* data,
                                  DWORD replyCapacity, BYTE* reply) {
    if (dwMessage < kMessageDeviceArrived || dwMessage > kMessagePageChange)
        return 0;
    if (replyCapacity != sizeof(HRESULT) || reply == nullptr)
        return 0;
    const bool announcement =
        dwMessage == kMessageDeviceArrived || dwMessage == kMessageDeviceRemoved;
    const DWORD expected = announcement ? CDeviceRecord::kAnnouncementBytes : kNotificationBytes;
    HRESULT result = E_UNEXPECTED;
    if (cbIn == expected) {
        switch (dwMessage) {
        case kMessageDeviceArrived:
            result = OnDeviceArrived(data);
            break;
        case kMessageDeviceRemoved:
            result = OnDeviceRemoved(data);
            break;
        default:
            result = OnNotification(dwMessage, data);
            break;
        }
    }
    std::memcpy(reply, &result, sizeof(result));
    return sizeof(result);
}

HRESULT CDeviceList::OnDeviceArrived(const BYTE* body) {
    std::lock_guard announcements(m_announcementLock);
    std::shared_ptr<CDeviceRecord> record;
    DeviceCallback callback = nullptr;
    void* context = nullptr;
    {
        std::lock_guard lock(m_lock);
        const DeviceId id = ReadId(body);
        if (m_byId.find(id) != m_byId.end())
            return E_HANDLE;
        const auto handle = reinterpret_cast<NuvexDevice>(++m_lastHandle);
        record.reset(new (std::nothrow) CDeviceRecord(body, handle));
        if (!record)
            return E_OUTOFMEMORY;
        m_byId[id] = record;
        m_byHandle[reinterpret_cast<UINT_PTR>(handle)] = record;
        callback = m_deviceCallback;
        context = m_deviceContext;
    }
    if (callback != nullptr)
        callback(record->Handle(), 1, context);
    return S_OK;
}

HRESULT CDeviceList::OnDeviceRemoved(const BYTE* body) {
    std::lock_guard announcements(m_announcementLock);
    std::shared_ptr<CDeviceRecord> record;
    DeviceCallback callback = nullptr;
    void* context = nullptr;
    {
        std::lock_guard lock(m_lock);
        const auto found = m_byId.find(ReadId(body));
        if (found == m_byId.end())
            return E_HANDLE;
        record = found->second;
        callback = m_deviceCallback;
        context = m_deviceContext;
    }
    record->BeginRemoval();
    // Still registered while the callback runs: the departing handle still works there.
    if (callback != nullptr)
        callback(record->Handle(), 0, context);
    std::lock_guard lock(m_lock);
    m_byHandle.erase(reinterpret_cast<UINT_PTR>(record->Handle()));
    m_byId.erase(record->Id());
    return S_OK;
}

HRESULT CDeviceList::OnNotification(DWORD dwMessage, const BYTE* body) {
    const std::shared_ptr<CDeviceRecord> record = FindById(body);
    if (!record)
        return E_HANDLE;
    const bool told = dwMessage == kMessageSoftButtons
                          ? record->NotifySoftButtons(ReadDword(body, 20))
                          : record->NotifyPage(ReadDword(body, 16), ReadDword(body, 20) == 1);
    return told ? S_OK : E_HANDLE;
}

std::shared_ptr<CDeviceRecord> CDeviceList::FindById(const BYTE* id) const {
    std::lock_guard lock(m_lock);
    const auto found = m_byId.find(ReadId(id));
    return found == m_byId.end() ? nullptr : found->second;
}

std::shared_ptr<CDeviceRecord> CDeviceList::Lookup(NuvexDevice device) const {
    std::lock_guard lock(m_lock);
    const auto found = m_byHandle.find(reinterpret_cast<UINT_PTR>(device));
    return found == m_byHandle.end() ? nullptr : found->second;
}

void CDeviceList::SetDeviceCallback(DeviceCallback callback, void* context) {
    std::lock_guard announcements(m_announcementLock);
    std::lock_guard lock(m_lock);
    m_deviceCallback = callback;
    m_deviceContext = context;
}

void CDeviceList::Enumerate(EnumerateCallback callback, void* context) const {
    std::lock_guard announcements(m_announcementLock);
    std::vector<NuvexDevice> handles;
    {
        std::lock_guard lock(m_lock);
        handles.reserve(m_byHandle.size());
        for (const auto& [handle, record] : m_byHandle)
            handles.push_back(record->Handle());
    }
    for (const NuvexDevice handle : handles)
        callback(handle, context);
}

bool CDeviceList::Connect() {
    return m_client->Connect(this);
}

void CDeviceList::Disconnect() {
    m_client->Disconnect(kRequestTimeoutMs);
}

bool CDeviceList::Send(DWORD dwMessage, const CMessageBuffer& body, CMessageBuffer& reply) {
    const HRESULT unanswered = E_UNEXPECTED;
    reply.PutDword(0, static_cast<DWORD>(unanswered));
    DWORD replyBytes = 0;
    return m_client->Transmit(0, dwMessage, body.Size(), body.Size() != 0 ? body.Data() : nullptr,
                              reply.Size(), reply.Data(), &replyBytes, kRequestTimeoutMs);
}
