#include "nuvex/protocol/TransferBuilder.h"
#include "nuvex/protocol/TransferFormat.h"
#include "tests/nuvex/DebugOutputCapture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

std::vector<BYTE> Packet(DWORD contextId, WORD number, WORD count, std::vector<BYTE> payload,
                         DWORD claimedPayload = MAXDWORD) {
    const PacketHeader header{contextId, number, count,
                              claimedPayload == MAXDWORD ? static_cast<DWORD>(payload.size())
                                                         : claimedPayload};
    std::vector<BYTE> packet(sizeof(header) + payload.size());
    std::memcpy(packet.data(), &header, sizeof(header));
    std::copy(payload.begin(), payload.end(), packet.begin() + sizeof(header));
    return packet;
}

bool Initialize(CTransferBuilder& builder, const std::vector<BYTE>& packet) {
    return builder.Initialize(static_cast<DWORD>(packet.size()), packet.data());
}

bool Append(CTransferBuilder& builder, const std::vector<BYTE>& packet) {
    return builder.Append(static_cast<DWORD>(packet.size()), packet.data());
}

std::vector<BYTE> Contents(const CTransferBuilder& builder) {
    return {builder.Data(), builder.Data() + builder.Size()};
}

} // namespace

TEST(TransferBuilder, JoinsPayloadsInArrivalOrderAndCompletesAtTheLastNumber) {
    CTransferBuilder builder(7, 42);
    ASSERT_TRUE(Initialize(builder, Packet(42, 1, 3, {1, 2})));
    EXPECT_FALSE(builder.IsComplete());
    ASSERT_TRUE(Append(builder, Packet(42, 3, 3, {5})));
    EXPECT_TRUE(builder.IsComplete()); // numbers are not tested for sequence
    EXPECT_EQ(Contents(builder), (std::vector<BYTE>{1, 2, 5}));
}

TEST(TransferBuilder, PacketZeroOfZeroCompletesAtOnce) {
    CTransferBuilder builder(7, 1);
    ASSERT_TRUE(Initialize(builder, Packet(1, 0, 0, {9})));
    EXPECT_TRUE(builder.IsComplete());
}

TEST(TransferBuilder, BytesBeyondThePacketsOwnLengthAreIgnored) {
    CTransferBuilder builder(7, 1);
    ASSERT_TRUE(Initialize(builder, Packet(1, 1, 1, {1, 2, 3, 4}, 2)));
    EXPECT_EQ(Contents(builder), (std::vector<BYTE>{1, 2}));
}

struct RefusedPacket {
    const char* name;
    std::vector<BYTE> packet;
    const wchar_t* appendTrace;
};

TEST(TransferBuilder, RefusedPacketsLeaveTheBuilderAsItWasWithTheirTrace) {
    const std::vector<RefusedPacket> cases = {
        {"shorter than a header", std::vector<BYTE>(11, 0),
         L"CTransferBuilder::Append() - packet buffer too small\n"},
        {"claims more payload than it has", Packet(5, 2, 3, {1, 2}, 3),
         L"CTransferBuilder::Append() - buffer size mismatch (15 != 14)\n"},
        {"claims a huge payload", Packet(5, 2, 3, {1}, 0xFFFFFFF8),
         L"CTransferBuilder::Append() - buffer size mismatch (4 != 13)\n"},
        {"numbered above its count", Packet(5, 4, 3, {1}),
         L"CTransferBuilder::Append() - packet number exceeds expected packet count\n"},
        {"of another transfer", Packet(6, 2, 3, {1}),
         L"CTransferBuilder::Append() - invalid transfer id\n"},
    };
    for (const RefusedPacket& refused : cases) {
        SCOPED_TRACE(refused.name);
        CDebugOutputCapture capture;
        CTransferBuilder builder(7, 5);
        ASSERT_TRUE(Initialize(builder, Packet(5, 1, 3, {8, 9})));
        EXPECT_FALSE(Append(builder, refused.packet));
        EXPECT_EQ(capture.Count(refused.appendTrace), 1u);
        EXPECT_FALSE(builder.IsComplete());
        EXPECT_EQ(Contents(builder), (std::vector<BYTE>{8, 9}));
    }
}

TEST(TransferBuilder, InitializeTracesItsOwnName) {
    CDebugOutputCapture capture;
    CTransferBuilder builder(7, 5);
    EXPECT_FALSE(Initialize(builder, Packet(5, 2, 1, {})));
    EXPECT_EQ(capture.Count(L"CTransferBuilder::Initialize() - packet number exceeds expected "
                            L"packet count\n"),
              1u);
}

TEST(TransferBuilder, PacketsAreAppendedInPlace) {
    CTransferBuilder builder(7, 5);
    ASSERT_TRUE(Initialize(builder, Packet(5, 1, 2, std::vector<BYTE>(1024, 0))));
    size_t moves = 0;
    const BYTE* data = builder.Data();
    for (int i = 1; i <= 9000; ++i) {
        // "Packet 1 of 2" over and over: the transfer never completes and only grows.
        ASSERT_TRUE(
            Append(builder, Packet(5, 1, 2, std::vector<BYTE>(1024, static_cast<BYTE>(i)))));
        if (builder.Data() != data)
            ++moves;
        data = builder.Data();
    }
    EXPECT_LE(moves, 20u) << "the room grows by doubling, not by one packet at a time";
    ASSERT_EQ(builder.Size(), 9001u * 1024);
    for (const int packet : {0, 1, 4567, 9000})
        EXPECT_EQ(builder.Data()[packet * 1024 + 512], static_cast<BYTE>(packet));
}
