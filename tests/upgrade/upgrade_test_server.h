// A canned upgrade server on 127.0.0.1 for the check's tests: it decodes the
// version request under its key, keeps what the client sent, and answers with
// the reply it is told to give (a reply form, or raw body text, with any HTTP
// status); GET requests get the files it holds.
#pragma once

#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "net/exchange_peer.h"
#include "net/loopback_server.h"
#include "upgrade/upgrade_settings.h"

namespace vt::test {

inline const std::string kUpgradeKey = "ptmn%#*mhq789!(";

// One decoded request.
struct VersionRequestSeen {
    std::string body;  // as posted
    bool decoded = false;
    std::string token;  // the 8 characters the reply must start with
    std::string form;   // "toolsign=..."
};

class UpgradeTestServer {
  public:
    // What the next version requests get.
    struct Reply {
        std::string form;  // plaintext after the token, encrypted under answerKey
        std::string answerKey = kUpgradeKey;
        std::string raw;  // when set, sent as the body instead ($TOKEN and
                          // $CIPHER are replaced by the token and the encrypted form)
        int status = 200;
    };

    UpgradeTestServer()
        : server_([this](int, ServerConnection& connection) {
              std::string body;
              const std::string head = connection.ReadRequest(body);
              // The client may hang up early on a long answer; that ends the send.
              connection.Send(Respond(head, body));
          }) {}

    void SetReply(Reply reply) {
        std::lock_guard<std::mutex> lock(mutex_);
        reply_ = std::move(reply);
    }
    void SetForm(const std::string& form) {
        Reply reply;
        reply.form = form;
        SetReply(reply);
    }
    // Runs gate on the server's thread before each version request is answered
    // (a gate that waits holds the client in its post).
    void SetGate(std::function<void()> gate) {
        std::lock_guard<std::mutex> lock(mutex_);
        gate_ = std::move(gate);
    }
    // Serves bytes for GET path (a path such as "/upgrade/Refitter.zip").
    void SetFile(const std::string& path, const std::string& bytes) {
        std::lock_guard<std::mutex> lock(mutex_);
        files_[path] = bytes;
    }
    std::vector<VersionRequestSeen> Requests() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return requests_;
    }
    std::vector<std::string> Gets() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return gets_;
    }
    // "127.0.0.1:port", as the program passes the upgrade server to the module.
    std::string HostPort() const { return server_.Url("").substr(7); }
    std::string Url(const std::string& path) const { return server_.Url(path); }

  private:
    // The whole answer to one request.
    std::string Respond(const std::string& head, const std::string& body) {
        std::function<void()> gate;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            gate = gate_;
        }
        if (gate && head.rfind("POST ", 0) == 0)
            gate();
        std::lock_guard<std::mutex> lock(mutex_);
        const size_t space = head.find(' ');
        const std::string path = head.substr(space + 1, head.find(' ', space + 1) - space - 1);
        if (head.rfind("GET ", 0) == 0) {
            gets_.push_back(path);
            const auto file = files_.find(path);
            if (file == files_.end())
                return test::Answer(404, "no such file");
            return test::Answer(200, file->second);
        }
        VersionRequestSeen seen;
        seen.body = body;
        if (body.rfind("data=", 0) == 0)
            seen.decoded =
                net::DecodeExchangeRequest(body.substr(5), kUpgradeKey, seen.token, seen.form);
        requests_.push_back(seen);
        const std::string cipher =
            net::EncodeExchangeAnswer(reply_.form, reply_.answerKey, seen.token).substr(5);
        if (reply_.raw.empty())
            return test::Answer(reply_.status, "bingo" + cipher + "\r\n");
        std::string raw = reply_.raw;
        Replace(raw, "$TOKEN", seen.token);
        Replace(raw, "$CIPHER", cipher);
        return test::Answer(reply_.status, raw);
    }

    static void Replace(std::string& text, const std::string& from, const std::string& to) {
        for (size_t at = text.find(from); at != std::string::npos;
             at = text.find(from, at + to.size()))
            text.replace(at, from.size(), to);
    }

    mutable std::mutex mutex_;
    Reply reply_;
    std::function<void()> gate_;
    std::map<std::string, std::string> files_;
    std::vector<VersionRequestSeen> requests_;
    std::vector<std::string> gets_;
    LoopbackServer server_;  // last: stops before the state it reads goes away
};

}  // namespace vt::test
