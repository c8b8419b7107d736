#include "count_store.h"

#include <hiredis/hiredis.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <mutex>

namespace vt::server {

namespace {

class LocalCountStore : public CountStore {
  public:
    bool Add(const std::string& group, const std::string& key) override {
        std::lock_guard<std::mutex> lock(mutex_);
        ++groups_[group][key];
        return true;
    }
    bool Read(const std::string& group, std::map<std::string, long>& counts) override {
        std::lock_guard<std::mutex> lock(mutex_);
        counts = groups_[group];
        return true;
    }
    std::string Describe() const override { return "local"; }

  private:
    std::mutex mutex_;
    std::map<std::string, std::map<std::string, long>> groups_;
};

struct ContextDeleter {
    void operator()(redisContext* context) const { redisFree(context); }
};
struct ReplyDeleter {
    void operator()(redisReply* reply) const { freeReplyObject(reply); }
};
using ReplyPtr = std::unique_ptr<redisReply, ReplyDeleter>;

// Counts in Redis hashes "PREFIX:GROUP", one field per key, changed with
// HINCRBY so that every process's additions land. One connection, shared
// under a lock; it is re-opened after a failure, at most once a second so
// that a store that is down costs a request little.
class RedisCountStore : public CountStore {
  public:
    RedisCountStore(std::string host, int port, std::string prefix)
        : host_(std::move(host)), port_(port), prefix_(std::move(prefix)) {}

    bool Add(const std::string& group, const std::string& key) override {
        std::lock_guard<std::mutex> lock(mutex_);
        ReplyPtr reply = Command("HINCRBY %s %s 1", (prefix_ + ":" + group).c_str(), key.c_str());
        return reply && reply->type == REDIS_REPLY_INTEGER;
    }

    bool Read(const std::string& group, std::map<std::string, long>& counts) override {
        counts.clear();
        std::lock_guard<std::mutex> lock(mutex_);
        ReplyPtr reply = Command("HGETALL %s", (prefix_ + ":" + group).c_str());
        if (!reply || reply->type != REDIS_REPLY_ARRAY)
            return false;
        for (size_t i = 0; i + 1 < reply->elements; i += 2) {
            const redisReply* field = reply->element[i];
            const redisReply* value = reply->element[i + 1];
            if (field->type != REDIS_REPLY_STRING || value->type != REDIS_REPLY_STRING)
                continue;
            counts[std::string(field->str, field->len)] = std::strtol(value->str, nullptr, 10);
        }
        return true;
    }

    std::string Describe() const override {
        return "redis " + host_ + ":" + std::to_string(port_) + " (keys " + prefix_ + ":*)";
    }

  private:
    using Clock = std::chrono::steady_clock;

    template <typename... Args>
    ReplyPtr Command(const char* format, Args... args) {
        if (!context_ && !Connect())
            return nullptr;
        ReplyPtr reply(static_cast<redisReply*>(redisCommand(context_.get(), format, args...)));
        if (!reply || context_->err) {
            Report(context_->err ? context_->errstr : "no reply");
            context_.reset();
            retryAt_ = Clock::now() + std::chrono::seconds(1);
            return nullptr;
        }
        if (reply->type == REDIS_REPLY_ERROR) {
            Report(reply->str);
            return nullptr;
        }
        failing_ = false;
        return reply;
    }

    bool Connect() {
        if (Clock::now() < retryAt_)
            return false;
        const timeval connectLimit{0, 500 * 1000}, commandLimit{1, 0};
        context_.reset(redisConnectWithTimeout(host_.c_str(), port_, connectLimit));
        if (!context_ || context_->err ||
            redisSetTimeout(context_.get(), commandLimit) != REDIS_OK) {
            Report(context_ ? context_->errstr : "cannot allocate a connection");
            context_.reset();
            retryAt_ = Clock::now() + std::chrono::seconds(1);
            return false;
        }
        return true;
    }

    // One line on stderr when the store starts failing, not one per request.
    void Report(const char* what) {
        if (!failing_)
            std::fprintf(stderr, "tessel-server: count store %s: %s\n", Describe().c_str(), what);
        failing_ = true;
    }

    std::string host_;
    int port_;
    std::string prefix_;
    std::mutex mutex_;
    std::unique_ptr<redisContext, ContextDeleter> context_;
    Clock::time_point retryAt_{};
    bool failing_ = false;
};

}  // namespace

std::unique_ptr<CountStore> MakeLocalCountStore() {
    return std::make_unique<LocalCountStore>();
}

std::unique_ptr<CountStore> MakeCountStore(const std::string& description, std::string& error) {
    if (description == "local")
        return MakeLocalCountStore();
    const std::string scheme = "redis://";
    if (description.compare(0, scheme.size(), scheme) != 0) {
        error = "count store must be \"local\" or redis://HOST:PORT[/PREFIX]";
        return nullptr;
    }
    const std::string rest = description.substr(scheme.size());
    const size_t slash = rest.find('/');
    const std::string hostPort = rest.substr(0, slash);
    std::string prefix = slash == std::string::npos ? "" : rest.substr(slash + 1);
    if (prefix.empty())
        prefix = "tessel";
    const size_t colon = hostPort.rfind(':');
    const std::string host = hostPort.substr(0, colon);
    const std::string port = colon == std::string::npos ? "" : hostPort.substr(colon + 1);
    if (host.empty() || port.empty() || port.size() > 5 ||
        port.find_first_not_of("0123456789") != std::string::npos || std::stoi(port) == 0 ||
        std::stoi(port) > 65535 || prefix.find_first_of(" \t\r\n") != std::string::npos) {
        error = "count store " + description + ": needs redis://HOST:PORT[/PREFIX]";
        return nullptr;
    }
    return std::make_unique<RedisCountStore>(host, std::stoi(port), prefix);
}

}  // namespace vt::server
