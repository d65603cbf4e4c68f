#include "nuvex/protocol/PipeManager.h"
#include "nuvex/protocol/TransferFormat.h"
#include "standins/nuvex-service/StandinService.h"
#include "tests/nuvex/DebugOutputCapture.h"

#include <gtest/gtest.h>
#include <psapi.h>
#include <tlhelp32.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <future>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace {

using Bytes = std::vector<BYTE>;
constexpr auto kWait = std::chrono::seconds(5);

// Records every packet written; can be told to refuse writes.
class CRecordingPipe : public IPipeTransmit {
public:
    bool PipeWrite(PipeSourceToken, DWORD byteCount, const void* buffer, DWORD) override {
        std::lock_guard lock(m_lock);
        const auto* bytes = static_cast<const BYTE*>(buffer);
        m_packets.emplace_back(bytes, bytes + byteCount);
        m_changed.notify_all();
        return !m_refuse;
    }

    void Refuse() { m_refuse = true; }

    bool WaitForPackets(size_t count) {
        std::unique_lock lock(m_lock);
        return m_changed.wait_for(lock, kWait, [&] { return m_packets.size() >= count; });
    }

    std::vector<Bytes> Packets() {
        std::lock_guard lock(m_lock);
        return m_packets;
    }

private:
    std::mutex m_lock;
    std::condition_variable m_changed;
    std::vector<Bytes> m_packets;
    bool m_refuse = false;
};

// Answers every request with a fixed reply and remembers what it was given.
class CRecordingReceiver : public IRecieveMessages {
public:
    void OnConnect(PipeSourceToken) override {}
    void OnDisconnect(PipeSourceToken) override {}
    DWORD RecieveMessage(PipeSourceToken, DWORD dwMessage, DWORD cbIn, const BYTE* data,
                         DWORD replyCapacity, BYTE* reply) override {
        std::lock_guard lock(m_lock);
        m_message = dwMessage;
        m_data.assign(data, data + cbIn);
        m_replyCapacity = replyCapacity;
        const DWORD count = std::min<DWORD>(replyCapacity, static_cast<DWORD>(m_reply.size()));
        std::memcpy(reply, m_reply.data(), count);
        return count;
    }

    Bytes m_reply = {0xA1, 0xA2, 0xA3, 0xA4};
    std::mutex m_lock;
    DWORD m_message = 0;
    Bytes m_data;
    DWORD m_replyCapacity = 0;
};

// Writes wait until released, as to a service that does not read its replies.
class CStuckPipe : public IPipeTransmit {
public:
    bool PipeWrite(PipeSourceToken, DWORD, const void*, DWORD) override {
        {
            std::lock_guard lock(m_lock);
            ++m_writes;
            m_changed.notify_all();
        }
        WaitForSingleObject(m_released.get(), 30000);
        return true;
    }

    bool WaitForWrites(size_t count) {
        std::unique_lock lock(m_lock);
        return m_changed.wait_for(lock, kWait, [&] { return m_writes >= count; });
    }

    void Release() { SetEvent(m_released.get()); }

private:
    std::mutex m_lock;
    std::condition_variable m_changed;
    size_t m_writes = 0;
    UniqueHandle m_released{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
};

// Remembers the sequence number each request carries in its first four bytes.
class CSequenceReceiver : public IRecieveMessages {
public:
    void OnConnect(PipeSourceToken) override {}
    void OnDisconnect(PipeSourceToken) override {}
    DWORD RecieveMessage(PipeSourceToken, DWORD, DWORD cbIn, const BYTE* data, DWORD,
                         BYTE*) override {
        DWORD sequence = 0;
        if (cbIn >= sizeof(sequence))
            std::memcpy(&sequence, data, sizeof(sequence));
        std::lock_guard lock(m_lock);
        m_seen.push_back(sequence);
        m_changed.notify_all();
        return 0;
    }

    bool WaitForCount(size_t count) {
        std::unique_lock lock(m_lock);
        return m_changed.wait_for(lock, kWait, [&] { return m_seen.size() >= count; });
    }

    std::vector<DWORD> Seen() {
        std::lock_guard lock(m_lock);
        return m_seen;
    }

private:
    std::mutex m_lock;
    std::condition_variable m_changed;
    std::vector<DWORD> m_seen;
};

size_t ThreadsOfThisProcess() {
    const UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
    THREADENTRY32 entry{};
    entry.dwSize = sizeof(entry);
    size_t count = 0;
    for (BOOL more = Thread32First(snapshot.get(), &entry); more;
         more = Thread32Next(snapshot.get(), &entry)) {
        if (entry.th32OwnerProcessID == GetCurrentProcessId())
            ++count;
    }
    return count;
}

// The most memory the process has had in use so far (pages touched, as zero-filling does).
LONGLONG PeakWorkingSet() {
    PROCESS_MEMORY_COUNTERS counters{};
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters));
    return static_cast<LONGLONG>(counters.PeakWorkingSetSize);
}

constexpr LONGLONG kSmallGrowth = 64 << 20;

size_t LinesStartingWith(const CDebugOutputCapture& capture, const std::wstring& prefix) {
    const std::vector<std::wstring> lines = capture.Lines();
    return static_cast<size_t>(std::count_if(lines.begin(), lines.end(), [&](const auto& line) {
        return line.compare(0, prefix.size(), prefix) == 0;
    }));
}

Bytes FirstOfTwoPackets(DWORD contextId, size_t payloadBytes, BYTE fill = 0) {
    Bytes packet(sizeof(PacketHeader) + payloadBytes, fill);
    const PacketHeader header{contextId, 1, 2, static_cast<DWORD>(payloadBytes)};
    std::memcpy(packet.data(), &header, sizeof(header));
    return packet;
}

const std::wstring kDroppedPartial =
    L"CPipeManager::Recieve() - partial transfers over their bound, dropping transfer ";

PacketHeader HeaderOf(const Bytes& packet) {
    PacketHeader header{};
    std::memcpy(&header, packet.data(), sizeof(header));
    return header;
}

TransferHeader TransferOf(const Bytes& packet) {
    TransferHeader header{};
    std::memcpy(&header, packet.data() + sizeof(PacketHeader), sizeof(header));
    return header;
}

class PipeManagerTest : public ::testing::Test {
protected:
    PipeManagerTest() { m_manager.SetTransmit(&m_pipe); }

    void Feed(const Bytes& packet) {
        m_manager.Recieve(1, static_cast<DWORD>(packet.size()), packet.data());
    }

    void FeedTransfer(DWORD contextId, BYTE type, DWORD message, const Bytes& data,
                      DWORD cbOut = 0) {
        for (const Bytes& packet :
             CStandinService::BuildPackets(contextId, type, message, data, cbOut))
            Feed(packet);
    }

    // Starts a request on its own thread and waits until its first packet is out.
    std::future<bool> StartRequest(Bytes& reply, DWORD& replyBytes, DWORD timeoutMs = 5000) {
        const size_t before = m_pipe.Packets().size();
        auto request = std::async(std::launch::async, [&, timeoutMs] {
            return m_manager.Transmit(0, 6, 0, nullptr, static_cast<DWORD>(reply.size()),
                                      reply.data(), &replyBytes, timeoutMs);
        });
        EXPECT_TRUE(m_pipe.WaitForPackets(before + 1));
        return request;
    }

    DWORD LastContextId() { return HeaderOf(m_pipe.Packets().back()).TransferContextId; }

    CRecordingPipe m_pipe;
    CPipeManager m_manager;
};

} // namespace

TEST_F(PipeManagerTest, CutsTransfersIntoPacketsOfAtMost1024PayloadBytes) {
    struct Case {
        DWORD dataBytes;
        std::vector<DWORD> packetSizes;
    };
    const std::vector<Case> cases = {
        {0, {28}}, {1008, {1036}}, {1009, {1036, 13}}, {230400 + 36, {}}};
    DWORD expectedId = 1;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.dataBytes);
        Bytes data(c.dataBytes);
        for (size_t i = 0; i < data.size(); ++i)
            data[i] = static_cast<BYTE>(i * 7);
        const size_t before = m_pipe.Packets().size();
        ASSERT_TRUE(m_manager.WritePackets(0, expectedId, kTransferRequest, 9,
                                           static_cast<DWORD>(data.size()), data.data(), 77, 100));
        const std::vector<Bytes> all = m_pipe.Packets();
        const std::vector<Bytes> packets(all.begin() + static_cast<ptrdiff_t>(before), all.end());
        const size_t expectedCount = (c.dataBytes + 16 + 1023) / 1024;
        ASSERT_EQ(packets.size(), expectedCount);
        Bytes joined;
        for (size_t i = 0; i < packets.size(); ++i) {
            const PacketHeader header = HeaderOf(packets[i]);
            EXPECT_EQ(header.TransferContextId, expectedId);
            EXPECT_EQ(header.wPacket, i + 1);
            EXPECT_EQ(header.wPacketCount, expectedCount);
            EXPECT_EQ(header.cbPacket + 12, packets[i].size());
            if (!c.packetSizes.empty()) {
                EXPECT_EQ(packets[i].size(), c.packetSizes[i]);
            }
            joined.insert(joined.end(), packets[i].begin() + 12, packets[i].end());
        }
        const TransferHeader transfer = TransferOf(packets[0]);
        EXPECT_EQ(transfer.dwMessage, 9u);
        EXPECT_EQ(transfer.bType, kTransferRequest);
        EXPECT_EQ(transfer.reserved1, 0xFF);
        EXPECT_EQ(transfer.reserved2, 0xFFFF);
        EXPECT_EQ(transfer.cbIn, c.dataBytes);
        EXPECT_EQ(transfer.cbOut, 77u);
        EXPECT_EQ(Bytes(joined.begin() + 16, joined.end()), data);
        ++expectedId;
    }
}

TEST_F(PipeManagerTest, NullDataGoesOutAsZeros) {
    ASSERT_TRUE(m_manager.WritePackets(0, 3, kTransferReply, 1, 8, nullptr, 0, 100));
    const Bytes packet = m_pipe.Packets().at(0);
    EXPECT_EQ(Bytes(packet.begin() + 28, packet.end()), Bytes(8, 0));
}

TEST_F(PipeManagerTest, RefusesATransferTooLargeForTheSixteenBitPacketCount) {
    EXPECT_FALSE(m_manager.WritePackets(0, 3, kTransferRequest, 1, 0xFFFF * 1024, nullptr, 0, 1));
    EXPECT_TRUE(m_pipe.Packets().empty());
}

TEST_F(PipeManagerTest, ReplyIsCutAtTheCapacityOrZeroPaddedAndMatchedByContextId) {
    struct Case {
        Bytes replyData;
        Bytes expected;
        DWORD expectedBytes;
    };
    const std::vector<Case> cases = {
        {{1, 2}, {1, 2, 0, 0}, 2}, {{1, 2, 3, 4, 5, 6}, {1, 2, 3, 4}, 4}, {{}, {0, 0, 0, 0}, 0}};
    for (const Case& c : cases) {
        Bytes reply(4, 0xEE);
        DWORD replyBytes = 99;
        auto request = StartRequest(reply, replyBytes);
        FeedTransfer(LastContextId(), kTransferReply, 123, c.replyData);
        ASSERT_EQ(request.wait_for(kWait), std::future_status::ready);
        EXPECT_TRUE(request.get());
        EXPECT_EQ(reply, c.expected);
        EXPECT_EQ(replyBytes, c.expectedBytes);
    }
}

TEST_F(PipeManagerTest, InterleavedRepliesAreAssembledSeparately) {
    Bytes replyA(2000), replyB(2000);
    DWORD bytesA = 0, bytesB = 0;
    auto requestA = StartRequest(replyA, bytesA);
    const DWORD idA = LastContextId();
    auto requestB = StartRequest(replyB, bytesB);
    const DWORD idB = LastContextId();
    const auto packetsA =
        CStandinService::BuildPackets(idA, kTransferReply, 6, Bytes(1500, 0xAA), 0);
    const auto packetsB =
        CStandinService::BuildPackets(idB, kTransferReply, 6, Bytes(1500, 0xBB), 0);
    Feed(packetsA[0]);
    Feed(packetsB[0]);
    Feed(packetsA[1]);
    Feed(packetsB[1]);
    ASSERT_TRUE(requestA.get());
    ASSERT_TRUE(requestB.get());
    EXPECT_EQ(Bytes(replyA.begin(), replyA.begin() + 1500), Bytes(1500, 0xAA));
    EXPECT_EQ(Bytes(replyB.begin(), replyB.begin() + 1500), Bytes(1500, 0xBB));
    EXPECT_EQ(bytesA, 1500u);
}

TEST_F(PipeManagerTest, TimeOutFailsTheRequestAndTheLateReplyIsDropped) {
    CDebugOutputCapture capture;
    Bytes reply(4, 0xEE);
    DWORD replyBytes = 0;
    auto request = StartRequest(reply, replyBytes, 50);
    const DWORD id = LastContextId();
    EXPECT_FALSE(request.get());
    EXPECT_EQ(capture.Count(L"CPipeManager::Transmit(...) - timeout while waiting for response "
                            L"from target (TransferContextId=" +
                            std::to_wstring(id) + L", dwMessage=6, cbIn=0, cbOut=4)\n"),
              1u);
    FeedTransfer(id, kTransferReply, 6, {1, 2, 3, 4});
    EXPECT_EQ(reply, Bytes(4, 0xEE));
    EXPECT_EQ(capture.Count(L"CPipeManager::ProcessTransfer() - unable to find matching transfer "
                            L"(TransferContextId=" +
                            std::to_wstring(id) + L")\n"),
              1u);
}

TEST_F(PipeManagerTest, FailedWriteFailsTheRequestAtOnce) {
    CDebugOutputCapture capture;
    m_pipe.Refuse();
    Bytes reply(4);
    DWORD replyBytes = 0;
    EXPECT_FALSE(m_manager.Transmit(0, 6, 0, nullptr, 4, reply.data(), &replyBytes, 5000));
    EXPECT_EQ(capture.Count(L"CPipeManager::WritePackets() - m_pTransmit->PipeWrite failed\n"), 1u);
    EXPECT_EQ(capture.Count(L"CPipeManager::Transmit(...) - WritePackets failed "
                            L"(TransferContextId=1)\n"),
              1u);
}

TEST_F(PipeManagerTest, CancelAllTransfersReleasesEveryWaitingRequest) {
    CDebugOutputCapture capture;
    Bytes replyA(4), replyB(4);
    DWORD bytesA = 0, bytesB = 0;
    auto requestA = StartRequest(replyA, bytesA);
    auto requestB = StartRequest(replyB, bytesB);
    m_manager.CancelAllTransfers();
    ASSERT_EQ(requestA.wait_for(std::chrono::seconds(1)), std::future_status::ready);
    EXPECT_FALSE(requestA.get());
    EXPECT_FALSE(requestB.get());
    EXPECT_EQ(capture.Count(L"CPipeManager::CancelAllTransfers(...) - cancelling transfer "
                            L"(TransferContextId=1)\n"),
              1u);
    // Afterwards requests work again, and with nothing pending cancelling returns at once.
    m_manager.CancelAllTransfers();
    Bytes reply(4);
    DWORD replyBytes = 0;
    auto request = StartRequest(reply, replyBytes);
    FeedTransfer(LastContextId(), kTransferReply, 6, {5});
    EXPECT_TRUE(request.get());
}

TEST_F(PipeManagerTest, RequestsOfTheServiceAreHandledOnAThreadAndAnswered) {
    CRecordingReceiver receiver;
    m_manager.SetReceiver(&receiver);
    FeedTransfer(0x80000001, kTransferRequest, 19, Bytes(24, 0x11), 4);
    ASSERT_TRUE(m_pipe.WaitForPackets(1));
    const Bytes packet = m_pipe.Packets().at(0);
    EXPECT_EQ(HeaderOf(packet).TransferContextId, 0x80000001u);
    const TransferHeader transfer = TransferOf(packet);
    EXPECT_EQ(transfer.bType, kTransferReply);
    EXPECT_EQ(transfer.dwMessage, 19u);
    EXPECT_EQ(transfer.cbIn, 4u);
    EXPECT_EQ(transfer.cbOut, 0u);
    EXPECT_EQ(Bytes(packet.begin() + 28, packet.end()), (Bytes{0xA1, 0xA2, 0xA3, 0xA4}));
    std::lock_guard lock(receiver.m_lock);
    EXPECT_EQ(receiver.m_data, Bytes(24, 0x11));
    EXPECT_EQ(receiver.m_replyCapacity, 4u);
}

TEST_F(PipeManagerTest, RequestClaimingMoreDataThanItCarriesIsReadOnlyToItsEnd) {
    CRecordingReceiver receiver;
    m_manager.SetReceiver(&receiver);
    TransferHeader header{17, kTransferRequest, 0xFF, 0xFFFF, 0x10000, 4};
    Bytes packet(12 + 16 + 8, 0x33);
    const PacketHeader packetHeader{5, 1, 1, 24};
    std::memcpy(packet.data(), &packetHeader, sizeof(packetHeader));
    std::memcpy(packet.data() + 12, &header, sizeof(header));
    Feed(packet);
    ASSERT_TRUE(m_pipe.WaitForPackets(1));
    std::lock_guard lock(receiver.m_lock);
    EXPECT_EQ(receiver.m_data, Bytes(8, 0x33));
}

TEST_F(PipeManagerTest, MalformedInboundPacketsAreDroppedWithTheirTrace) {
    CDebugOutputCapture capture;
    CRecordingReceiver receiver;
    m_manager.SetReceiver(&receiver);
    Feed(Bytes(11, 0));
    EXPECT_EQ(capture.Count(L"CPipeManager::Recieve() - recieved buffer was too small for a "
                            L"header!\n"),
              1u);
    const auto packets = CStandinService::BuildPackets(9, kTransferRequest, 19, Bytes(1500), 4);
    Feed(packets[0]);
    Bytes wrong = packets[1];
    wrong[4] = 5; // packet 5 of 2
    Feed(wrong);
    EXPECT_EQ(capture.Count(L"CPipeManager::Recieve() - pTransfer->Append failed\n"), 1u);
    Feed(packets[1]); // the builder kept what it had and completes now
    EXPECT_TRUE(m_pipe.WaitForPackets(1));
}

TEST(PipeManager, TransferTooShortForAHeaderGetsNoReply) {
    CDebugOutputCapture capture;
    CRecordingPipe pipe;
    CRecordingReceiver receiver;
    {
        CPipeManager manager;
        manager.SetTransmit(&pipe);
        manager.SetReceiver(&receiver);
        const PacketHeader header{4, 0, 0, 3};
        Bytes packet(15, 0);
        std::memcpy(packet.data(), &header, sizeof(header));
        manager.Recieve(1, static_cast<DWORD>(packet.size()), packet.data());
    } // the manager waits for its handler threads
    EXPECT_EQ(capture.Count(L"CTransferHandlerThread::DoThreadProc() - invalid input size\n"), 1u);
    EXPECT_TRUE(pipe.Packets().empty());
}

TEST(PipeManager, UnfinishedTransfersAreFreedWithTheManager) {
    CDebugOutputCapture capture;
    CRecordingPipe pipe;
    {
        CPipeManager manager;
        manager.SetTransmit(&pipe);
        const auto packets = CStandinService::BuildPackets(9, kTransferRequest, 19, Bytes(1500), 4);
        manager.Recieve(1, static_cast<DWORD>(packets[0].size()), packets[0].data());
    }
    EXPECT_EQ(capture.Count(L"Freeing partially constructed transfer 9 (Not Finished)\n"), 1u);
    EXPECT_TRUE(pipe.Packets().empty());
}

TEST_F(PipeManagerTest, RequestAnnouncingAHugeReplyCapacityTakesNoRoomForIt) {
    CRecordingReceiver receiver;
    m_manager.SetReceiver(&receiver);
    const LONGLONG before = PeakWorkingSet();
    FeedTransfer(0x80000001, kTransferRequest, 19, Bytes(24, 0x11), 0xFFFFFFFF);
    ASSERT_TRUE(m_pipe.WaitForPackets(1));
    EXPECT_LT(PeakWorkingSet() - before, kSmallGrowth);
    {
        std::lock_guard lock(receiver.m_lock);
        EXPECT_EQ(receiver.m_replyCapacity, 0xFFFFFFFFu) << "the receiver still learns it";
    }
    const Bytes packet = m_pipe.Packets().at(0);
    EXPECT_EQ(Bytes(packet.begin() + 28, packet.end()), (Bytes{0xA1, 0xA2, 0xA3, 0xA4}));
}

TEST(PipeManager, FloodOfRequestsTakesBoundedThreadsAndMemoryAndWaitsItsTurnInOrder) {
    CDebugOutputCapture capture;
    CStuckPipe pipe;
    CSequenceReceiver receiver;
    const size_t threadsBefore = ThreadsOfThisProcess();
    const LONGLONG memoryBefore = PeakWorkingSet();
    constexpr DWORD kRequests = 3000;
    constexpr size_t kTaken =
        CTransferHandlerQueue::kMaxThreads + CTransferHandlerQueue::kMaxWaitingJobs;
    {
        CPipeManager manager;
        manager.SetTransmit(&pipe);
        manager.SetReceiver(&receiver);
        for (DWORD sequence = 0; sequence < kRequests; ++sequence) {
            Bytes body(24, 0);
            std::memcpy(body.data(), &sequence, sizeof(sequence));
            for (const Bytes& packet : CStandinService::BuildPackets(0x80000000 + sequence,
                                                                     kTransferRequest, 19, body, 4))
                manager.Recieve(1, static_cast<DWORD>(packet.size()), packet.data());
        }
        // Every running handler now waits to write its reply.
        ASSERT_TRUE(pipe.WaitForWrites(CTransferHandlerQueue::kMaxThreads));
        EXPECT_LE(ThreadsOfThisProcess(), threadsBefore + CTransferHandlerQueue::kMaxThreads + 2);
        EXPECT_LT(PeakWorkingSet() - memoryBefore, kSmallGrowth);
        EXPECT_EQ(LinesStartingWith(capture,
                                    L"CPipeManager::ProcessTransfer() - handler queue full, "
                                    L"request dropped (TransferContextId="),
                  kRequests - kTaken);
        std::vector<DWORD> seen = receiver.Seen();
        std::sort(seen.begin(), seen.end());
        std::vector<DWORD> first(CTransferHandlerQueue::kMaxThreads);
        for (DWORD i = 0; i < first.size(); ++i)
            first[i] = i;
        EXPECT_EQ(seen, first) << "the first to come are the first handled";

        pipe.Release();
        ASSERT_TRUE(receiver.WaitForCount(kTaken));
    } // the manager waits for its handlers
    std::vector<DWORD> seen = receiver.Seen();
    ASSERT_EQ(seen.size(), kTaken);
    // Eight threads take the waiting ones in arrival order; they may finish out of it.
    for (size_t i = 0; i < seen.size(); ++i)
        EXPECT_LT(seen[i], i + CTransferHandlerQueue::kMaxThreads) << i;
    std::sort(seen.begin(), seen.end());
    EXPECT_EQ(seen.back(), kTaken - 1);
    EXPECT_EQ(std::set<DWORD>(seen.begin(), seen.end()).size(), kTaken);
}

TEST(PipeManager, PartialTransfersAreBoundedInNumberTheOldestDroppedFirst) {
    CDebugOutputCapture capture;
    CRecordingPipe pipe;
    constexpr DWORD kTransfers = 10000;
    {
        CPipeManager manager;
        manager.SetTransmit(&pipe);
        for (DWORD id = 1; id <= kTransfers; ++id) {
            const Bytes packet = FirstOfTwoPackets(id, 8);
            manager.Recieve(1, static_cast<DWORD>(packet.size()), packet.data());
        }
        EXPECT_EQ(LinesStartingWith(capture, kDroppedPartial),
                  kTransfers - CPipeManager::kMaxPartialTransfers);
        EXPECT_EQ(capture.Count(kDroppedPartial + L"1 (8 bytes)\n"), 1u);
    }
    EXPECT_EQ(LinesStartingWith(capture, L"Freeing partially constructed transfer "),
              CPipeManager::kMaxPartialTransfers);
    EXPECT_EQ(capture.Count(L"Freeing partially constructed transfer " +
                            std::to_wstring(kTransfers) + L" (Not Finished)\n"),
              1u);
}

TEST(PipeManager, PartialTransfersAreBoundedInBytesTheOldestDroppedFirst) {
    CDebugOutputCapture capture;
    CRecordingPipe pipe;
    CPipeManager manager;
    manager.SetTransmit(&pipe);
    // Sixty transfers grow side by side, "packet 1 of 2" over and over, past the bound together.
    constexpr DWORD kTransfers = 60;
    const DWORD packetsEach =
        static_cast<DWORD>(CPipeManager::kMaxPartialBytes / kPacketPayloadLimit / kTransfers + 2);
    for (DWORD round = 0; round < packetsEach; ++round) {
        for (DWORD id = 1; id <= kTransfers; ++id) {
            const Bytes packet = FirstOfTwoPackets(id, kPacketPayloadLimit);
            manager.Recieve(1, static_cast<DWORD>(packet.size()), packet.data());
        }
    }
    const std::vector<std::wstring> lines = capture.Lines();
    const auto firstDrop = std::find_if(lines.begin(), lines.end(), [](const auto& line) {
        return line.compare(0, kDroppedPartial.size(), kDroppedPartial) == 0;
    });
    ASSERT_NE(firstDrop, lines.end());
    EXPECT_EQ(firstDrop->substr(kDroppedPartial.size(), 2), L"1 ") << "the oldest goes first";
}
