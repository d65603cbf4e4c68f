#include "standins/nuvex-service/StandinService.h"

#include "standins/nuvex-service/StandinDeviceWriter.h"
#include "standins/nuvex-service/StandinRequestHandler.h"
#include "standins/nuvex-service/StandinText.h"
#include "standins/nuvex-service/StandinWire.h"

#include <algorithm>
#include <chrono>
#include <cstring>

using namespace StandinWire;

namespace {

// Context ids of the service's own requests start here, far from the client's, so a reply of the
// client never shares an id with one of its requests still being assembled.
constexpr DWORD kFirstContextId = 0x80000000;
constexpr DWORD kDeviceBodySize = 48;
constexpr DWORD kNotificationBodySize = 24;
constexpr DWORD kNotificationReplySize = 4;

StandinDeviceConfig MakeConfig(const std::wstring& serial, const GUID& type, BYTE kind) {
    StandinDeviceConfig config;
    config.serial = serial;
    config.type = type;
    DWORD hash = 2166136261u; // FNV-1a over the serial's characters
    for (const wchar_t c : serial) {
        hash ^= static_cast<DWORD>(c);
        hash *= 16777619u;
    }
    WriteU32(config.id.data(), hash);
    const char tag[] = "ZanNvx-dev";
    std::memcpy(config.id.data() + 4, tag, sizeof(tag) - 1);
    config.id[14] = kind;
    config.id[15] = 0x01;
    BYTE instance[16];
    for (size_t i = 0; i < sizeof(instance); ++i)
        instance[i] = static_cast<BYTE>(config.id[i] ^ 0x5A);
    std::memcpy(&config.instance, instance, sizeof(config.instance));
    return config;
}

std::vector<BYTE> DeviceBody(const StandinDeviceConfig& config) {
    std::vector<BYTE> body(config.id.begin(), config.id.end());
    const auto* type = reinterpret_cast<const BYTE*>(&config.type);
    body.insert(body.end(), type, type + sizeof(config.type));
    body.insert(body.end(), config.furtherData.begin(), config.furtherData.end());
    return body;
}

} // namespace

StandinDeviceConfig StandinDeviceConfig::Joystick(const std::wstring& serial) {
    return MakeConfig(serial, kStandinJoystickType, 'J');
}

StandinDeviceConfig StandinDeviceConfig::Panel(const std::wstring& serial) {
    return MakeConfig(serial, kStandinPanelType, 'P');
}

CStandinService::CStandinService() = default;

CStandinService::~CStandinService() {
    Stop();
}

bool CStandinService::Start(const StandinServiceOptions& options) {
    {
        std::lock_guard lock(m_lock);
        m_options = options;
        m_connectionCount = 0;
    }
    return m_pipe.Start(options.pipeName);
}

void CStandinService::Stop() {
    m_pipe.Stop();
}

void CStandinService::AddDevice(const StandinDeviceConfig& config) {
    std::lock_guard lock(m_lock);
    StandinDeviceState device;
    device.config = config;
    if (StandinDeviceState* existing = FindDevice(config.serial))
        *existing = device;
    else
        m_devices.push_back(device);
    NotifyChanged();
}

void CStandinService::ClearDevices() {
    std::lock_guard lock(m_lock);
    m_devices.clear();
    NotifyChanged();
}

void CStandinService::SetResult(DWORD message, HRESULT result) {
    std::lock_guard lock(m_lock);
    m_results[message] = result;
}

void CStandinService::SetReplyData(DWORD message, std::vector<BYTE> replyData) {
    std::lock_guard lock(m_lock);
    m_replyData[message] = std::move(replyData);
}

void CStandinService::SetNoReply(DWORD message, bool noReply) {
    std::lock_guard lock(m_lock);
    if (noReply)
        m_noReply.insert(message);
    else
        m_noReply.erase(message);
}

void CStandinService::ClearReplyRules() {
    std::lock_guard lock(m_lock);
    m_results.clear();
    m_replyData.clear();
    m_noReply.clear();
}

void CStandinService::Freeze() {
    m_pipe.Pause();
}

void CStandinService::Resume() {
    m_pipe.Resume();
}

bool CStandinService::IsFrozen() const {
    return m_pipe.IsPaused();
}

// Pipe events, all on the server thread.

void CStandinService::OnClientConnected() {
    ULONG processId = 0;
    DWORD session = 0;
    const bool knowsTerminal =
        m_pipe.ClientProcessId(processId) && ProcessIdToSessionId(processId, &session);
    std::vector<std::pair<DWORD, std::vector<BYTE>>> arrivals;
    {
        std::lock_guard lock(m_lock);
        m_connected = true;
        ++m_connectionCount;
        m_assembler.Reset();
        m_clientTerminal = knowsTerminal ? std::optional<DWORD>(session) : std::nullopt;
        for (StandinDeviceState& device : m_devices) {
            device.arrivalResult.reset();
            if (!device.present || !device.config.announceOnConnect)
                continue;
            const DWORD contextId = NextContextId();
            m_pending[contextId] = PendingRequest{17, device.config.id, true, false, false, {}};
            arrivals.emplace_back(contextId, DeviceBody(device.config));
        }
        NotifyChanged();
    }
    // The replies come back through the read loop, so the arrivals are only sent from here.
    for (const auto& [contextId, body] : arrivals)
        WriteTransfer(contextId, kTypeRequest, 17, body, kNotificationReplySize);
}

void CStandinService::OnClientDisconnected() {
    std::lock_guard lock(m_lock);
    m_connected = false;
    m_clientTerminal.reset();
    m_assembler.Reset();
    for (auto it = m_pending.begin(); it != m_pending.end();) {
        if (it->second.detached) {
            it = m_pending.erase(it);
        } else {
            it->second.abandoned = true;
            ++it;
        }
    }
    NotifyChanged();
}

void CStandinService::OnPipeFault(const std::wstring& text) {
    std::lock_guard lock(m_lock);
    m_faults.push_back(text);
    NotifyChanged();
}

void CStandinService::OnMessage(const BYTE* data, size_t size) {
    std::unique_lock lock(m_lock);
    std::optional<StandinTransfer> transfer = m_assembler.AddPacket(data, size, m_faults);
    if (!transfer) {
        NotifyChanged();
        return;
    }
    if (transfer->type == kTypeReply)
        OnReply(*transfer);
    else
        OnRequest(*transfer, lock);
}

void CStandinService::OnReply(const StandinTransfer& transfer) {
    const auto found = m_pending.find(transfer.contextId);
    if (found == m_pending.end()) {
        m_faults.push_back(StandinFormat(L"reply (message %u) to transfer %u, which is not pending",
                                         transfer.message, transfer.contextId));
        NotifyChanged();
        return;
    }
    PendingRequest& pending = found->second;
    if (transfer.message != pending.message)
        m_faults.push_back(StandinFormat(L"reply to transfer %u carries message %u, not %u",
                                         transfer.contextId, transfer.message, pending.message));
    if (transfer.replyCapacity != 0)
        m_faults.push_back(StandinFormat(L"reply to transfer %u has cbOut %u", transfer.contextId,
                                         transfer.replyCapacity));
    pending.answered = true;
    pending.reply = transfer.data;
    if (pending.message == 17) {
        for (StandinDeviceState& device : m_devices) {
            if (device.config.id == pending.deviceId && pending.reply.size() >= 4)
                device.arrivalResult = static_cast<HRESULT>(ReadU32(pending.reply.data()));
        }
    }
    if (pending.detached)
        m_pending.erase(found);
    NotifyChanged();
}

void CStandinService::OnRequest(const StandinTransfer& transfer,
                                std::unique_lock<std::mutex>& lock) {
    StandinRequest request{transfer.message, transfer.contextId, transfer.replyCapacity,
                           transfer.data};
    m_requests.push_back(request);
    ++m_requestCounts[request.message];
    if (m_options.requestRecordLimit != 0 && m_requests.size() > m_options.requestRecordLimit)
        m_requests.pop_front();
    const auto forced = m_results.find(request.message);
    StandinHandledRequest handled = CStandinRequestHandler::Handle(
        request, m_devices,
        forced == m_results.end() ? std::nullopt : std::optional<HRESULT>(forced->second),
        m_clientTerminal, m_faults);
    if (const auto data = m_replyData.find(request.message); data != m_replyData.end())
        handled.reply = data->second;
    const bool reply = m_noReply.count(request.message) == 0;
    std::optional<StandinDeviceState> shown;
    if (handled.shownChanged && !m_liveFolder.empty())
        shown = *handled.shownChanged;
    const std::wstring liveFolder = m_liveFolder;
    NotifyChanged();
    lock.unlock();

    if (reply && !WriteTransfer(request.contextId, kTypeReply, request.message, handled.reply, 0))
        OutputDebugStringW(L"CStandinService - reply could not be written\n");
    if (shown)
        WriteLiveOutput(liveFolder, *shown, handled.changedLine);
}

bool CStandinService::WriteTransfer(DWORD contextId, BYTE type, DWORD message,
                                    const std::vector<BYTE>& data, DWORD replyCapacity) {
    DWORD timeoutMs = 0;
    {
        std::lock_guard lock(m_lock);
        timeoutMs = m_options.writeTimeoutMs;
    }
    for (const auto& packet :
         CStandinTransferAssembler::BuildPackets(contextId, type, message, data, replyCapacity)) {
        if (!m_pipe.Write(packet.data(), packet.size(), timeoutMs))
            return false;
    }
    return true;
}

DWORD CStandinService::NextContextId() {
    do {
        m_lastContextId = m_lastContextId < kFirstContextId || m_lastContextId == 0xFFFFFFFF
                              ? kFirstContextId
                              : m_lastContextId + 1;
    } while (m_pending.count(m_lastContextId) != 0);
    return m_lastContextId;
}

void CStandinService::NotifyChanged() {
    ++m_generation;
    m_changed.notify_all();
}

// Commands.

HRESULT CStandinService::SendRequest(DWORD message, const std::vector<BYTE>& body,
                                     DWORD replyCapacity, std::vector<BYTE>* reply,
                                     DWORD timeoutMs) {
    DWORD contextId = 0;
    {
        std::lock_guard lock(m_lock);
        if (!m_connected)
            return kStandinNotConnected;
        contextId = NextContextId();
        PendingRequest pending;
        pending.message = message;
        if (body.size() >= pending.deviceId.size())
            std::memcpy(pending.deviceId.data(), body.data(), pending.deviceId.size());
        m_pending[contextId] = pending;
    }
    const bool written = WriteTransfer(contextId, kTypeRequest, message, body, replyCapacity);

    std::unique_lock lock(m_lock);
    if (written) {
        m_changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] {
            const PendingRequest& pending = m_pending[contextId];
            return pending.answered || pending.abandoned;
        });
    }
    const PendingRequest pending = m_pending[contextId];
    m_pending.erase(contextId);
    if (!pending.answered)
        return pending.abandoned || !m_connected ? kStandinNotConnected : kStandinNoReply;
    if (reply)
        *reply = pending.reply;
    if (pending.reply.size() < 4)
        return kStandinReplyWithoutResult;
    return static_cast<HRESULT>(ReadU32(pending.reply.data()));
}

bool CStandinService::SendRawPacket(const std::vector<BYTE>& packet) {
    DWORD timeoutMs = 0;
    {
        std::lock_guard lock(m_lock);
        timeoutMs = m_options.writeTimeoutMs;
    }
    return m_pipe.Write(packet.data(), packet.size(), timeoutMs);
}

std::vector<std::vector<BYTE>> CStandinService::BuildPackets(DWORD contextId, BYTE type,
                                                             DWORD message,
                                                             const std::vector<BYTE>& data,
                                                             DWORD replyCapacity) {
    return CStandinTransferAssembler::BuildPackets(contextId, type, message, data, replyCapacity);
}

HRESULT CStandinService::AnnounceDevice(const std::wstring& serial, DWORD timeoutMs) {
    std::vector<BYTE> body;
    {
        std::lock_guard lock(m_lock);
        StandinDeviceState* device = FindDevice(serial);
        if (!device)
            return kStandinUnknownDevice;
        device->present = true; // requests made while the client takes it in must find it
        device->arrivalResult.reset();
        body = DeviceBody(device->config);
        NotifyChanged();
    }
    return SendRequest(17, body, kNotificationReplySize, nullptr, timeoutMs);
}

HRESULT CStandinService::RemoveDevice(const std::wstring& serial, DWORD timeoutMs) {
    std::vector<BYTE> body;
    {
        std::lock_guard lock(m_lock);
        const StandinDeviceState* device = FindDevice(serial);
        if (!device)
            return kStandinUnknownDevice;
        body = DeviceBody(device->config);
    }
    // The device stays addressable until the client has answered: its removal handling may still
    // send requests for it.
    const HRESULT result = SendRequest(18, body, kNotificationReplySize, nullptr, timeoutMs);
    std::lock_guard lock(m_lock);
    if (StandinDeviceState* device = FindDevice(serial))
        device->present = false;
    NotifyChanged();
    return result;
}

HRESULT CStandinService::PressSoftButtons(const std::wstring& serial, DWORD bits, DWORD timeoutMs) {
    return DeviceRequest(serial, 19, 0, bits, timeoutMs);
}

HRESULT CStandinService::ChangePage(const std::wstring& serial, DWORD page, DWORD state,
                                    DWORD timeoutMs) {
    return DeviceRequest(serial, 20, page, state, timeoutMs);
}

HRESULT CStandinService::DeviceRequest(const std::wstring& serial, DWORD message, DWORD value16,
                                       DWORD value20, DWORD timeoutMs) {
    std::vector<BYTE> body(kNotificationBodySize);
    std::optional<StandinDeviceState> shown;
    std::wstring liveFolder;
    {
        std::lock_guard lock(m_lock);
        StandinDeviceState* device = FindDevice(serial);
        if (!device)
            return kStandinUnknownDevice;
        std::memcpy(body.data(), device->config.id.data(), device->config.id.size());
        WriteU32(body.data() + 16, value16);
        WriteU32(body.data() + 20, value20);
        if (message == 19) {
            device->lastButtons = value20;
        } else if (value20 == 1) {
            device->activePage = value16;
        } else if (device->activePage == value16) {
            device->activePage.reset();
        }
        if (message == 20 && !m_liveFolder.empty()) {
            shown = *device;
            liveFolder = m_liveFolder;
        }
        NotifyChanged();
    }
    if (shown)
        WriteLiveOutput(liveFolder, *shown, std::nullopt);
    return SendRequest(message, body, kNotificationReplySize, nullptr, timeoutMs);
}

// State.

StandinDeviceState* CStandinService::FindDevice(const std::wstring& serial) {
    const auto found = std::find_if(m_devices.begin(), m_devices.end(), [&](const auto& device) {
        return device.config.serial == serial;
    });
    return found == m_devices.end() ? nullptr : &*found;
}

const StandinDeviceState* CStandinService::FindDevice(const std::wstring& serial) const {
    return const_cast<CStandinService*>(this)->FindDevice(serial);
}

bool CStandinService::IsConnected() const {
    std::lock_guard lock(m_lock);
    return m_connected;
}

DWORD CStandinService::ConnectionCount() const {
    std::lock_guard lock(m_lock);
    return m_connectionCount;
}

std::optional<StandinDeviceState> CStandinService::Device(const std::wstring& serial) const {
    std::lock_guard lock(m_lock);
    const StandinDeviceState* device = FindDevice(serial);
    return device ? std::optional<StandinDeviceState>(*device) : std::nullopt;
}

std::vector<StandinDeviceState> CStandinService::Devices() const {
    std::lock_guard lock(m_lock);
    return m_devices;
}

std::wstring CStandinService::ShownLine(const std::wstring& serial, DWORD line) const {
    std::lock_guard lock(m_lock);
    const StandinDeviceState* device = FindDevice(serial);
    if (!device || !device->activePage)
        return {};
    const auto page = device->pages.find(*device->activePage);
    if (page == device->pages.end())
        return {};
    const auto text = page->second.lines.find(line);
    return text == page->second.lines.end() ? std::wstring() : text->second;
}

std::vector<StandinRequest> CStandinService::Requests() const {
    std::lock_guard lock(m_lock);
    return std::vector<StandinRequest>(m_requests.begin(), m_requests.end());
}

std::vector<StandinRequest> CStandinService::Requests(DWORD message) const {
    std::lock_guard lock(m_lock);
    std::vector<StandinRequest> matching;
    std::copy_if(m_requests.begin(), m_requests.end(), std::back_inserter(matching),
                 [&](const StandinRequest& request) { return request.message == message; });
    return matching;
}

void CStandinService::ClearRequests() {
    std::lock_guard lock(m_lock);
    m_requests.clear();
    m_requestCounts.clear();
}

std::vector<std::wstring> CStandinService::Faults() const {
    std::lock_guard lock(m_lock);
    return m_faults;
}

void CStandinService::ClearFaults() {
    std::lock_guard lock(m_lock);
    m_faults.clear();
}

// Waits.

bool CStandinService::WaitFor(const std::function<bool()>& condition, DWORD timeoutMs) const {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    std::unique_lock lock(m_lock);
    for (;;) {
        const uint64_t seen = m_generation;
        lock.unlock();
        const bool met = condition();
        lock.lock();
        if (met)
            return true;
        if (!m_changed.wait_until(lock, deadline, [&] { return m_generation != seen; }))
            return false;
    }
}

bool CStandinService::WaitForConnection(DWORD timeoutMs) const {
    return WaitFor([this] { return IsConnected(); }, timeoutMs);
}

bool CStandinService::WaitForDisconnection(DWORD timeoutMs) const {
    return WaitFor([this] { return !IsConnected(); }, timeoutMs);
}

bool CStandinService::WaitForRequest(DWORD message, size_t count, DWORD timeoutMs) const {
    return WaitFor(
        [&] {
            std::lock_guard lock(m_lock);
            const auto found = m_requestCounts.find(message);
            return found != m_requestCounts.end() && found->second >= count;
        },
        timeoutMs);
}

bool CStandinService::WaitForLine(const std::wstring& serial, DWORD line, const std::wstring& text,
                                  DWORD timeoutMs) const {
    return WaitFor([&] { return ShownLine(serial, line) == text; }, timeoutMs);
}

bool CStandinService::WaitForArrivals(DWORD timeoutMs) const {
    return WaitFor(
        [this] {
            std::lock_guard lock(m_lock);
            const bool pending = std::any_of(m_pending.begin(), m_pending.end(), [](const auto& p) {
                return p.second.message == 17 && !p.second.answered;
            });
            return m_connected && !pending;
        },
        timeoutMs);
}

// Files.

bool CStandinService::WriteDeviceFiles(const std::wstring& folder) const {
    bool written = true;
    for (const StandinDeviceState& device : Devices())
        written = CStandinDeviceWriter::WriteDevice(folder, device) && written;
    return written;
}

void CStandinService::SetLiveOutputFolder(const std::wstring& folder) {
    std::lock_guard lock(m_lock);
    m_liveFolder = folder;
}

void CStandinService::WriteLiveOutput(const std::wstring& folder, const StandinDeviceState& device,
                                      std::optional<std::pair<DWORD, DWORD>> changedLine) const {
    CStandinDeviceWriter::WriteDevice(folder, device);
    if (changedLine)
        CStandinDeviceWriter::AppendLine(folder, device, changedLine->first, changedLine->second);
}
