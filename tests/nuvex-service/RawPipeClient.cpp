#include "tests/nuvex-service/RawPipeClient.h"

#include <algorithm>
#include <chrono>
#include <cstring>

namespace {

constexpr wchar_t kPipeName[] = L"\\\\.\\pipe\\ZanthorNuvex";
constexpr size_t kPayloadLimit = 1024;
constexpr DWORD kReadBufferSize = 65536;

DWORD U32(const BYTE* p) {
    DWORD v;
    std::memcpy(&v, p, sizeof(v));
    return v;
}
WORD U16(const BYTE* p) {
    WORD v;
    std::memcpy(&v, p, sizeof(v));
    return v;
}
void Put32(std::vector<BYTE>& out, DWORD v) {
    const auto* p = reinterpret_cast<const BYTE*>(&v);
    out.insert(out.end(), p, p + sizeof(v));
}
void Put16(std::vector<BYTE>& out, WORD v) {
    const auto* p = reinterpret_cast<const BYTE*>(&v);
    out.insert(out.end(), p, p + sizeof(v));
}

} // namespace

CRawPipeClient::~CRawPipeClient() {
    Close();
}

bool CRawPipeClient::Connect(DWORD timeoutMs) {
    if (!WaitNamedPipeW(kPipeName, timeoutMs))
        return false;
    m_pipe.reset(CreateFileW(kPipeName, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                             FILE_FLAG_OVERLAPPED, nullptr));
    DWORD mode = PIPE_READMODE_MESSAGE;
    if (!m_pipe || !SetNamedPipeHandleState(m_pipe.get(), &mode, nullptr, nullptr))
        return false;
    m_stop.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    m_thread.reset(CreateThread(nullptr, 0, ReadThreadProc, this, 0, nullptr));
    return m_thread.get() != nullptr;
}

void CRawPipeClient::Close() {
    if (m_thread) {
        SetEvent(m_stop.get());
        WaitForSingleObject(m_thread.get(), 10000);
        m_thread.reset();
    }
    m_pipe.reset();
    std::lock_guard lock(m_lock);
    m_partial.clear();
}

void CRawPipeClient::SetAnswer(DWORD message, std::optional<std::vector<BYTE>> reply) {
    std::lock_guard lock(m_lock);
    m_answers[message] = std::move(reply);
}

std::vector<std::vector<BYTE>> CRawPipeClient::Packets(DWORD contextId, BYTE type, DWORD message,
                                                       const std::vector<BYTE>& data,
                                                       DWORD replyCapacity) {
    std::vector<BYTE> transfer;
    Put32(transfer, message);
    transfer.push_back(type);
    transfer.push_back(0xFF);
    Put16(transfer, 0xFFFF);
    Put32(transfer, static_cast<DWORD>(data.size()));
    Put32(transfer, replyCapacity);
    transfer.insert(transfer.end(), data.begin(), data.end());
    const size_t count = (transfer.size() + kPayloadLimit - 1) / kPayloadLimit;
    std::vector<std::vector<BYTE>> packets;
    for (size_t i = 0; i < count; ++i) {
        const size_t offset = i * kPayloadLimit;
        const size_t payload = std::min(kPayloadLimit, transfer.size() - offset);
        std::vector<BYTE> packet;
        Put32(packet, contextId);
        Put16(packet, static_cast<WORD>(i + 1));
        Put16(packet, static_cast<WORD>(count));
        Put32(packet, static_cast<DWORD>(payload));
        packet.insert(packet.end(), transfer.begin() + offset, transfer.begin() + offset + payload);
        packets.push_back(packet);
    }
    return packets;
}

bool CRawPipeClient::WritePacket(const std::vector<BYTE>& packet) {
    UniqueHandle event(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    OVERLAPPED overlapped{};
    overlapped.hEvent = event.get();
    if (!WriteFile(m_pipe.get(), packet.data(), static_cast<DWORD>(packet.size()), nullptr,
                   &overlapped) &&
        GetLastError() != ERROR_IO_PENDING)
        return false;
    DWORD bytes = 0;
    if (WaitForSingleObject(event.get(), 5000) != WAIT_OBJECT_0) {
        CancelIoEx(m_pipe.get(), &overlapped);
        GetOverlappedResult(m_pipe.get(), &overlapped, &bytes, TRUE);
        return false;
    }
    return GetOverlappedResult(m_pipe.get(), &overlapped, &bytes, FALSE) && bytes == packet.size();
}

bool CRawPipeClient::WriteTransfer(DWORD contextId, BYTE type, DWORD message,
                                   const std::vector<BYTE>& data, DWORD replyCapacity) {
    for (const auto& packet : Packets(contextId, type, message, data, replyCapacity)) {
        if (!WritePacket(packet))
            return false;
    }
    return true;
}

DWORD CRawPipeClient::NextContextId() {
    std::lock_guard lock(m_lock);
    return ++m_lastContextId;
}

std::optional<RawTransfer> CRawPipeClient::Transmit(DWORD message, const std::vector<BYTE>& data,
                                                    DWORD replyCapacity, DWORD timeoutMs) {
    const DWORD contextId = NextContextId();
    if (!WriteTransfer(contextId, 2, message, data, replyCapacity))
        return std::nullopt;
    return WaitForReply(contextId, timeoutMs);
}

std::optional<RawTransfer> CRawPipeClient::WaitForReply(DWORD contextId, DWORD timeoutMs) {
    std::unique_lock lock(m_lock);
    if (!m_changed.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                            [&] { return m_replies.count(contextId) != 0; }))
        return std::nullopt;
    RawTransfer reply = m_replies[contextId];
    m_replies.erase(contextId);
    return reply;
}

bool CRawPipeClient::WaitForServiceRequests(size_t count, DWORD timeoutMs) {
    std::unique_lock lock(m_lock);
    return m_changed.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                              [&] { return m_serviceRequests.size() >= count; });
}

std::vector<RawTransfer> CRawPipeClient::ServiceRequests() const {
    std::lock_guard lock(m_lock);
    return m_serviceRequests;
}

DWORD WINAPI CRawPipeClient::ReadThreadProc(void* self) {
    static_cast<CRawPipeClient*>(self)->ReadLoop();
    return 0;
}

void CRawPipeClient::ReadLoop() {
    std::vector<BYTE> buffer(kReadBufferSize);
    for (;;) {
        UniqueHandle event(CreateEventW(nullptr, TRUE, FALSE, nullptr));
        OVERLAPPED overlapped{};
        overlapped.hEvent = event.get();
        if (!ReadFile(m_pipe.get(), buffer.data(), kReadBufferSize, nullptr, &overlapped) &&
            GetLastError() != ERROR_IO_PENDING)
            return;
        const HANDLE events[] = {event.get(), m_stop.get()};
        DWORD bytes = 0;
        if (WaitForMultipleObjects(2, events, FALSE, INFINITE) != WAIT_OBJECT_0) {
            CancelIoEx(m_pipe.get(), &overlapped);
            GetOverlappedResult(m_pipe.get(), &overlapped, &bytes, TRUE);
            return;
        }
        if (!GetOverlappedResult(m_pipe.get(), &overlapped, &bytes, FALSE))
            return;
        OnPacket(buffer.data(), bytes);
    }
}

void CRawPipeClient::OnPacket(const BYTE* packet, size_t size) {
    if (size < 12)
        return;
    const DWORD contextId = U32(packet);
    const WORD number = U16(packet + 4);
    const WORD count = U16(packet + 6);
    RawTransfer complete;
    {
        std::lock_guard lock(m_lock);
        RawTransfer& partial = m_partial[contextId];
        partial.contextId = contextId;
        partial.packetSizes.push_back(size);
        partial.data.insert(partial.data.end(), packet + 12, packet + size);
        if (number != count)
            return;
        complete = std::move(partial);
        m_partial.erase(contextId);
    }
    if (complete.data.size() < 16)
        return;
    const BYTE* header = complete.data.data();
    complete.message = U32(header);
    complete.type = header[4];
    complete.reserved1 = header[5];
    complete.reserved2 = U16(header + 6);
    complete.replyCapacity = U32(header + 12);
    complete.data.erase(complete.data.begin(), complete.data.begin() + 16);
    OnTransfer(std::move(complete));
}

void CRawPipeClient::OnTransfer(RawTransfer transfer) {
    std::optional<std::vector<BYTE>> answer = std::vector<BYTE>{0, 0, 0, 0};
    {
        std::lock_guard lock(m_lock);
        if (transfer.type == 1) {
            m_replies[transfer.contextId] = transfer;
        } else {
            m_serviceRequests.push_back(transfer);
            if (const auto found = m_answers.find(transfer.message); found != m_answers.end())
                answer = found->second;
        }
    }
    m_changed.notify_all();
    if (transfer.type != 1 && answer)
        WriteTransfer(transfer.contextId, 1, transfer.message, *answer, 0);
}
