#include "net/http_download.h"

#include <algorithm>
#include <vector>

#include "net/base64.h"
#include "net/http_header_reader.h"
#include "net/resolve_host.h"
#include "net/socks_client.h"
#include "net/url.h"
#include "platform/files.h"
#include "platform/system.h"

namespace vt {

namespace {

// Body data moves in chunks of at most the ring's size.
constexpr size_t kChunkSize = kRecvRingSize;
// Received chunks are written to the temporary file in blocks of this size.
constexpr size_t kWriteBlock = 1 << 20;
// Chunk size when chunkPauseMs is 0.
constexpr size_t kFastChunkSize = 128 * 1024;
// Longest single wait for body data, so that a cancel is seen promptly.
constexpr int kCancelSliceMs = 200;

// The last component of an object path, as shown in notifications.
std::string FileNameOf(const std::string& objectPath) {
    size_t cut = objectPath.rfind('/');
    if (cut == std::string::npos)
        cut = objectPath.rfind('\\');
    if (cut == std::string::npos || objectPath.size() <= 1)
        return objectPath;
    return objectPath.substr(cut + 1);
}

}  // namespace

const char* DownloadResultText(int result) {
    switch (result) {
        case kDownloaded:
            return "downloaded; the target file is complete";
        case kAlreadyCurrent:
            return "the target file already matches the server; nothing transferred";
        case kDownloadCancelled:
            return "cancelled";
        case kEmptyUrl:
            return "the URL is empty";
        case kBadUrl:
            return "the URL cannot be parsed";
        case kEmptyLocalPath:
            return "the local path is empty";
        case kUnusableAnswer:
            return "the server's answer is unusable";
        case kConnectFailed:
            return "connection failure";
        case kRetriesSpent:
            return "connection failure; the retry budget is spent";
        case kBadRetryMode:
            return "connection failure with an unsupported retry mode";
        case kInternalError:
            return "unexpected internal result of a request";
        case kEmptyBody:
            return "the response announces a body of 0 bytes";
        case kTempOpenFailed:
            return "the temporary file cannot be opened";
        case kTempSeekFailed:
            return "the temporary file cannot be positioned for resuming";
        case kTooLarge:
            return "the file is larger than this client accepts";
        case kTooSlow:
            return "the transfer was too slow; the partial file is kept";
        case kTempWriteFailed:
            return "the temporary file cannot be written (disk full?)";
        case kRenameFailed:
            return "the finished file cannot be moved to the target name";
        default:
            return "unknown result";
    }
}

HttpDownload::~HttpDownload() {
    Disconnect();
}

void HttpDownload::SetNotify(DownloadNotify notify, int user1, int user2, int user3, bool enable) {
    if (enable && notify) {
        notify_ = std::move(notify);
        user1_ = user1;
        user2_ = user2;
        user3_ = user3;
        notifyEnabled_ = true;
    } else {
        notify_ = nullptr;
        notifyEnabled_ = false;
    }
}

void HttpDownload::Notify(int code) {
    if (!notifyEnabled_)
        return;
    DownloadProgress progress;
    progress.code = code;
    progress.totalSize = totalSize_;
    progress.doneSize = doneSize_;
    progress.fileName = fileName_;
    progress.user1 = user1_;
    progress.user2 = user2_;
    progress.user3 = user3_;
    notify_(progress);
}

bool HttpDownload::Connect() {
    Disconnect();
    socket_ = platform::CreateTcpSocket();
    if (!socket_.IsValid())
        return false;
    ring_ = std::make_unique<RecvRing>(socket_, kRecvRingSize);
    return true;
}

void HttpDownload::Disconnect() {
    ring_.reset();
    socket_.Close();
}

// 0 reached, 1 failed, 3 unsupported proxy or proxy method.
int HttpDownload::ReachServer() {
    const UrlParts& parts = target_.parts;
    SocksRequest socks;
    socks.host = parts.host;
    socks.port = parts.port;
    socks.user = proxyUser;
    socks.password = proxyPassword;
    socks.authEnabled = proxyAuthEnabled;
    socks.sendTimeoutMs = sendTimeout;
    socks.receiveTimeoutMs = receiveTimeout;
    switch (proxyType) {
        case kProxyNone:
            return ConnectToHost(socket_, parts.host, parts.port, connectTimeout) == 0 ? 0 : 1;
        case kProxyHttp:
            return ConnectToHost(socket_, proxyHost, proxyPort, connectTimeout) == 0 ? 0 : 1;
        case kProxySocks4:
        case kProxySocks4a:
            if (proxyType == kProxySocks4 && ResolveHost(parts.host) == platform::kNoAddress)
                return 1;
            if (ConnectToHost(socket_, proxyHost, proxyPort, connectTimeout) != 0)
                return 1;
            return Socks4Handshake(socket_, *ring_, socks, proxyType == kProxySocks4a);
        case kProxySocks5:
            if (ConnectToHost(socket_, proxyHost, proxyPort, connectTimeout) != 0)
                return 1;
            return Socks5Handshake(socket_, *ring_, socks);
        default:
            return 3;
    }
}

std::string HttpDownload::BuildRequest(const char* verb, bool& ranged) {
    std::string text = verb;
    if (proxyType == kProxyHttp) {
        text += target_.url + " HTTP/1.1\r\n";
        if (proxyAuthEnabled) {
            text += "Proxy-Authorization: Basic " + Base64Encode(proxyUser + ":" + proxyPassword) +
                    "\r\n";
        }
    } else {
        text += target_.parts.objectPath + " HTTP/1.1\r\n";
    }
    if (authEnabled) {
        text += "Authorization: Basic " + Base64Encode(authUser + ":" + authPassword) + "\r\n";
    }
    text += "Accept: */*\r\nCache-Control: no-cache\r\nConnection: Keep-Alive\r\n";
    text += "Host: " + target_.parts.host + "\r\n";
    text += "Pragma: no-cache\r\n";
    ranged = false;
    if (!force_ && platform::PathExists(tempPath_)) {
        doneSize_ = std::max<int64_t>(platform::FileSize(tempPath_), 0);
        if (doneSize_ != 0) {
            text += "Range: bytes=" + std::to_string(doneSize_) + "-\r\n";
            ranged = true;
        }
    }
    text += "User-Agent: " + userAgent + "\r\n\r\n";
    return text;
}

int HttpDownload::SendRequest(bool head) {
    const char* verb = head ? "HEAD " : "GET ";
    int redirects = 0;
    int resends = 0;
    for (;;) {
        doneSize_ = 0;
        contentLength_ = 0;
        headerText_.clear();
        if (!Connect())
            return kRequestUnusable;
        if (Cancelled())
            return kRequestCancelled;
        const int reached = ReachServer();
        if (reached == 3)
            return kRequestUnusable;
        if (reached != 0)
            return kRequestFailed;
        if (Cancelled())
            return kRequestCancelled;

        bool ranged = false;
        const std::string request = BuildRequest(verb, ranged);
        if (platform::SendAll(socket_, request.data(), request.size(), sendTimeout) <
            request.size()) {
            if (platform::LastSocketError() == platform::kSocketTimedOut &&
                ++resends <= maxResends) {
                continue;
            }
            return kRequestFailed;
        }
        if (Cancelled())
            return kRequestCancelled;

        // A header trickling in byte by byte never hits the receive time-out.
        const uint64_t headerStart = Now();
        const TimeLeft headerTimeLeft = [this, headerStart]() -> int64_t {
            return headerTimeout <= 0 ? receiveTimeout
                                      : headerTimeout - static_cast<int64_t>(Now() - headerStart);
        };
        switch (ReadResponseHeader(*ring_, headerText_, receiveTimeout, headerTimeLeft)) {
            case HeaderReadResult::kComplete:
                break;
            case HeaderReadResult::kFailed:
                return kRequestFailed;
            case HeaderReadResult::kTooLong:
                return kRequestUnusable;
        }
        const ResponseHeader response =
            ParseResponseHeader(headerText_, target_, std::time(nullptr));
        lastModified_ = response.lastModified;
        switch (response.verdict) {
            case kResponseAccepted:
                contentLength_ = response.contentLength;
                if (ranged && response.status == 206) {
                    resuming_ = true;
                    totalSize_ = contentLength_ + doneSize_;
                } else {
                    resuming_ = false;
                    doneSize_ = 0;
                    totalSize_ = contentLength_;
                }
                return kRequestOk;
            case kResponseServerError:
                return kRequestFailed;
            case kResponseRedirect:
                if (++redirects > maxRedirects)
                    return kRequestUnusable;
                continue;
            case kResponseUnusable:
                return kRequestUnusable;
        }
        return kRequestUnusable;
    }
}

bool HttpDownload::IsUpToDate() const {
    if (force_ || !platform::PathExists(localPath_))
        return false;
    const int64_t stamp = platform::FileTimeToUnixTime(platform::GetModifiedTime(localPath_));
    const int64_t difference = stamp - static_cast<int64_t>(lastModified_);
    return difference <= 2 && difference >= -2 && platform::FileSize(localPath_) == totalSize_;
}

uint64_t HttpDownload::Now() const {
    return clock ? clock() : platform::TickCountMs();
}

bool HttpDownload::RateKept(int64_t received) {
    if (minimumRate <= 0 || rateWindowMs <= 0)
        return true;
    windowBytes_ += received;
    const uint64_t now = Now();
    if (now - windowStart_ < static_cast<uint64_t>(rateWindowMs))
        return true;
    if (windowBytes_ * 1000 < static_cast<int64_t>(minimumRate) * rateWindowMs)
        return false;
    windowStart_ = now;
    windowBytes_ = 0;
    return true;
}

HttpDownload::BodyOutcome HttpDownload::ReceiveBody(bool& firstNotice, int& result) {
    if (contentLength_ <= 0) {
        result = kEmptyBody;
        return BodyOutcome::kFinished;
    }
    if (maxSize > 0 && totalSize_ > maxSize) {
        result = kTooLarge;
        return BodyOutcome::kFinished;
    }
    if (IsUpToDate()) {
        result = kAlreadyCurrent;
        return BodyOutcome::kFinished;
    }
    platform::File file;
    if (!file.Open(tempPath_, platform::File::Mode::kReadWrite)) {
        result = kTempOpenFailed;
        return BodyOutcome::kFinished;
    }
    if (resuming_) {
        const int64_t end = file.Size();
        if (end < 0 || !file.Seek(end)) {
            result = kTempSeekFailed;
            return BodyOutcome::kFinished;
        }
    } else if (!file.Truncate(0) || !file.Seek(0)) {
        // A restart at offset 0 must not leave an older, longer tail behind.
        result = kTempWriteFailed;
        return BodyOutcome::kFinished;
    }
    fileName_ = FileNameOf(target_.parts.objectPath);
    if (firstNotice && notifyEnabled_) {
        Notify(kNotifyStarted);
        Notify(kNotifyTotalKnown);
        Notify(kNotifyProgress);
        firstNotice = false;
    }

    responseBytes_ = 0;
    // Chunks are collected and written in large blocks: one file write per
    // chunk would cost more than the receive itself. Every way out of the
    // loop writes what was collected first, so the temporary file always
    // holds every byte received.
    // Unthrottled transfers move larger chunks: fewer receives and wake-ups.
    const size_t chunk = chunkPauseMs > 0 ? kChunkSize : kFastChunkSize;
    std::unique_ptr<uint8_t[]> block(new uint8_t[kWriteBlock]);  // not zero-filled
    size_t used = 0;
    const auto flush = [&] {
        const bool written = used == 0 || file.Write(block.get(), used);
        used = 0;
        return written;
    };
    // A failed write is not retried: a full disk stays full. What was
    // written stays for a resume.
    const auto writeFailed = [&] {
        result = kTempWriteFailed;
        return BodyOutcome::kFinished;
    };
    for (;;) {
        // Never past the announced length: extra bytes are not this body's.
        const int want = static_cast<int>(
            std::min<int64_t>(static_cast<int64_t>(chunk), contentLength_ - responseBytes_));
        // Waits in slices, so a cancel ends a stalled transfer promptly.
        int got = 0;
        for (int waited = 0; !Cancelled();) {
            const int slice = std::min(receiveTimeout - waited, kCancelSliceMs);
            got = ReadBytes(*ring_, block.get() + used, want, std::max(slice, 1));
            waited += slice;
            if (got > 0 || waited >= receiveTimeout || !RateKept(0))
                break;
        }
        if (Cancelled()) {
            if (!flush())
                return writeFailed();
            result = kDownloadCancelled;
            return BodyOutcome::kFinished;
        }
        if (got < 1) {
            if (!flush())
                return writeFailed();
            if (!RateKept(0)) {
                result = kTooSlow;
                return BodyOutcome::kFinished;
            }
            return BodyOutcome::kReconnect;
        }
        used += static_cast<size_t>(got);
        if (chunkPauseMs > 0) {
            platform::SleepMs(static_cast<unsigned>(chunkPauseMs));
        }
        if (used + chunk > kWriteBlock && !flush())
            return writeFailed();
        responseBytes_ += got;
        doneSize_ += got;
        Notify(kNotifyProgress);
        if (responseBytes_ >= contentLength_)
            break;
        if (!RateKept(got)) {
            if (!flush())
                return writeFailed();
            result = kTooSlow;
            return BodyOutcome::kFinished;
        }
    }
    if (!flush())
        return writeFailed();
    file.Close();
    Disconnect();
    // Replacing in one step keeps the old target when the move fails; the
    // complete temporary file stays for the next attempt.
    if (!platform::RenamePath(tempPath_, localPath_, true)) {
        result = kRenameFailed;
        return BodyOutcome::kFinished;
    }
    // A stamp that did not take only costs the up-to-date check next time.
    platform::SetModifiedTime(localPath_, platform::UnixTimeToFileTime(lastModified_));
    result = kDownloaded;
    return BodyOutcome::kFinished;
}

int HttpDownload::Download(const std::string& url, const std::string& localPath, bool force) {
    // The download's steps; the state changes only at the bottom of the loop.
    enum class Step { kRequest, kRetry, kDiscardAndRetry, kEnded };
    cancel = 0;
    force_ = force;
    retryCount_ = 0;
    resuming_ = false;

    target_.url = TrimText(url);
    if (target_.url.empty())
        return kEmptyUrl;
    if (!ParseUrl(target_.url, target_.parts)) {
        target_.url = "http://" + target_.url;
        if (!ParseUrl(target_.url, target_.parts))
            return kBadUrl;
    }
    localPath_ = TrimText(localPath);
    if (localPath_.empty())
        return kEmptyLocalPath;
    tempPath_ = localPath_ + ".down";

    bool firstNotice = true;
    responseBytes_ = 0;
    doneSize_ = 0;
    totalSize_ = 0;
    contentLength_ = 0;
    int64_t furthest = -1;
    int stalled = 0;
    windowStart_ = Now();
    windowBytes_ = 0;
    int result = kInternalError;
    Step step = Step::kRequest;
    while (step != Step::kEnded) {
        Step next = Step::kEnded;
        switch (step) {
            case Step::kRequest:
                // Reconnecting counts against the rate as well.
                if (!RateKept(0)) {
                    result = kTooSlow;
                    break;
                }
                switch (SendRequest(false)) {
                    case kRequestOk:
                        if (ReceiveBody(firstNotice, result) == BodyOutcome::kFinished)
                            break;
                        // Broken body: ask for the rest, unless reconnects in a
                        // row stop bringing new bytes.
                        if (doneSize_ > furthest) {
                            furthest = doneSize_;
                            stalled = 0;
                        } else if (++stalled > maxStalledReconnects) {
                            result = retryMode == kRetryCounted ? kRetriesSpent : kConnectFailed;
                            break;
                        }
                        next = Step::kRequest;
                        break;
                    case kRequestFailed:
                        next = Step::kRetry;
                        break;
                    case kRequestCancelled:
                        result = kDownloadCancelled;
                        break;
                    case kRequestUnusable:
                        result = kUnusableAnswer;
                        next = Step::kDiscardAndRetry;
                        break;
                    default:
                        result = kInternalError;
                        break;
                }
                break;
            case Step::kRetry:
                if (Cancelled()) {
                    result = kDownloadCancelled;
                    break;
                }
                if (retryMode == kRetryOnce) {
                    result = kConnectFailed;
                    next = Step::kDiscardAndRetry;
                    break;
                }
                if (retryMode == kRetryCounted && retryCount_++ > retryMax) {
                    result = kRetriesSpent;
                    break;
                }
                if (retryMode != kRetryCounted && retryMode != kRetryForever) {
                    result = kBadRetryMode;
                    break;
                }
                if (retryDelay != 0)
                    platform::SleepMs(retryDelay);
                next = Step::kRequest;
                break;
            case Step::kDiscardAndRetry:
                // One fresh start without the temporary file; `result` stands
                // when there is none (or it cannot be removed).
                if (platform::PathExists(tempPath_) && platform::RemoveFile(tempPath_)) {
                    next = Step::kRequest;
                }
                break;
            case Step::kEnded:
                break;
        }
        step = next;
    }
    return result;
}

}  // namespace vt
