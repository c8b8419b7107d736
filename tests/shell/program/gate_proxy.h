// A loopback TCP forwarder between VaelTessel.exe and tessel-server whose
// answers a test can hold back or slow down, so that states which pass
// quickly (the loading view, a download batch) stay on screen while the test
// looks at them. Windows only.
#pragma once

#include <winsock2.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace vt::test {

class GateProxy {
  public:
    // Listens on 127.0.0.1:listenPort and forwards every connection to
    // 127.0.0.1:upstreamPort.
    GateProxy(int listenPort, int upstreamPort);
    ~GateProxy();
    GateProxy(const GateProxy&) = delete;
    GateProxy& operator=(const GateProxy&) = delete;

    bool Listening() const { return listener_ != INVALID_SOCKET; }
    // Answers wait until Open (requests still pass).
    void Hold();
    // Answers pass at most bytesPerSlice bytes every sliceMs.
    void Throttle(int bytesPerSlice, int sliceMs);
    // Answers pass freely.
    void Open();
    // Connections accepted so far.
    int Connections() const { return connections_; }

  private:
    void AcceptLoop();
    void Forward(SOCKET from, SOCKET to, bool answers);
    void WaitWhileHeld();

    SOCKET listener_ = INVALID_SOCKET;
    int upstreamPort_;
    std::thread acceptor_;
    std::atomic<bool> stopping_{false};
    std::atomic<int> connections_{0};

    std::mutex mutex_;
    std::condition_variable changed_;
    bool held_ = false;
    int bytesPerSlice_ = 0;  // 0: no limit
    int sliceMs_ = 0;

    std::mutex socketsMutex_;
    std::vector<SOCKET> sockets_;
    std::vector<std::thread> forwarders_;
};

}  // namespace vt::test
