#include "platform/socket.h"

#include <gtest/gtest.h>

#ifdef __linux__
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

#include <fstream>
#endif
#include <string>

#include "platform/socket_pair.h"
#include "platform/system.h"

namespace vt::platform {
namespace {

using test::MakeSocketPair;
using test::SendText;

TEST(TimedSocket, ReceiveDeliversDataThenCloseThenTimesOut) {
    auto pair = MakeSocketPair();
    char buffer[16];
    const uint64_t start = platform::TickCountMs();
    EXPECT_EQ(platform::TimedRecv(pair.client, buffer, sizeof buffer, 150), -1);
    EXPECT_GE(platform::TickCountMs() - start, 100u);
    EXPECT_EQ(platform::LastSocketError(), platform::kSocketTimedOut);

    SendText(pair.server, "hello");
    pair.server.Close();
    platform::SleepMs(50);
    EXPECT_EQ(platform::TimedRecv(pair.client, buffer, sizeof buffer, 1000), 5);
    EXPECT_EQ(platform::TimedRecv(pair.client, buffer, sizeof buffer, 1000), 0);
}

// Names never reach the machine's name service from a test: a dotted quad
// is answered without asking it, an empty name is refused before.
TEST(TimedSocket, HostLookupAndDottedQuads) {
    EXPECT_EQ(platform::ParseDottedQuad("127.0.0.1"), platform::LookupHostIPv4("127.0.0.1"));
    EXPECT_EQ(platform::ParseDottedQuad("not.an.address"), platform::kNoAddress);
    EXPECT_EQ(platform::ParseDottedQuad("1.2.3.256"), platform::kNoAddress);
    EXPECT_EQ(platform::LookupHostIPv4(""), platform::kNoAddress);
    EXPECT_EQ(platform::LastSocketError(), platform::kSocketHostNotFound);
}

TEST(TimedSocket, ConnectAndSendReportWinSockErrors) {
    // Nothing listens on a port just released.
    uint16_t port = 0;
    { platform::Socket probe = platform::ListenLoopback(0, port); }
    platform::Socket socket = platform::CreateTcpSocket();
    ASSERT_TRUE(socket.IsValid());
    EXPECT_EQ(platform::TimedConnect(socket, platform::ParseDottedQuad("127.0.0.1"), port, 2000),
              -1);
    EXPECT_EQ(platform::LastSocketError(), platform::kSocketConnectionRefused);

    // A peer that never reads: sends fill the buffers and then time out.
    auto pair = MakeSocketPair();
    const std::string block(1 << 20, 'x');
    size_t total = 0;
    for (int i = 0; i < 256; ++i) {
        const size_t sent = platform::SendAll(pair.client, block.data(), block.size(), 100);
        total += sent;
        if (sent < block.size())
            break;
    }
    EXPECT_LT(total, 256u * block.size());
    EXPECT_EQ(platform::LastSocketError(), platform::kSocketTimedOut);
}

#ifdef __linux__
// A short accept queue makes a burst of connections wait a second for SYN
// retransmits; the listener asks for the system's limit. For a listening
// socket, Linux reports the queue limit in tcpi_sacked.
TEST(TimedSocket, ListenerQueueIsTheSystemLimit) {
    int limit = 0;
    std::ifstream("/proc/sys/net/core/somaxconn") >> limit;
    ASSERT_GT(limit, 0);
    uint16_t port = 0;
    platform::Socket listener = platform::ListenLoopback(0, port);
    ASSERT_TRUE(listener.IsValid());
    tcp_info info{};
    socklen_t size = sizeof info;
    ASSERT_EQ(getsockopt(static_cast<int>(listener.Handle()), IPPROTO_TCP, TCP_INFO, &info, &size),
              0);
    EXPECT_EQ(info.tcpi_sacked, static_cast<uint32_t>(limit));
}
#endif

}  // namespace
}  // namespace vt::platform
