// A connected pair of loopback sockets for transport tests (platform and net).
#pragma once

#include <gtest/gtest.h>

#include "platform/socket.h"

namespace vt::test {

struct SocketPair {
    platform::Socket client;
    platform::Socket server;
};

inline SocketPair MakeSocketPair() {
    SocketPair pair;
    uint16_t port = 0;
    platform::Socket listener = platform::ListenLoopback(0, port);
    EXPECT_TRUE(listener.IsValid());
    pair.client = platform::CreateTcpSocket();
    EXPECT_EQ(
        platform::TimedConnect(pair.client, platform::ParseDottedQuad("127.0.0.1"), port, 5000), 0);
    pair.server = platform::AcceptConnection(listener, 5000);
    EXPECT_TRUE(pair.server.IsValid());
    return pair;
}

inline void SendText(platform::Socket& socket, const std::string& text) {
    ASSERT_EQ(platform::SendAll(socket, text.data(), text.size(), 5000), text.size());
}

}  // namespace vt::test
