#include "nuvex/transport/NamedPipeClient.h"
#include "tests/nuvex/DebugOutputCapture.h"
#include "tests/nuvex/TestPipeServer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <future>
#include <mutex>
#include <stdexcept>
#include <vector>

namespace {

using Bytes = std::vector<BYTE>;
using Clock = std::chrono::steady_clock;
constexpr auto kWait = std::chrono::seconds(5);
constexpr DWORD kReadBufferSize = 1036;

// Records what the reader thread reports; can hold the reader inside OnPipeRecieve.
class CRecordingSink : public IPipeEvents {
public:
    void OnPipeConnect(PipeSourceToken) override {
        std::lock_guard lock(m_lock);
        m_connectThread = GetCurrentThreadId();
        ++m_connects;
        m_changed.notify_all();
    }
    void OnPipeDisconnect(PipeSourceToken) override {
        std::lock_guard lock(m_lock);
        ++m_disconnects;
        m_changed.notify_all();
    }
    void OnPipeRecieve(PipeSourceToken, DWORD byteCount, const BYTE* buffer) override {
        {
            std::lock_guard lock(m_lock);
            m_reads.emplace_back(buffer, buffer + byteCount);
            m_changed.notify_all();
        }
        if (m_hold)
            WaitForSingleObject(m_release.get(), 10000);
    }

    template <typename Condition> bool WaitFor(Condition condition) {
        std::unique_lock lock(m_lock);
        return m_changed.wait_for(lock, kWait, condition);
    }
    bool WaitForReads(size_t count) {
        return WaitFor([&] { return m_reads.size() >= count; });
    }
    bool WaitForDisconnects(int count) {
        return WaitFor([&] { return m_disconnects >= count; });
    }
    std::vector<Bytes> Reads() {
        std::lock_guard lock(m_lock);
        return m_reads;
    }

    int Connects() {
        std::lock_guard lock(m_lock);
        return m_connects;
    }

    void Hold() { m_hold = true; }
    void Release() {
        m_hold = false;
        SetEvent(m_release.get());
    }

    std::mutex m_lock;
    std::condition_variable m_changed;
    DWORD m_connectThread = 0;
    int m_connects = 0;
    int m_disconnects = 0;
    std::vector<Bytes> m_reads;
    std::atomic<bool> m_hold{false};
    UniqueHandle m_release{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
};

class NamedPipeClientTest : public ::testing::Test {
protected:
    NamedPipeClientTest() { m_client.SetSink(&m_sink); }

    // Connects to server and waits for both ends to see it.
    void ConnectTo(CTestPipeServer& server) {
        ASSERT_TRUE(server.IsValid());
        const int before = m_sink.Connects();
        ASSERT_TRUE(m_client.Connect(kReadBufferSize));
        ASSERT_TRUE(server.WaitForClient());
        ASSERT_TRUE(m_sink.WaitFor([&] { return m_sink.m_connects > before; }));
    }

    // Writes until a write no longer completes within its time-out (the server does not read).
    bool FillPipe() {
        const Bytes packet(kReadBufferSize, 0x5A);
        for (int i = 0; i < 64; ++i) {
            if (!m_client.PipeWrite(0, kReadBufferSize, packet.data(), 100))
                return true;
        }
        return false;
    }

    CRecordingSink m_sink;
    CNamedPipeClient m_client;
};

} // namespace

TEST_F(NamedPipeClientTest, ServiceAbsentFailsWithTheOpenErrorAndLeavesTheClientIdle) {
    EXPECT_FALSE(m_client.Connect(kReadBufferSize));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(m_client.IsReading());
    const BYTE byte = 0;
    EXPECT_FALSE(m_client.PipeWrite(0, 1, &byte, 100));
    m_client.Disconnect();

    CTestPipeServer server;
    ConnectTo(server); // the earlier failure left nothing behind
    EXPECT_TRUE(m_client.IsReading());
}

TEST_F(NamedPipeClientTest, ConnectTwiceDisconnectTwiceAndReconnect) {
    {
        CTestPipeServer server;
        ConnectTo(server);
        EXPECT_NE(m_sink.m_connectThread, GetCurrentThreadId());
        EXPECT_FALSE(m_client.Connect(kReadBufferSize));
        const Bytes packet = {1, 2, 3};
        EXPECT_TRUE(m_client.PipeWrite(0, 3, packet.data(), 1000)); // first connection intact
        Bytes received;
        ASSERT_TRUE(server.Read(received));
        EXPECT_EQ(received, packet);

        m_client.Disconnect();
        EXPECT_TRUE(m_sink.WaitForDisconnects(1));
        EXPECT_FALSE(m_client.IsReading());
        EXPECT_FALSE(m_client.PipeWrite(0, 3, packet.data(), 1000));
        m_client.Disconnect();
    }
    CTestPipeServer server;
    ConnectTo(server);
    EXPECT_EQ(m_sink.Connects(), 2);
}

TEST_F(NamedPipeClientTest, EveryServiceWriteIsOneReadEvenWhenTheyQueueUp) {
    for (const DWORD pipeType : {DWORD{PIPE_TYPE_MESSAGE}, DWORD{PIPE_TYPE_BYTE}}) {
        SCOPED_TRACE(pipeType);
        CRecordingSink sink;
        CNamedPipeClient client;
        client.SetSink(&sink);
        CTestPipeServer server(pipeType);
        ASSERT_TRUE(client.Connect(kReadBufferSize));
        ASSERT_TRUE(server.WaitForClient());
        // Hold the reader in the first read while two more packets queue up behind it.
        sink.Hold();
        ASSERT_TRUE(server.Write(Bytes(12, 1)));
        ASSERT_TRUE(sink.WaitForReads(1));
        ASSERT_TRUE(server.Write(Bytes(20, 2)));
        ASSERT_TRUE(server.Write(Bytes(30, 3)));
        sink.Release();
        if (pipeType == PIPE_TYPE_MESSAGE) {
            ASSERT_TRUE(sink.WaitForReads(3));
            EXPECT_EQ(sink.Reads()[1], Bytes(20, 2));
            EXPECT_EQ(sink.Reads()[2], Bytes(30, 3));
        } else {
            // A pipe that refuses message mode is still read, as before.
            ASSERT_TRUE(sink.WaitForReads(2));
        }
    }
}

TEST_F(NamedPipeClientTest, MessageLongerThanTheBufferArrivesInPartsAndReadingGoesOn) {
    CTestPipeServer server;
    ConnectTo(server);
    ASSERT_TRUE(server.Write(Bytes(1500, 7)));
    ASSERT_TRUE(server.Write(Bytes(10, 8)));
    ASSERT_TRUE(m_sink.WaitForReads(3));
    EXPECT_EQ(m_sink.Reads()[0].size(), kReadBufferSize);
    EXPECT_EQ(m_sink.Reads()[1].size(), 1500 - kReadBufferSize);
    EXPECT_EQ(m_sink.Reads()[2], Bytes(10, 8));
    EXPECT_TRUE(m_client.IsReading());
}

TEST_F(NamedPipeClientTest, ServiceClosingThePipeEndsTheReaderUntilDisconnect) {
    CDebugOutputCapture capture;
    CTestPipeServer server;
    ConnectTo(server);
    server.Close();
    ASSERT_TRUE(m_sink.WaitForDisconnects(1));
    EXPECT_FALSE(m_client.IsReading());
    EXPECT_EQ(capture.Count(L"CNamedPipeClient::ReadThread_Read() - aborting read thread\n"), 1u);
    const BYTE byte = 0;
    EXPECT_FALSE(m_client.PipeWrite(0, 1, &byte, 100));
    CTestPipeServer next;
    EXPECT_FALSE(m_client.Connect(kReadBufferSize)); // still named until Disconnect
    m_client.Disconnect();
    ConnectTo(next);
}

TEST_F(NamedPipeClientTest, WriteTheServiceDoesNotDrainTimesOutAndTheConnectionStays) {
    CDebugOutputCapture capture;
    CTestPipeServer server(PIPE_TYPE_MESSAGE, 1);
    ConnectTo(server);
    ASSERT_TRUE(FillPipe());
    EXPECT_GE(capture.Count(L"COverLapped::GetResult(...) - WAIT_TIMEOUT\n"), 1u);
    EXPECT_TRUE(m_client.IsReading());
}

TEST_F(NamedPipeClientTest, DisconnectReleasesAWaitingWriteAndTheReaderAtOnce) {
    CTestPipeServer server(PIPE_TYPE_MESSAGE, 1);
    ConnectTo(server);
    ASSERT_TRUE(FillPipe());
    const Bytes packet(kReadBufferSize, 1);
    auto write = std::async(std::launch::async, [&] {
        return m_client.PipeWrite(0, kReadBufferSize, packet.data(), 20000);
    });
    // The write is waiting (or about to) when the connection is told to stop.
    ASSERT_EQ(write.wait_for(std::chrono::milliseconds(200)), std::future_status::timeout);
    const auto start = Clock::now();
    m_client.Disconnect();
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(5));
    ASSERT_EQ(write.wait_for(kWait), std::future_status::ready);
    EXPECT_FALSE(write.get());
    EXPECT_EQ(m_sink.m_disconnects, 1);
}

TEST(NamedPipeClient, ReaderThatDoesNotEndIsTerminatedAfterTheBound) {
    CDebugOutputCapture capture;
    CRecordingSink sink;
    CNamedPipeClient client(200);
    client.SetSink(&sink);
    CTestPipeServer server;
    ASSERT_TRUE(client.Connect(kReadBufferSize));
    ASSERT_TRUE(server.WaitForClient());
    sink.Hold();
    ASSERT_TRUE(server.Write(Bytes(12, 1)));
    ASSERT_TRUE(sink.WaitForReads(1));
    client.Disconnect();
    EXPECT_EQ(capture.Count(
                  L"CNamedPipeClient::Disconnect() - timeout waiting for thread to terminate\n"),
              1u);
    EXPECT_FALSE(client.IsReading());
    sink.Release();
}

namespace {

// Fails on the first read it is given: the reader ends at once, as after a broken read.
class CFailingSink : public IPipeEvents {
public:
    void OnPipeConnect(PipeSourceToken) override {}
    void OnPipeDisconnect(PipeSourceToken) override {}
    void OnPipeRecieve(PipeSourceToken, DWORD, const BYTE*) override {
        SetEvent(m_failed.get());
        throw std::runtime_error("the sink gives up");
    }

    UniqueHandle m_failed{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
};

} // namespace

TEST(NamedPipeClient, WriteInProgressKeepsThePipeUntilItEndsWhenTheReaderLetsGo) {
    CFailingSink sink;
    CNamedPipeClient client;
    client.SetSink(&sink);
    CTestPipeServer server(PIPE_TYPE_MESSAGE, 1);
    ASSERT_TRUE(client.Connect(kReadBufferSize));
    ASSERT_TRUE(server.WaitForClient());
    const Bytes packet(kReadBufferSize, 0x5A);
    while (client.PipeWrite(0, kReadBufferSize, packet.data(), 100)) {
    }
    auto write = std::async(std::launch::async, [&] {
        return client.PipeWrite(0, kReadBufferSize, packet.data(), 20000);
    });
    ASSERT_EQ(write.wait_for(std::chrono::milliseconds(200)), std::future_status::timeout);

    // The reader ends and lets go of the pipe while the write still waits on it.
    ASSERT_TRUE(server.Write(Bytes(12, 1)));
    ASSERT_EQ(WaitForSingleObject(sink.m_failed.get(), 5000), WAIT_OBJECT_0);
    EXPECT_EQ(write.wait_for(std::chrono::milliseconds(500)), std::future_status::timeout)
        << "the pipe the write started on is still open";

    Bytes received;
    for (int i = 0; i < 100 && write.wait_for(std::chrono::seconds(0)) != std::future_status::ready;
         ++i)
        server.Read(received, 1000);
    ASSERT_EQ(write.wait_for(kWait), std::future_status::ready);
    EXPECT_TRUE(write.get()) << "the write went through on the pipe it started on";
    // With the write done, nothing holds the pipe any more: it is closed.
    EXPECT_FALSE(server.Read(received, 5000));
    EXPECT_NE(GetLastError(), static_cast<DWORD>(ERROR_OPERATION_ABORTED)) << "not a time-out";
    client.Disconnect();
}
