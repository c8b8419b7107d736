#include "net/recv_ring.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/socket_pair.h"
#include "platform/system.h"

namespace vt::net {
namespace {

using test::MakeSocketPair;
using test::SendText;

TEST(RecvRing, ReadLineSplitsAtLineFeedsAndCapacity) {
    auto pair = MakeSocketPair();
    RecvRing ring(pair.client, kRecvRingSize);
    SendText(pair.server, "abc\r\nx\ry\n" + std::string(9, 'L') + "\r\nz");
    pair.server.Close();

    char line[10];
    int state = -2;
    ASSERT_EQ(ReadLine(ring, line, sizeof line, state, 2000), 0);
    EXPECT_STREQ(line, "abc");
    EXPECT_EQ(state, kLineComplete);
    ASSERT_EQ(ReadLine(ring, line, sizeof line, state, 2000), 0);
    EXPECT_STREQ(line, "x\ry");  // a CR is dropped only right before the LF
    // Exactly capacity - 1 characters: cut, and the line end follows as an
    // empty complete line.
    ASSERT_EQ(ReadLine(ring, line, sizeof line, state, 2000), 0);
    EXPECT_EQ(std::string(line), std::string(9, 'L'));
    EXPECT_EQ(state, kLineCut);
    ASSERT_EQ(ReadLine(ring, line, sizeof line, state, 2000), 0);
    EXPECT_STREQ(line, "");
    EXPECT_EQ(state, kLineComplete);
    // The stream ends inside a line: failure, the piece is lost.
    EXPECT_EQ(ReadLine(ring, line, sizeof line, state, 2000), -1);
    EXPECT_EQ(state, kLineFailed);
    EXPECT_STREQ(line, "");
    EXPECT_EQ(ReadByte(ring, 2000), kEndOfData);
}

TEST(RecvRing, ReadBytesReturnsWhatOneReceiveBrings) {
    auto pair = MakeSocketPair();
    RecvRing ring(pair.client, 16);
    SendText(pair.server, "0123456789");
    platform::SleepMs(100);
    EXPECT_EQ(ReadByte(ring, 2000), '0');
    char out[64] = {};
    // More asked than buffered: what is buffered, without waiting for more.
    EXPECT_EQ(ReadBytes(ring, out, 64, 2000), 9);
    EXPECT_EQ(std::string(out, 9), "123456789");
    // Storage of 16 bytes: one fill takes at most 16, the rest waits.
    SendText(pair.server, std::string(20, 'w'));
    platform::SleepMs(100);
    EXPECT_EQ(ReadBytes(ring, out, 10, 2000), 10);
    EXPECT_EQ(ReadBytes(ring, out, 15, 2000), 6);
    EXPECT_EQ(ReadBytes(ring, out, 15, 2000), 4);
    // A request of at least the ring's size receives directly, once.
    SendText(pair.server, std::string(40, 'd'));
    platform::SleepMs(100);
    EXPECT_EQ(ReadBytes(ring, out, 64, 2000), 40);
    EXPECT_EQ(std::string(out, 40), std::string(40, 'd'));
}

TEST(RecvRing, LastBytesBeforeCloseAreDelivered) {
    auto pair = MakeSocketPair();
    RecvRing ring(pair.client, kRecvRingSize);
    SendText(pair.server, "last");
    pair.server.Close();
    platform::SleepMs(100);  // data and close arrive together
    char out[8] = {};
    EXPECT_EQ(ReadBytes(ring, out, 8, 2000), 4);
    EXPECT_EQ(ReadBytes(ring, out, 8, 2000), 0);
}

TEST(RecvRing, ReceiveTimesOutWithItsLimit) {
    auto pair = MakeSocketPair();
    RecvRing ring(pair.client, kRecvRingSize);
    const uint64_t start = platform::TickCountMs();
    EXPECT_EQ(ReadByte(ring, 150), kEndOfData);
    EXPECT_GE(platform::TickCountMs() - start, 100u);
    EXPECT_EQ(platform::LastSocketError(), platform::kSocketTimedOut);
}

}  // namespace
}  // namespace vt::net
