#include "net/resolve_host.h"

#include <gtest/gtest.h>

#include <atomic>

#include "net/loopback_server.h"

namespace vt::net {
namespace {

// The names the tests of this program use, as a hosts file would give them;
// every other name is unknown. No test waits for, or depends on, the
// machine's own name service.
uint32_t OfflineNames(const std::string& name) {
    return name == "localhost" ? platform::ParseDottedQuad("127.0.0.1") : platform::kNoAddress;
}

class OfflineNamesEnvironment : public ::testing::Environment {
  public:
    void SetUp() override { SetHostResolver(OfflineNames); }
    void TearDown() override { SetHostResolver(nullptr); }
};

const auto* const offlineNames = ::testing::AddGlobalTestEnvironment(new OfflineNamesEnvironment);

TEST(ResolveHost, NamesGoThroughTheResolverDottedQuadsDoNot) {
    std::atomic<int> asked{0};
    SetHostResolver([&](const std::string& name) {
        ++asked;
        return name == "catalogue.test" ? platform::ParseDottedQuad("127.0.0.1")
                                        : platform::kNoAddress;
    });
    EXPECT_EQ(ResolveHost("10.1.2.3"), platform::ParseDottedQuad("10.1.2.3"));
    EXPECT_EQ(asked, 0);
    EXPECT_EQ(ResolveHost("catalogue.test"), platform::ParseDottedQuad("127.0.0.1"));
    platform::SetLastSocketError(0);
    EXPECT_EQ(ResolveHost("other.test"), platform::kNoAddress);
    EXPECT_EQ(platform::LastSocketError(), platform::kSocketHostNotFound);
    EXPECT_EQ(asked, 2);

    // A name that resolves reaches the server; one that does not, nothing.
    test::LoopbackServer server([](int, test::ServerConnection&) {});
    platform::Socket socket = platform::CreateTcpSocket();
    EXPECT_TRUE(ConnectToHost(socket, "catalogue.test", server.port(), 2000));
    platform::Socket other = platform::CreateTcpSocket();
    EXPECT_FALSE(ConnectToHost(other, "other.test", server.port(), 2000));
    SetHostResolver(OfflineNames);
}

}  // namespace
}  // namespace vt::net
