// The event loop of HttpServer on Linux: epoll over non-blocking sockets,
// an eventfd to wake it, and worker threads for the handler.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <new>
#include <thread>
#include <unordered_map>
#include <vector>

#include "http_server.h"
#include "platform/socket.h"

namespace vt::server {

namespace {

constexpr uint64_t kListenerId = 0;
constexpr uint64_t kWakeId = 1;
constexpr size_t kReadBlock = 16 * 1024;
constexpr size_t kFileBlock = 64 * 1024;
// Per wake-up and connection, so one busy client cannot hold up the others.
constexpr size_t kReadPerTurn = 256 * 1024;
constexpr size_t kWritePerTurn = 1024 * 1024;
constexpr size_t kAcceptPerTurn = 64;
constexpr size_t kLingerBytes = 1024 * 1024;
constexpr int kSweepMs = 100;

uint64_t NowMs() {
    return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                     std::chrono::steady_clock::now().time_since_epoch())
                                     .count());
}

// A file descriptor that closes itself. Move-only.
class Fd {
  public:
    Fd() = default;
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() { Reset(); }
    Fd(Fd&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
    Fd& operator=(Fd&& other) noexcept {
        if (this != &other) {
            Reset();
            fd_ = other.fd_;
            other.fd_ = -1;
        }
        return *this;
    }
    int get() const { return fd_; }
    void Reset() {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = -1;
    }

  private:
    int fd_ = -1;
};

std::string PeerAddress(const sockaddr_in& address) {
    char text[INET_ADDRSTRLEN] = {};
    ::inet_ntop(AF_INET, &address.sin_addr, text, sizeof text);
    return text;
}

HttpResponse ErrorResponse(int status) {
    HttpResponse response;
    response.status = status;
    response.SetContent("error " + std::to_string(status) + "\n", "text/plain; charset=utf-8");
    return response;
}

}  // namespace

class HttpServer::Loop {
  public:
    Loop(HttpServerOptions options, HttpHandler handler, HttpLogger logger)
        : options_(std::move(options)), handler_(std::move(handler)), logger_(std::move(logger)) {}

    int Bind(const std::string& address, int port);
    bool Run();
    void Stop() {
        stopping_ = true;
        Wake();
    }
    bool running() const { return running_; }

  private:
    enum class Phase { kReading, kHandling, kWriting, kLingering };

    struct Connection {
        explicit Connection(const HttpLimits& limits) : parser(limits) {}
        uint64_t id = 0;
        Fd fd;
        std::string remote;
        Phase phase = Phase::kReading;
        RequestParser parser;
        std::string pending;  // bytes that arrived after the request being answered
        uint64_t waitingSince = 0;
        uint64_t deadline = 0;
        bool bodyDeadlineSet = false;
        bool continueSent = false;
        // The answer being written: head (and small body) first, then the file.
        std::string out;
        size_t outSent = 0;
        std::unique_ptr<ServedFile> file;
        int64_t fileOffset = 0;
        int64_t fileLeft = 0;
        std::vector<char> block;
        size_t blockSent = 0;
        bool closeAfter = false;
        size_t lingered = 0;
    };
    struct Job {
        uint64_t id;
        HttpRequest request;
    };
    struct Done {
        uint64_t id;
        HttpResponse response;
        bool keepAlive;
        bool head;
    };

    void Wake() {
        if (wake_.get() >= 0) {
            const uint64_t one = 1;
            [[maybe_unused]] ssize_t n = ::write(wake_.get(), &one, sizeof one);
        }
    }
    bool Watch(Connection& c, uint32_t events, int op = EPOLL_CTL_MOD) {
        epoll_event event{};
        event.events = events;
        event.data.u64 = c.id;
        return ::epoll_ctl(epoll_.get(), op, c.fd.get(), &event) == 0;
    }
    void Close(uint64_t id) { connections_.erase(id); }

    void Accept();
    void MakeRoom();
    void OnEvent(Connection& c, uint32_t events);
    void Read(Connection& c);
    void Consume(Connection& c, const char* data, size_t size);
    void Dispatch(Connection& c);
    void Refuse(Connection& c, int status);
    void StartAnswer(Connection& c, HttpResponse response, bool keepAlive, bool head);
    void Write(Connection& c);
    void FinishAnswer(Connection& c);
    void Linger(Connection& c);
    void TakeCompletions();
    void Sweep();
    void Work();
    void Log(const HttpRequest& request, const HttpResponse& response) {
        if (!logger_)
            return;
        try {
            logger_(request, response);
        } catch (...) {
            // A failed log line must not take the answer with it.
        }
    }

    HttpServerOptions options_;
    HttpHandler handler_;
    HttpLogger logger_;
    Fd listener_;
    Fd epoll_;
    Fd wake_;
    std::atomic<bool> stopping_{false};
    std::atomic<bool> running_{false};
    uint64_t nextId_ = 2;
    std::unordered_map<uint64_t, std::unique_ptr<Connection>> connections_;

    std::mutex mutex_;
    std::condition_variable ready_;
    std::deque<Job> jobs_;
    std::vector<Done> done_;   // answers made, for the loop to send
    std::vector<Done> taken_;  // the loop's side of done_
    size_t inHand_ = 0;        // requests dispatched and not yet taken back
    bool workersStop_ = false;
};

int HttpServer::Loop::Bind(const std::string& address, int port) {
    sockaddr_in where{};
    where.sin_family = AF_INET;
    where.sin_port = htons(static_cast<uint16_t>(port));
    if (port < 0 || port > 65535 || ::inet_pton(AF_INET, address.c_str(), &where.sin_addr) != 1)
        return -1;
    Fd socket(::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    const int on = 1;
    if (socket.get() < 0 ||
        ::setsockopt(socket.get(), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) != 0 ||
        ::bind(socket.get(), reinterpret_cast<sockaddr*>(&where), sizeof where) != 0 ||
        ::listen(socket.get(), platform::kMaxListenBacklog) != 0)
        return -1;
    socklen_t length = sizeof where;
    if (::getsockname(socket.get(), reinterpret_cast<sockaddr*>(&where), &length) != 0)
        return -1;
    listener_ = std::move(socket);
    return ntohs(where.sin_port);
}

bool HttpServer::Loop::Run() {
    if (listener_.get() < 0)
        return false;
    epoll_ = Fd(::epoll_create1(EPOLL_CLOEXEC));
    wake_ = Fd(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC));
    if (epoll_.get() < 0 || wake_.get() < 0)
        return false;
    epoll_event event{};
    event.events = EPOLLIN;
    event.data.u64 = kListenerId;
    if (::epoll_ctl(epoll_.get(), EPOLL_CTL_ADD, listener_.get(), &event) != 0)
        return false;
    event.data.u64 = kWakeId;
    if (::epoll_ctl(epoll_.get(), EPOLL_CTL_ADD, wake_.get(), &event) != 0)
        return false;

    // Every connection is a descriptor: make room for the ones allowed.
    rlimit files{};
    const rlim_t wanted = static_cast<rlim_t>(options_.maxConnections) + 64;
    if (::getrlimit(RLIMIT_NOFILE, &files) == 0 && files.rlim_cur < wanted) {
        files.rlim_cur = std::min(wanted, files.rlim_max);
        ::setrlimit(RLIMIT_NOFILE, &files);
    }

    done_.reserve(options_.maxQueuedRequests);
    taken_.reserve(options_.maxQueuedRequests);
    std::vector<std::thread> workers;
    for (int i = 0; i < std::max(1, options_.workers); ++i)
        workers.emplace_back([this] { Work(); });
    running_ = true;

    std::vector<epoll_event> events(256);
    uint64_t nextSweep = NowMs() + kSweepMs;
    while (!stopping_) {
        const int count =
            ::epoll_wait(epoll_.get(), events.data(), static_cast<int>(events.size()), kSweepMs);
        if (count < 0 && errno != EINTR)
            break;
        for (int i = 0; i < count; ++i) {
            const uint64_t id = events[i].data.u64;
            if (id == kListenerId) {
                Accept();
            } else if (id == kWakeId) {
                uint64_t value = 0;
                [[maybe_unused]] ssize_t n = ::read(wake_.get(), &value, sizeof value);
                TakeCompletions();
            } else {
                auto found = connections_.find(id);
                if (found == connections_.end())
                    continue;
                try {
                    OnEvent(*found->second, events[i].events);
                } catch (const std::bad_alloc&) {
                    // No allocation failure ends the server: the one
                    // connection that needed it is closed.
                    Close(id);
                }
            }
        }
        if (NowMs() >= nextSweep) {
            Sweep();
            nextSweep = NowMs() + kSweepMs;
        }
    }

    {
        std::lock_guard<std::mutex> lock(mutex_);
        workersStop_ = true;
        jobs_.clear();
    }
    ready_.notify_all();
    for (std::thread& worker : workers)
        worker.join();
    connections_.clear();
    done_.clear();
    taken_.clear();
    running_ = false;
    return true;
}

void HttpServer::Loop::Accept() {
    for (size_t i = 0; i < kAcceptPerTurn; ++i) {
        sockaddr_in peer{};
        socklen_t length = sizeof peer;
        Fd fd(::accept4(listener_.get(), reinterpret_cast<sockaddr*>(&peer), &length,
                        SOCK_NONBLOCK | SOCK_CLOEXEC));
        if (fd.get() < 0)
            return;
        if (connections_.size() >= options_.maxConnections) {
            MakeRoom();
            if (connections_.size() >= options_.maxConnections)
                continue;  // every slot is answering: this client is closed at once
        }
        const int on = 1;
        ::setsockopt(fd.get(), IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        try {
            auto c = std::make_unique<Connection>(options_.limits);
            c->id = nextId_++;
            c->fd = std::move(fd);
            c->remote = PeerAddress(peer);
            c->waitingSince = NowMs();
            c->deadline = c->waitingSince + static_cast<uint64_t>(options_.headerTimeoutMs);
            if (!Watch(*c, EPOLLIN | EPOLLRDHUP, EPOLL_CTL_ADD))
                continue;
            connections_.emplace(c->id, std::move(c));
        } catch (const std::bad_alloc&) {
            return;
        }
    }
}

// At the connection limit, the connection that has waited longest for a
// request (idle or trickling its head) gives way to the new one.
void HttpServer::Loop::MakeRoom() {
    Connection* oldest = nullptr;
    for (auto& [id, c] : connections_) {
        if (c->phase == Phase::kLingering) {
            oldest = c.get();
            break;
        }
        if (c->phase == Phase::kReading && (!oldest || c->waitingSince < oldest->waitingSince))
            oldest = c.get();
    }
    if (oldest)
        Close(oldest->id);
}

void HttpServer::Loop::OnEvent(Connection& c, uint32_t events) {
    if (events & EPOLLERR) {
        Close(c.id);
        return;
    }
    switch (c.phase) {
        case Phase::kReading:
            Read(c);
            break;
        case Phase::kWriting:
            if (events & EPOLLHUP)
                Close(c.id);
            else
                Write(c);
            break;
        case Phase::kLingering:
            Linger(c);
            break;
        case Phase::kHandling:
            // The client went away while its answer was being made.
            if (events & EPOLLHUP)
                Close(c.id);
            break;
    }
}

void HttpServer::Loop::Read(Connection& c) {
    const uint64_t id = c.id;
    char buffer[kReadBlock];
    size_t total = 0;
    while (total < kReadPerTurn) {
        const ssize_t n = ::recv(c.fd.get(), buffer, sizeof buffer, 0);
        if (n == 0 || (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) {
            Close(id);
            return;
        }
        if (n < 0)
            return;
        total += static_cast<size_t>(n);
        Consume(c, buffer, static_cast<size_t>(n));
        // Consume may have answered and closed, or handed the request on.
        auto found = connections_.find(id);
        if (found == connections_.end() || found->second->phase != Phase::kReading)
            return;
    }
}

void HttpServer::Loop::Consume(Connection& c, const char* data, size_t size) {
    const size_t used = c.parser.Feed(data, size);
    switch (c.parser.state()) {
        case RequestParser::State::kFailed:
            Refuse(c, c.parser.errorStatus());
            return;
        case RequestParser::State::kComplete:
            c.pending.append(data + used, size - used);
            Dispatch(c);
            return;
        default:
            break;
    }
    if (!c.parser.HeadComplete() || c.bodyDeadlineSet)
        return;
    c.bodyDeadlineSet = true;
    c.deadline = NowMs() + static_cast<uint64_t>(options_.bodyTimeoutMs);
    if (c.parser.request().expectContinue && !c.continueSent) {
        static const char kContinue[] = "HTTP/1.1 100 Continue\r\n\r\n";
        c.continueSent = true;
        // The socket's buffer is empty while a request is read, so the
        // interim answer goes out whole or the connection is unusable.
        if (::send(c.fd.get(), kContinue, sizeof kContinue - 1, MSG_NOSIGNAL) !=
            static_cast<ssize_t>(sizeof kContinue - 1))
            Close(c.id);
    }
}

void HttpServer::Loop::Dispatch(Connection& c) {
    c.parser.request().remoteAddress = c.remote;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (inHand_ < options_.maxQueuedRequests) {
            jobs_.push_back({c.id, std::move(c.parser.request())});
            ++inHand_;
            c.phase = Phase::kHandling;
        }
    }
    if (c.phase != Phase::kHandling) {
        HttpResponse busy = ErrorResponse(503);
        busy.SetHeader("Retry-After", "1");
        Log(c.parser.request(), busy);
        StartAnswer(c, std::move(busy), false, c.parser.request().method == "HEAD");
        return;
    }
    ready_.notify_one();
    Watch(c, 0);
}

void HttpServer::Loop::Refuse(Connection& c, int status) {
    HttpResponse response = ErrorResponse(status);
    c.parser.request().remoteAddress = c.remote;
    Log(c.parser.request(), response);
    StartAnswer(c, std::move(response), false, false);
}

void HttpServer::Loop::StartAnswer(Connection& c, HttpResponse response, bool keepAlive,
                                   bool head) {
    c.phase = Phase::kWriting;
    c.closeAfter = !keepAlive;
    c.out = SerializeHead(response, keepAlive);
    c.outSent = 0;
    c.file.reset();
    c.fileLeft = 0;
    c.block.clear();
    c.blockSent = 0;
    if (!head) {
        if (response.file) {
            c.file = std::move(response.file);
            c.fileOffset = response.fileOffset;
            c.fileLeft = response.fileLength;
        } else {
            c.out += response.body;
        }
    }
    c.deadline = NowMs() + static_cast<uint64_t>(options_.sendStallMs);
    Write(c);
}

void HttpServer::Loop::Write(Connection& c) {
    size_t sentThisTurn = 0;
    while (sentThisTurn < kWritePerTurn) {
        const char* data = nullptr;
        size_t size = 0;
        if (c.outSent < c.out.size()) {
            data = c.out.data() + c.outSent;
            size = c.out.size() - c.outSent;
        } else if (c.blockSent < c.block.size()) {
            data = c.block.data() + c.blockSent;
            size = c.block.size() - c.blockSent;
        } else if (c.fileLeft > 0) {
            c.block.resize(static_cast<size_t>(std::min<int64_t>(c.fileLeft, kFileBlock)));
            c.blockSent = 0;
            // A file that shrank under the answer cannot keep its length
            // promise: the connection ends.
            if (!c.file->file.Seek(c.fileOffset) ||
                c.file->file.Read(c.block.data(), c.block.size()) !=
                    static_cast<int64_t>(c.block.size())) {
                Close(c.id);
                return;
            }
            c.fileOffset += static_cast<int64_t>(c.block.size());
            c.fileLeft -= static_cast<int64_t>(c.block.size());
            continue;
        } else {
            FinishAnswer(c);
            return;
        }
        const ssize_t n = ::send(c.fd.get(), data, size, MSG_NOSIGNAL);
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR))
            break;
        if (n <= 0) {
            Close(c.id);
            return;
        }
        if (c.outSent < c.out.size())
            c.outSent += static_cast<size_t>(n);
        else
            c.blockSent += static_cast<size_t>(n);
        sentThisTurn += static_cast<size_t>(n);
        c.deadline = NowMs() + static_cast<uint64_t>(options_.sendStallMs);
    }
    Watch(c, EPOLLOUT);
}

void HttpServer::Loop::FinishAnswer(Connection& c) {
    c.out.clear();
    c.out.shrink_to_fit();
    c.file.reset();
    c.block = std::vector<char>();
    if (c.closeAfter) {
        // Half-close and read what the client still sends for a moment, so
        // that it reads the answer instead of a reset.
        ::shutdown(c.fd.get(), SHUT_WR);
        c.phase = Phase::kLingering;
        c.deadline = NowMs() + static_cast<uint64_t>(options_.lingerMs);
        Watch(c, EPOLLIN | EPOLLRDHUP);
        return;
    }
    c.parser.Reset();
    c.phase = Phase::kReading;
    c.bodyDeadlineSet = false;
    c.continueSent = false;
    c.waitingSince = NowMs();
    c.deadline = c.waitingSince + static_cast<uint64_t>(options_.headerTimeoutMs);
    Watch(c, EPOLLIN | EPOLLRDHUP);
    if (!c.pending.empty()) {
        const std::string pending = std::move(c.pending);
        c.pending.clear();
        Consume(c, pending.data(), pending.size());
    }
}

void HttpServer::Loop::Linger(Connection& c) {
    char buffer[kReadBlock];
    for (;;) {
        const ssize_t n = ::recv(c.fd.get(), buffer, sizeof buffer, 0);
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR))
            return;
        c.lingered += n > 0 ? static_cast<size_t>(n) : 0;
        if (n <= 0 || c.lingered > kLingerBytes) {
            Close(c.id);
            return;
        }
    }
}

void HttpServer::Loop::TakeCompletions() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        taken_.swap(done_);
        inHand_ -= taken_.size();
    }
    for (Done& d : taken_) {
        auto found = connections_.find(d.id);
        if (found == connections_.end())
            continue;
        try {
            StartAnswer(*found->second, std::move(d.response), d.keepAlive, d.head);
        } catch (const std::bad_alloc&) {
            Close(d.id);
        }
    }
    taken_.clear();
}

void HttpServer::Loop::Sweep() {
    const uint64_t now = NowMs();
    std::vector<uint64_t> expired;
    for (auto& [id, c] : connections_) {
        if (c->phase != Phase::kHandling && c->deadline <= now)
            expired.push_back(id);
    }
    for (uint64_t id : expired) {
        auto found = connections_.find(id);
        if (found == connections_.end())
            continue;
        Connection& c = *found->second;
        // A request begun but not finished in time gets 408; an idle
        // connection, a stalled answer or a lingering close just ends.
        if (c.phase == Phase::kReading && !c.parser.Idle()) {
            try {
                Refuse(c, 408);
            } catch (const std::bad_alloc&) {
                Close(id);
            }
        } else {
            Close(id);
        }
    }
}

void HttpServer::Loop::Work() {
    for (;;) {
        Job job;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            ready_.wait(lock, [this] { return workersStop_ || !jobs_.empty(); });
            if (workersStop_)
                return;
            job = std::move(jobs_.front());
            jobs_.pop_front();
        }
        Done done{job.id, HttpResponse(), job.request.keepAlive, job.request.method == "HEAD"};
        try {
            handler_(job.request, done.response);
        } catch (...) {
            // Allocation failures included: the request is answered (with a
            // bare 500, which needs no memory), the server goes on.
            done.response = HttpResponse();
            done.response.status = 500;
        }
        Log(job.request, done.response);
        {
            // Room for every request in flight was reserved, so this cannot
            // fail and leave its connection waiting.
            std::lock_guard<std::mutex> lock(mutex_);
            done_.push_back(std::move(done));
        }
        Wake();
    }
}

HttpServer::HttpServer(HttpServerOptions options, HttpHandler handler, HttpLogger logger)
    : loop_(std::make_unique<Loop>(std::move(options), std::move(handler), std::move(logger))) {}

HttpServer::~HttpServer() = default;

int HttpServer::Bind(const std::string& address, int port) {
    return loop_->Bind(address, port);
}

bool HttpServer::Run() {
    return loop_->Run();
}

void HttpServer::Stop() {
    loop_->Stop();
}

bool HttpServer::IsRunning() const {
    return loop_->running();
}

}  // namespace vt::server
