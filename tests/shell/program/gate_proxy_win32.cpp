#include "gate_proxy.h"

#include <ws2tcpip.h>

#include <algorithm>
#include <chrono>

namespace vt::test {

namespace {

SOCKET Connect(int port) {
    SOCKET peer = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (peer == INVALID_SOCKET)
        return peer;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<u_short>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(peer, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::closesocket(peer);
        return INVALID_SOCKET;
    }
    return peer;
}

}  // namespace

GateProxy::GateProxy(int listenPort, int upstreamPort) : upstreamPort_(upstreamPort) {
    WSADATA data;
    ::WSAStartup(MAKEWORD(2, 2), &data);
    listener_ = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<u_short>(listenPort));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    BOOL reuse = TRUE;
    ::setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&reuse),
                 sizeof reuse);
    if (::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listener_, SOMAXCONN) != 0) {
        ::closesocket(listener_);
        listener_ = INVALID_SOCKET;
        return;
    }
    acceptor_ = std::thread([this] { AcceptLoop(); });
}

GateProxy::~GateProxy() {
    stopping_ = true;
    Open();
    if (listener_ != INVALID_SOCKET)
        ::closesocket(listener_);
    if (acceptor_.joinable())
        acceptor_.join();
    {
        std::lock_guard<std::mutex> lock(socketsMutex_);
        for (SOCKET socket : sockets_) {
            ::shutdown(socket, SD_BOTH);
            ::closesocket(socket);
        }
    }
    for (std::thread& forwarder : forwarders_) {
        if (forwarder.joinable())
            forwarder.join();
    }
    ::WSACleanup();
}

void GateProxy::Hold() {
    std::lock_guard<std::mutex> lock(mutex_);
    held_ = true;
}

void GateProxy::Throttle(int bytesPerSlice, int sliceMs) {
    std::lock_guard<std::mutex> lock(mutex_);
    held_ = false;
    bytesPerSlice_ = bytesPerSlice;
    sliceMs_ = sliceMs;
    changed_.notify_all();
}

void GateProxy::Open() {
    std::lock_guard<std::mutex> lock(mutex_);
    held_ = false;
    bytesPerSlice_ = 0;
    changed_.notify_all();
}

void GateProxy::AcceptLoop() {
    while (!stopping_) {
        SOCKET client = ::accept(listener_, nullptr, nullptr);
        if (client == INVALID_SOCKET)
            return;
        SOCKET upstream = Connect(upstreamPort_);
        if (upstream == INVALID_SOCKET) {
            ::closesocket(client);
            continue;
        }
        ++connections_;
        std::lock_guard<std::mutex> lock(socketsMutex_);
        sockets_.push_back(client);
        sockets_.push_back(upstream);
        forwarders_.emplace_back([this, client, upstream] { Forward(client, upstream, false); });
        forwarders_.emplace_back([this, client, upstream] { Forward(upstream, client, true); });
    }
}

void GateProxy::WaitWhileHeld() {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return !held_ || stopping_; });
}

void GateProxy::Forward(SOCKET from, SOCKET to, bool answers) {
    char buffer[16384];
    for (;;) {
        int limit = static_cast<int>(sizeof buffer);
        int pause = 0;
        if (answers) {
            WaitWhileHeld();
            std::lock_guard<std::mutex> lock(mutex_);
            if (bytesPerSlice_ > 0) {
                limit = std::min(limit, bytesPerSlice_);
                pause = sliceMs_;
            }
        }
        const int received = ::recv(from, buffer, limit, 0);
        if (received <= 0)
            break;
        if (answers)
            WaitWhileHeld();
        int sent = 0;
        while (sent < received) {
            const int n = ::send(to, buffer + sent, received - sent, 0);
            if (n <= 0)
                break;
            sent += n;
        }
        if (sent < received)
            break;
        if (pause > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(pause));
    }
    ::shutdown(to, SD_SEND);
}

}  // namespace vt::test
