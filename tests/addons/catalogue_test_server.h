// A catalogue server on 127.0.0.1 for the pipeline tests: serves files by path
// (with Range), answers the stamp and statistics form interfaces, and can be
// told to stall a transfer or to answer garbage. Records every request.
#pragma once

#include <atomic>
#include <cstdlib>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "addons/addon_paths.h"
#include "net/exchange_peer.h"
#include "net/loopback_server.h"
#include "net/url_codec.h"
#include "platform/system.h"

namespace vt::test {

class CatalogueTestServer {
  public:
    CatalogueTestServer() : server_([this](int, ServerConnection& c) { Serve(c); }) {}

    // "http://127.0.0.1:PORT".
    std::string Root() const { return server_.Url(""); }
    void SetFile(const std::string& path, const std::string& body) {
        std::lock_guard<std::mutex> lock(mutex_);
        files_[path] = body;
    }
    // The stamp the stamp interface answers; "" makes the interface fail (404).
    void SetStamp(const std::string& stamp) {
        std::lock_guard<std::mutex> lock(mutex_);
        stamp_ = stamp;
    }
    // Transfers of path stop at this offset of the file and hold the
    // connection until the server ends; -1 sends everything.
    void SetStallAfter(const std::string& path, long bytes) {
        std::lock_guard<std::mutex> lock(mutex_);
        stallPath_ = path;
        stallAfter_ = bytes;
    }
    // Every answer is this text instead (empty: normal answers).
    void SetGarbage(const std::string& text) {
        std::lock_guard<std::mutex> lock(mutex_);
        garbage_ = text;
    }
    std::vector<std::string> heads() const { return server_.heads(); }
    // Form texts that reached the statistics interface.
    std::vector<std::string> pings() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return pings_;
    }
    int Count(const std::string& requestLineStart) const {
        int n = 0;
        for (const std::string& head : heads())
            n += head.rfind(requestLineStart, 0) == 0;
        return n;
    }
    ~CatalogueTestServer() { stopping_ = true; }

  private:
    void Serve(ServerConnection& connection) {
        std::string body;
        const std::string head = connection.ReadRequest(body);
        const size_t space = head.find(' ');
        const std::string method = head.substr(0, space);
        const std::string path = head.substr(space + 1, head.find(' ', space + 1) - space - 1);
        std::unique_lock<std::mutex> lock(mutex_);
        if (!garbage_.empty()) {
            const std::string garbage = garbage_;
            lock.unlock();
            connection.Send(garbage);
            return;
        }
        if (method == "POST") {
            std::string salt, data;
            const size_t field = body.find("data=");
            const bool decoded =
                field != std::string::npos &&
                net::DecodeExchangeRequest(body.substr(field + 5), addons::kCatalogueExchangeKey,
                                           salt, data);
            std::string answer;
            if (decoded && path == addons::kUsagePingPath) {
                pings_.push_back(data);
                answer =
                    net::EncodeExchangeAnswer("Result%3D1", addons::kCatalogueExchangeKey, salt);
            } else if (decoded && path == addons::kStampInterfacePath && !stamp_.empty()) {
                answer = net::EncodeExchangeAnswer("XMLMD5%3D" + stamp_,
                                                   addons::kCatalogueExchangeKey, salt);
            }
            lock.unlock();
            connection.Send(answer.empty() ? Answer(404, "") : Answer(200, answer));
            return;
        }
        const auto file = files_.find(path);
        if (file == files_.end()) {
            lock.unlock();
            connection.Send(Answer(404, ""));
            return;
        }
        const std::string content = file->second;
        const long stall = path == stallPath_ ? stallAfter_ : -1;
        lock.unlock();
        size_t from = 0;
        const std::string range = HeaderValue(head, "Range");
        if (range.rfind("bytes=", 0) == 0)
            from = std::strtoul(range.c_str() + 6, nullptr, 10);
        if (from > content.size())
            from = content.size();
        std::string answer = FilePart(content, from);
        if (stall >= 0) {
            const size_t headLength = answer.find("\r\n\r\n") + 4;
            const size_t allowed =
                static_cast<size_t>(stall) > from ? static_cast<size_t>(stall) - from : 0;
            answer.resize(std::min(answer.size(), headLength + allowed));
            connection.Send(answer);
            while (!stopping_)
                platform::SleepMs(10);
            return;
        }
        connection.Send(answer);
    }

    // The file from offset from on: all of it (200) or the rest (206).
    static std::string FilePart(const std::string& content, size_t from) {
        if (from == 0)
            return Answer(200, content);
        return AnswerHead("206 Partial Content",
                          "Content-Range: bytes " + std::to_string(from) + "-" +
                              std::to_string(content.size() - 1) + "/" +
                              std::to_string(content.size()) + "\r\nContent-Length: " +
                              std::to_string(content.size() - from) + "\r\nConnection: close\r\n") +
               content.substr(from);
    }

    mutable std::mutex mutex_;
    std::map<std::string, std::string> files_;
    std::string stamp_;
    std::string stallPath_;
    long stallAfter_ = -1;
    std::string garbage_;
    std::vector<std::string> pings_;
    std::atomic<bool> stopping_{false};
    LoopbackServer server_;  // last: its thread stops first
};

}  // namespace vt::test
