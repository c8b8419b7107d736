// A burst of connections opened at once to tessel-server on loopback: every
// connection sends one request for a small archive and reads the whole
// answer. A listener whose accept queue is shorter than the burst drops
// connection attempts, and each dropped one waits for the client's SYN
// retransmit (one second or more): the slowest connection shows it. Prints
// the whole burst and the slowest answer, the median of the runs (default
// 5) with their spread, and the slowest answer as a share of a 0.9 s stall
// (goal: at most 1); exits 1 when a connection stalled or got no answer.
//   server_burst_bench [--connections N] [--runs N]
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "bench_stats.h"

namespace {

using Clock = std::chrono::steady_clock;

// A connection's own slowness that only a dropped attempt explains on loopback.
constexpr double kStallSeconds = 0.9;

struct Connection {
    int fd = -1;
    size_t sent = 0;
    bool done = false;
    double seconds = 0;  // from the connect call to the end of the answer
};

struct Burst {
    double wall = 0;     // the whole burst
    double slowest = 0;  // the slowest single connection
    int stalled = 0;     // connections slower than kStallSeconds
    int failed = 0;      // no complete answer
};

Burst RunBurst(uint16_t port, const std::string& request, int count) {
    std::vector<Connection> connections(static_cast<size_t>(count));
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const auto start = Clock::now();
    for (Connection& c : connections) {
        c.fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (c.fd < 0 || (::connect(c.fd, reinterpret_cast<sockaddr*>(&to), sizeof to) != 0 &&
                         errno != EINPROGRESS)) {
            c.done = true;
        }
    }
    Burst burst;
    std::vector<pollfd> waits;
    std::vector<Connection*> owners;
    char buffer[65536];
    for (;;) {
        waits.clear();
        owners.clear();
        for (Connection& c : connections) {
            if (c.done)
                continue;
            waits.push_back(
                {c.fd, static_cast<short>(c.sent < request.size() ? POLLOUT : POLLIN), 0});
            owners.push_back(&c);
        }
        if (waits.empty())
            break;
        const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
        if (elapsed > 30 || ::poll(waits.data(), waits.size(), 1000) < 0)
            break;
        for (size_t i = 0; i < waits.size(); ++i) {
            Connection& c = *owners[i];
            if (waits[i].revents == 0)
                continue;
            if (c.sent < request.size()) {
                const ssize_t n =
                    ::send(c.fd, request.data() + c.sent, request.size() - c.sent, MSG_NOSIGNAL);
                if (n > 0)
                    c.sent += static_cast<size_t>(n);
                else if (n < 0 && errno != EAGAIN)
                    c.done = true;
                continue;
            }
            const ssize_t n = ::recv(c.fd, buffer, sizeof buffer, 0);
            if (n == 0) {
                c.done = true;
                c.seconds = std::chrono::duration<double>(Clock::now() - start).count();
            } else if (n < 0 && errno != EAGAIN) {
                c.done = true;
            }
        }
    }
    burst.wall = std::chrono::duration<double>(Clock::now() - start).count();
    for (Connection& c : connections) {
        if (c.seconds == 0)
            ++burst.failed;
        burst.slowest = std::max(burst.slowest, c.seconds);
        if (c.seconds > kStallSeconds)
            ++burst.stalled;
        if (c.fd >= 0)
            ::close(c.fd);
    }
    return burst;
}

}  // namespace

int main(int argc, char** argv) {
    int count = 500;
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "--connections") == 0)
            count = std::max(1, std::atoi(argv[i + 1]));
    }
    const int runs = vt::bench::RunsOption(argc, argv);
    // Room for the burst's descriptors.
    rlimit files{};
    if (::getrlimit(RLIMIT_NOFILE, &files) == 0 && files.rlim_cur < files.rlim_max) {
        files.rlim_cur = files.rlim_max;
        ::setrlimit(RLIMIT_NOFILE, &files);
    }
    char pattern[] = "/tmp/tessel-burst-bench-XXXXXX";
    const char* made = mkdtemp(pattern);
    if (made == nullptr)
        return 1;
    const std::string work = made;
    const std::string server = TESSEL_SERVER_BINARY;
    if (std::system(("'" + server + "' --make-demo '" + work + "/catalogue' >/dev/null").c_str()) !=
        0) {
        std::fprintf(stderr, "cannot write the demo catalogue\n");
        return 1;
    }
    {
        std::ofstream small(work + "/catalogue/files/burst.zip", std::ios::binary);
        small << std::string(4096, 'z');
    }
    std::system(("'" + server + "' --root '" + work + "/catalogue' --port 0 --quiet > '" + work +
                 "/server.out' 2>&1 & echo $! > '" + work + "/server.pid'")
                    .c_str());
    int port = 0;
    for (int i = 0; i < 200 && port == 0; ++i) {
        ::usleep(25000);
        std::ifstream in(work + "/server.out");
        std::string line;
        if (std::getline(in, line) && line.rfind("listening on 127.0.0.1:", 0) == 0)
            port = std::atoi(line.c_str() + 23);
    }
    if (port == 0) {
        std::fprintf(stderr, "tessel-server did not start\n");
        return 1;
    }
    const std::string request =
        "GET /files/burst.zip HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port) +
        "\r\nConnection: close\r\n\r\n";
    std::vector<double> walls, slowest;
    int stalled = 0, failed = 0;
    for (int run = 0; run < runs; ++run) {
        const Burst burst = RunBurst(static_cast<uint16_t>(port), request, count);
        walls.push_back(burst.wall);
        slowest.push_back(burst.slowest);
        stalled += burst.stalled;
        failed += burst.failed;
        ::usleep(200000);  // let the closed connections leave the server
    }
    std::system(("kill $(cat '" + work + "/server.pid'); rm -rf '" + work + "'").c_str());

    std::printf("tessel-server, %d connections opened at once, one 4 KB answer each, %d runs\n",
                count, runs);
    std::printf("  whole burst       %s\n",
                vt::bench::Milliseconds(vt::bench::SpreadOf(walls)).c_str());
    std::printf("  slowest answer    %s\n",
                vt::bench::Milliseconds(vt::bench::SpreadOf(slowest)).c_str());
    std::printf("  connections slower than %.1f s (a dropped connect): %d, without answer: %d\n",
                kStallSeconds, stalled, failed);
    // The goal as a ratio: the slowest connection of the median run against
    // the stall threshold.
    vt::bench::PrintRatio("burst: slowest answer / 0.9 s stall",
                          vt::bench::Shares(slowest, kStallSeconds), 1.0);
    return stalled == 0 && failed == 0 ? 0 : 1;
}
