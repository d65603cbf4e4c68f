#include "standins/nuvex-service/StandinTransferAssembler.h"

#include "standins/nuvex-service/StandinText.h"
#include "standins/nuvex-service/StandinWire.h"

#include <algorithm>

using namespace StandinWire;

namespace {

size_t PacketCountFor(size_t transferSize) {
    return std::max<size_t>(1, (transferSize + kPayloadLimit - 1) / kPayloadLimit);
}

} // namespace

std::optional<StandinTransfer>
CStandinTransferAssembler::AddPacket(const BYTE* packet, size_t size,
                                     std::vector<std::wstring>& faults) {
    if (size < kPacketHeaderSize) {
        faults.push_back(StandinFormat(L"packet of %u bytes is shorter than its header",
                                       static_cast<unsigned>(size)));
        return std::nullopt;
    }
    const DWORD contextId = ReadU32(packet);
    const WORD number = ReadU16(packet + 4);
    const WORD count = ReadU16(packet + 6);
    const DWORD payload = ReadU32(packet + 8);
    if (size > kMaxPacketSize || payload > kPayloadLimit) {
        faults.push_back(
            StandinFormat(L"transfer %u: packet of %u bytes (payload %u) exceeds the limit",
                          contextId, static_cast<unsigned>(size), payload));
        return std::nullopt;
    }
    if (payload + kPacketHeaderSize != size) {
        faults.push_back(StandinFormat(L"transfer %u: packet of %u bytes announces a payload of %u",
                                       contextId, static_cast<unsigned>(size), payload));
        return std::nullopt;
    }
    if (number == 0 || number > count) {
        faults.push_back(
            StandinFormat(L"transfer %u: packet number %u of %u", contextId, number, count));
        return std::nullopt;
    }

    auto found = m_partials.find(contextId);
    if (found == m_partials.end()) {
        if (number != 1) {
            faults.push_back(
                StandinFormat(L"transfer %u starts with packet %u", contextId, number));
            return std::nullopt;
        }
        found = m_partials.emplace(contextId, Partial{count, 1, {}}).first;
    }
    Partial& partial = found->second;
    if (number != partial.nextPacket || count != partial.packetCount) {
        faults.push_back(StandinFormat(L"transfer %u: packet %u of %u where %u of %u was due",
                                       contextId, number, count, partial.nextPacket,
                                       partial.packetCount));
        m_partials.erase(found);
        return std::nullopt;
    }
    if (number < count && payload != kPayloadLimit)
        faults.push_back(
            StandinFormat(L"transfer %u: packet %u carries %u bytes, not a full payload", contextId,
                          number, payload));
    partial.bytes.insert(partial.bytes.end(), packet + kPacketHeaderSize,
                         packet + kPacketHeaderSize + payload);
    ++partial.nextPacket;
    if (number < count)
        return std::nullopt;

    std::vector<BYTE> bytes = std::move(partial.bytes);
    m_partials.erase(found);
    return Complete(contextId, std::move(bytes), count, faults);
}

std::optional<StandinTransfer>
CStandinTransferAssembler::Complete(DWORD contextId, std::vector<BYTE> bytes, WORD packetCount,
                                    std::vector<std::wstring>& faults) {
    if (bytes.size() < kTransferHeaderSize) {
        faults.push_back(StandinFormat(L"transfer %u of %u bytes has no transfer header", contextId,
                                       static_cast<unsigned>(bytes.size())));
        return std::nullopt;
    }
    StandinTransfer transfer;
    transfer.contextId = contextId;
    transfer.message = ReadU32(bytes.data());
    transfer.type = bytes[4];
    const DWORD dataSize = ReadU32(bytes.data() + 8);
    transfer.replyCapacity = ReadU32(bytes.data() + 12);
    if (bytes[5] != 0xFF || ReadU16(bytes.data() + 6) != 0xFFFF)
        faults.push_back(StandinFormat(L"transfer %u (message %u): reserved header bytes %02X %04X",
                                       contextId, transfer.message, bytes[5],
                                       ReadU16(bytes.data() + 6)));
    if (transfer.type != kTypeReply && transfer.type != kTypeRequest) {
        faults.push_back(StandinFormat(L"transfer %u (message %u): unknown type %u", contextId,
                                       transfer.message, transfer.type));
        return std::nullopt;
    }
    if (dataSize != bytes.size() - kTransferHeaderSize) {
        faults.push_back(StandinFormat(L"transfer %u (message %u): cbIn %u but %u data bytes",
                                       contextId, transfer.message, dataSize,
                                       static_cast<unsigned>(bytes.size() - kTransferHeaderSize)));
        return std::nullopt;
    }
    if (packetCount != PacketCountFor(bytes.size()))
        faults.push_back(StandinFormat(L"transfer %u (message %u): %u packets for %u bytes",
                                       contextId, transfer.message, packetCount,
                                       static_cast<unsigned>(bytes.size())));
    transfer.data.assign(bytes.begin() + kTransferHeaderSize, bytes.end());
    return transfer;
}

void CStandinTransferAssembler::Reset() {
    m_partials.clear();
}

std::vector<std::vector<BYTE>>
CStandinTransferAssembler::BuildPackets(DWORD contextId, BYTE type, DWORD message,
                                        const std::vector<BYTE>& data, DWORD replyCapacity) {
    std::vector<BYTE> transfer(kTransferHeaderSize);
    WriteU32(transfer.data(), message);
    transfer[4] = type;
    transfer[5] = 0xFF;
    WriteU16(transfer.data() + 6, 0xFFFF);
    WriteU32(transfer.data() + 8, static_cast<DWORD>(data.size()));
    WriteU32(transfer.data() + 12, replyCapacity);
    transfer.insert(transfer.end(), data.begin(), data.end());

    const size_t count = PacketCountFor(transfer.size());
    std::vector<std::vector<BYTE>> packets;
    for (size_t index = 0; index < count; ++index) {
        const size_t offset = index * kPayloadLimit;
        const size_t payload = std::min(kPayloadLimit, transfer.size() - offset);
        std::vector<BYTE> packet(kPacketHeaderSize);
        WriteU32(packet.data(), contextId);
        WriteU16(packet.data() + 4, static_cast<WORD>(index + 1));
        WriteU16(packet.data() + 6, static_cast<WORD>(count));
        WriteU32(packet.data() + 8, static_cast<DWORD>(payload));
        packet.insert(packet.end(), transfer.begin() + offset, transfer.begin() + offset + payload);
        packets.push_back(std::move(packet));
    }
    return packets;
}
