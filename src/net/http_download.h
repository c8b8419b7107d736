// The resumable HTTP/1.1 download client: fetches one resource into a local
// file through a ".down" temporary file, resuming with Range, following
// redirects, optionally through an HTTP or SOCKS proxy.
#pragma once

#include <atomic>
#include <cstdint>
#include <ctime>
#include <functional>
#include <memory>
#include <string>

#include "net/http_response.h"
#include "net/recv_ring.h"
#include "platform/files.h"
#include "platform/socket.h"

namespace vt::net {

// The value Download returns; 0 and 1 count as success.
enum DownloadResult {
    kDownloaded = 0,         // the target file is complete
    kAlreadyCurrent = 1,     // the target matches the server; nothing transferred
    kDownloadCancelled = 2,  //
    kEmptyUrl = 3,           // the URL is empty after trimming
    kBadUrl = 4,             // the URL cannot be parsed, also with "http://" in front
    kEmptyLocalPath = 5,     // the local path is empty after trimming
    kUnusableAnswer = 6,     // unusable answer and no temporary file to discard
    kConnectFailed = 7,      // connection failure in retry mode 0 (or reconnects exhausted)
    kRetriesSpent = 8,       // connection failure in retry mode 1, budget spent
    kBadRetryMode = 9,       // connection failure with an unsupported retry mode
    kInternalError = 10,     // unexpected result of a request
    kEmptyBody = 11,         // the response announces a body of 0 bytes
    kTempOpenFailed = 12,    // the temporary file cannot be opened
    kTempSeekFailed = 13,    // the temporary file cannot be positioned for resuming
    kTooLarge = 14,          // the resource is larger than maxSize
    kTooSlow = 15,           // slower than minimumRate; the temporary file is kept
    kTempWriteFailed = 16,   // the temporary file cannot be written (a full disk)
    kRenameFailed = 17,      // the finished file cannot take the target's name
};

// One line of English saying what a DownloadResult means.
const char* DownloadResultText(DownloadResult result);

enum ProxyType {
    kProxyNone = 0,
    kProxyHttp = 1,
    kProxySocks4 = 3,
    kProxySocks4a = 4,
    kProxySocks5 = 5
};

// What a failed connection leads to: 0 no retry (one fresh start when a
// temporary file exists), 1 up to retryMax + 1 retries, 2 retries without limit.
enum RetryMode { kRetryOnce = 0, kRetryCounted = 1, kRetryForever = 2 };

// Notification codes: at the start of a transfer 2, 1 and 3 in this order,
// then 3 after every chunk.
enum DownloadNotifyCode { kNotifyTotalKnown = 1, kNotifyStarted = 2, kNotifyProgress = 3 };

// The record every notification carries; valid only during the callback.
struct DownloadProgress {
    int code = 0;
    int64_t totalSize = 0;
    int64_t doneSize = 0;
    std::string fileName;
    int user1 = -1;
    int user2 = -1;
    int user3 = -1;
};

// Called on the downloading thread, which waits until it returns.
using DownloadNotify = std::function<void(const DownloadProgress&)>;

// One transfer at a time; create, configure the public fields, call Download.
class HttpDownload {
  public:
    HttpDownload() = default;
    ~HttpDownload();
    HttpDownload(const HttpDownload&) = delete;
    HttpDownload& operator=(const HttpDownload&) = delete;

    // Fetches url into localPath (force: no up-to-date check and no Range).
    // Blocks until the transfer ends.
    DownloadResult Download(const std::string& url, const std::string& localPath, bool force);

    // Turns notifications on when enable is set and notify is callable;
    // otherwise off (the user values stay).
    void SetNotify(DownloadNotify notify, int user1, int user2, int user3, bool enable);

    // Set from any thread to stop; cleared at the start of Download.
    std::atomic<int> cancel{0};
    // A flag of the caller's that stops the transfer like cancel but is never
    // cleared here (a library stopping all its transfers); may be null.
    const std::atomic<bool>* stop = nullptr;

    std::string userAgent = "HttpDownload/2.0";
    int connectTimeout = 10000;  // ms, TCP connects
    int receiveTimeout = 10000;  // ms, each receive wait
    int sendTimeout = 10000;     // ms, each send wait and proxy handshake write
    int retryMode = kRetryOnce;
    unsigned retryDelay = 0;  // ms before a retry in modes 1 and 2
    unsigned retryMax = 0;    // retry budget of mode 1

    bool authEnabled = false;  // send Authorization: Basic
    std::string authUser;
    std::string authPassword;

    std::string proxyHost;
    uint16_t proxyPort = 0;
    int proxyType = kProxyNone;     // 2 and values above 5 are not supported
    bool proxyAuthEnabled = false;  // HTTP proxy header, SOCKS5 user/password
    std::string proxyUser;          // also the SOCKS4 user id
    std::string proxyPassword;

    // Pause after each received chunk, before it is written (ms).
    int chunkPauseMs = 10;
    // Bounds on loops a hostile server could make endless: redirects followed
    // per request, resends after send time-outs per request, and reconnects
    // in a row that bring the transfer no further. Past them: a failure result.
    int maxRedirects = 20;
    int maxResends = 3;
    int maxStalledReconnects = 5;
    // Largest resource accepted, in bytes (0: no limit); a larger announced
    // size ends the transfer with kTooLarge before anything is written.
    int64_t maxSize = 0;
    // Slowest transfer accepted: at least minimumRate bytes per second over
    // each rateWindowMs, time spent reconnecting included (0: no minimum).
    // A slower one ends with kTooSlow, its partial file kept for a resume.
    int minimumRate = 1024;
    int rateWindowMs = 60000;
    // Longest time one response header may take to arrive, in ms (0: no
    // limit); past it the request counts as a failed connection.
    int headerTimeout = 30000;
    // The clock those bounds are measured with, in ms; TickCountMs when empty.
    std::function<uint64_t()> clock;

    // State of the last transfer, for callers and tests.
    const std::string& url() const { return target_.url; }
    const std::string& host() const { return target_.parts.host; }
    const std::string& objectPath() const { return target_.parts.objectPath; }
    uint16_t port() const { return target_.parts.port; }
    const std::string& headerText() const { return headerText_; }
    int64_t totalSize() const { return totalSize_; }
    int64_t doneSize() const { return doneSize_; }
    bool resuming() const { return resuming_; }
    std::time_t lastModified() const { return lastModified_; }
    const std::string& fileName() const { return fileName_; }

  private:
    // The download's steps (Download's state machine): send a request and
    // receive its body, wait and retry after a failed connection, or start
    // once more without the temporary file.
    enum class Step { kRequest, kRetry, kDiscardAndRetry, kEnded };
    // How a request, or one of its stages, went: done, to be made again (a
    // redirect, a resend after a send time-out), failed (worth a retry),
    // cancelled, or unusable (the answer or the proxy cannot be used).
    enum class RequestResult { kOk, kAgain, kFailed, kCancelled, kUnusable };
    // Where receiving a body ended: every announced byte is in the temporary
    // file, the connection broke off (ask again for the rest), or the
    // transfer ended (its DownloadResult says how).
    enum class BodyOutcome { kComplete, kReconnect, kEnded };

    // The checks and the fresh state of one Download; false with result set
    // when the input cannot be used.
    bool Begin(const std::string& url, const std::string& localPath, bool force,
               DownloadResult& result);
    Step RequestStep(DownloadResult& result);
    Step RetryStep(DownloadResult& result);
    Step DiscardStep();

    bool Connect();
    void Disconnect();
    // The request's stages: a connection to the server or through the
    // proxy, the request head sent, the response header read and judged.
    RequestResult SendRequest();
    RequestResult OpenConnection();
    RequestResult ReachServer();
    RequestResult SendHead(bool& ranged, int& resends);
    RequestResult ReadAnswer(bool ranged, int& redirects);
    std::string BuildRequest(bool& ranged);

    // The body's stages: whether one is wanted, the temporary file opened at
    // the resume point, the bytes copied, the finished file put in place.
    BodyOutcome ReceiveBody(DownloadResult& result);
    bool WantBody(DownloadResult& result) const;
    bool OpenTemporary(platform::File& file, DownloadResult& result);
    BodyOutcome CopyBody(platform::File& file, DownloadResult& result);
    int ReceiveChunk(uint8_t* into, int want);
    DownloadResult PlaceTarget();
    bool IsUpToDate() const;
    void Notify(int code);
    bool Cancelled() const { return cancel != 0 || (stop != nullptr && *stop); }
    uint64_t Now() const;
    // Counts received bytes against minimumRate; false once a window ended
    // below it.
    bool RateKept(int64_t received);

    RequestTarget target_;
    std::string localPath_;
    std::string tempPath_;
    bool force_ = false;
    bool resuming_ = false;
    int64_t totalSize_ = 0;
    int64_t doneSize_ = 0;
    int64_t contentLength_ = 0;
    int64_t responseBytes_ = 0;
    std::string headerText_;
    std::time_t lastModified_ = 0;
    unsigned retryCount_ = 0;
    std::string fileName_;
    uint64_t windowStart_ = 0;
    int64_t windowBytes_ = 0;
    bool firstNotice_ = true;  // the start notices are still to come
    int64_t furthest_ = -1;    // most bytes any attempt of this transfer brought
    int stalled_ = 0;          // reconnects in a row that brought nothing new

    DownloadNotify notify_;
    bool notifyEnabled_ = false;
    int user1_ = -1;
    int user2_ = -1;
    int user3_ = -1;

    platform::Socket socket_;
    std::unique_ptr<RecvRing> ring_;  // bound to socket_; released first
};

}  // namespace vt::net
