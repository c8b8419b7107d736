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

namespace vt::net {

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

const char* DownloadResultText(DownloadResult result) {
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
    }
    return "unknown result";
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

HttpDownload::RequestResult HttpDownload::ReachServer() {
    const UrlParts& parts = target_.parts;
    if (proxyType == kProxyNone)
        return ConnectToHost(socket_, parts.host, parts.port, connectTimeout)
                   ? RequestResult::kOk
                   : RequestResult::kFailed;
    if (proxyType != kProxyHttp && proxyType != kProxySocks4 && proxyType != kProxySocks4a &&
        proxyType != kProxySocks5)
        return RequestResult::kUnusable;
    // Plain SOCKS4 carries only an address: a name the client cannot resolve
    // is no use to it.
    if (proxyType == kProxySocks4 && ResolveHost(parts.host) == platform::kNoAddress)
        return RequestResult::kFailed;
    if (!ConnectToHost(socket_, proxyHost, proxyPort, connectTimeout))
        return RequestResult::kFailed;
    if (proxyType == kProxyHttp)
        return RequestResult::kOk;
    SocksRequest socks;
    socks.host = parts.host;
    socks.port = parts.port;
    socks.user = proxyUser;
    socks.password = proxyPassword;
    socks.authEnabled = proxyAuthEnabled;
    socks.sendTimeoutMs = sendTimeout;
    socks.receiveTimeoutMs = receiveTimeout;
    const SocksResult handshake =
        proxyType == kProxySocks5
            ? Socks5Handshake(socket_, *ring_, socks)
            : Socks4Handshake(socket_, *ring_, socks, proxyType == kProxySocks4a);
    switch (handshake) {
        case kSocksConnected:
            return RequestResult::kOk;
        case kSocksFailed:
            return RequestResult::kFailed;
        case kSocksUnusable:
            break;
    }
    return RequestResult::kUnusable;
}

std::string HttpDownload::BuildRequest(bool& ranged) {
    std::string text = "GET ";
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

HttpDownload::RequestResult HttpDownload::SendRequest() {
    int redirects = 0;
    int resends = 0;
    for (;;) {
        bool ranged = false;
        RequestResult result = OpenConnection();
        if (result == RequestResult::kOk)
            result = SendHead(ranged, resends);
        if (result == RequestResult::kOk)
            result = ReadAnswer(ranged, redirects);
        if (result != RequestResult::kAgain)
            return result;
    }
}

HttpDownload::RequestResult HttpDownload::OpenConnection() {
    doneSize_ = 0;
    contentLength_ = 0;
    headerText_.clear();
    if (!Connect())
        return RequestResult::kUnusable;
    if (Cancelled())
        return RequestResult::kCancelled;
    const RequestResult reached = ReachServer();
    if (reached == RequestResult::kOk && Cancelled())
        return RequestResult::kCancelled;
    return reached;
}

HttpDownload::RequestResult HttpDownload::SendHead(bool& ranged, int& resends) {
    const std::string request = BuildRequest(ranged);
    if (platform::SendAll(socket_, request.data(), request.size(), sendTimeout) < request.size()) {
        const bool timedOut = platform::LastSocketError() == platform::kSocketTimedOut;
        return timedOut && ++resends <= maxResends ? RequestResult::kAgain : RequestResult::kFailed;
    }
    return Cancelled() ? RequestResult::kCancelled : RequestResult::kOk;
}

HttpDownload::RequestResult HttpDownload::ReadAnswer(bool ranged, int& redirects) {
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
            return RequestResult::kFailed;
        case HeaderReadResult::kTooLong:
            return RequestResult::kUnusable;
    }
    const ResponseHeader response = ParseResponseHeader(headerText_, target_, std::time(nullptr));
    lastModified_ = response.lastModified;
    switch (response.verdict) {
        case kResponseAccepted:
            contentLength_ = response.contentLength;
            resuming_ = ranged && response.status == 206;
            if (!resuming_)
                doneSize_ = 0;
            totalSize_ = contentLength_ + doneSize_;
            return RequestResult::kOk;
        case kResponseServerError:
            return RequestResult::kFailed;
        case kResponseRedirect:
            return ++redirects > maxRedirects ? RequestResult::kUnusable : RequestResult::kAgain;
        case kResponseUnusable:
            break;
    }
    return RequestResult::kUnusable;
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

HttpDownload::BodyOutcome HttpDownload::ReceiveBody(DownloadResult& result) {
    platform::File file;
    if (!WantBody(result) || !OpenTemporary(file, result))
        return BodyOutcome::kEnded;
    fileName_ = FileNameOf(target_.parts.objectPath);
    if (firstNotice_ && notifyEnabled_) {
        Notify(kNotifyStarted);
        Notify(kNotifyTotalKnown);
        Notify(kNotifyProgress);
        firstNotice_ = false;
    }
    const BodyOutcome outcome = CopyBody(file, result);
    if (outcome != BodyOutcome::kComplete)
        return outcome;
    file.Close();
    Disconnect();
    result = PlaceTarget();
    return BodyOutcome::kEnded;
}

bool HttpDownload::WantBody(DownloadResult& result) const {
    if (contentLength_ <= 0) {
        result = kEmptyBody;
    } else if (maxSize > 0 && totalSize_ > maxSize) {
        result = kTooLarge;
    } else if (IsUpToDate()) {
        result = kAlreadyCurrent;
    } else {
        return true;
    }
    return false;
}

bool HttpDownload::OpenTemporary(platform::File& file, DownloadResult& result) {
    if (!file.Open(tempPath_, platform::File::Mode::kReadWrite)) {
        result = kTempOpenFailed;
        return false;
    }
    if (resuming_) {
        const int64_t end = file.Size();
        if (end < 0 || !file.Seek(end)) {
            result = kTempSeekFailed;
            return false;
        }
    } else if (!file.Truncate(0) || !file.Seek(0)) {
        // A restart at offset 0 must not leave an older, longer tail behind.
        result = kTempWriteFailed;
        return false;
    }
    return true;
}

HttpDownload::BodyOutcome HttpDownload::CopyBody(platform::File& file, DownloadResult& result) {
    // Chunks are collected and written in large blocks: one file write per
    // chunk would cost more than the receive itself. Unthrottled transfers
    // move larger chunks: fewer receives and wake-ups.
    const size_t chunk = chunkPauseMs > 0 ? kChunkSize : kFastChunkSize;
    std::unique_ptr<uint8_t[]> block(new uint8_t[kWriteBlock]);  // not zero-filled
    size_t used = 0;
    // A failed write is not retried (a full disk stays full) and ends the
    // transfer; what was written stays for a resume.
    const auto flushed = [&] {
        const bool written = used == 0 || file.Write(block.get(), used);
        used = 0;
        if (!written)
            result = kTempWriteFailed;
        return written;
    };
    // Every way out writes what was collected first, so the temporary file
    // always holds every byte received.
    const auto leave = [&](BodyOutcome outcome, DownloadResult why) {
        if (!flushed())
            return BodyOutcome::kEnded;
        result = why;
        return outcome;
    };
    responseBytes_ = 0;
    for (;;) {
        // Never past the announced length: extra bytes are not this body's.
        const int want = static_cast<int>(
            std::min<int64_t>(static_cast<int64_t>(chunk), contentLength_ - responseBytes_));
        const int got = ReceiveChunk(block.get() + used, want);
        if (Cancelled())
            return leave(BodyOutcome::kEnded, kDownloadCancelled);
        if (got < 1) {
            return RateKept(0) ? leave(BodyOutcome::kReconnect, kConnectFailed)
                               : leave(BodyOutcome::kEnded, kTooSlow);
        }
        used += static_cast<size_t>(got);
        if (chunkPauseMs > 0)
            platform::SleepMs(static_cast<unsigned>(chunkPauseMs));
        if (used + chunk > kWriteBlock && !flushed())
            return BodyOutcome::kEnded;
        responseBytes_ += got;
        doneSize_ += got;
        Notify(kNotifyProgress);
        if (responseBytes_ >= contentLength_)
            return leave(BodyOutcome::kComplete, kDownloaded);
        if (!RateKept(got))
            return leave(BodyOutcome::kEnded, kTooSlow);
    }
}

int HttpDownload::ReceiveChunk(uint8_t* into, int want) {
    // Waits in slices, so a cancel ends a stalled transfer promptly.
    int got = 0;
    for (int waited = 0; !Cancelled();) {
        const int slice = std::min(receiveTimeout - waited, kCancelSliceMs);
        got = ReadBytes(*ring_, into, want, std::max(slice, 1));
        waited += slice;
        if (got > 0 || waited >= receiveTimeout || !RateKept(0))
            break;
    }
    return got;
}

DownloadResult HttpDownload::PlaceTarget() {
    // Replacing in one step keeps the old target when the move fails; the
    // complete temporary file stays for the next attempt.
    if (!platform::RenamePath(tempPath_, localPath_, true))
        return kRenameFailed;
    // A stamp that did not take only costs the up-to-date check next time.
    platform::SetModifiedTime(localPath_, platform::UnixTimeToFileTime(lastModified_));
    return kDownloaded;
}

bool HttpDownload::Begin(const std::string& url, const std::string& localPath, bool force,
                         DownloadResult& result) {
    cancel = 0;
    force_ = force;
    retryCount_ = 0;
    resuming_ = false;
    target_.url = TrimText(url);
    localPath_ = TrimText(localPath);
    if (target_.url.empty()) {
        result = kEmptyUrl;
        return false;
    }
    if (!ParseUrl(target_.url, target_.parts)) {
        target_.url = "http://" + target_.url;
        if (!ParseUrl(target_.url, target_.parts)) {
            result = kBadUrl;
            return false;
        }
    }
    if (localPath_.empty()) {
        result = kEmptyLocalPath;
        return false;
    }
    tempPath_ = localPath_ + ".down";
    firstNotice_ = true;
    responseBytes_ = 0;
    doneSize_ = 0;
    totalSize_ = 0;
    contentLength_ = 0;
    furthest_ = -1;
    stalled_ = 0;
    windowStart_ = Now();
    windowBytes_ = 0;
    return true;
}

HttpDownload::Step HttpDownload::RequestStep(DownloadResult& result) {
    // Reconnecting counts against the rate as well.
    if (!RateKept(0)) {
        result = kTooSlow;
        return Step::kEnded;
    }
    switch (SendRequest()) {
        case RequestResult::kOk:
            break;
        case RequestResult::kFailed:
            return Step::kRetry;
        case RequestResult::kCancelled:
            result = kDownloadCancelled;
            return Step::kEnded;
        case RequestResult::kUnusable:
            result = kUnusableAnswer;
            return Step::kDiscardAndRetry;
        case RequestResult::kAgain:
            result = kInternalError;
            return Step::kEnded;
    }
    if (ReceiveBody(result) != BodyOutcome::kReconnect)
        return Step::kEnded;
    // Broken body: ask for the rest, unless reconnects in a row stop bringing
    // new bytes.
    if (doneSize_ > furthest_) {
        furthest_ = doneSize_;
        stalled_ = 0;
    } else if (++stalled_ > maxStalledReconnects) {
        result = retryMode == kRetryCounted ? kRetriesSpent : kConnectFailed;
        return Step::kEnded;
    }
    return Step::kRequest;
}

HttpDownload::Step HttpDownload::RetryStep(DownloadResult& result) {
    if (Cancelled()) {
        result = kDownloadCancelled;
        return Step::kEnded;
    }
    if (retryMode == kRetryOnce) {
        result = kConnectFailed;
        return Step::kDiscardAndRetry;
    }
    if (retryMode == kRetryCounted && retryCount_++ > retryMax) {
        result = kRetriesSpent;
        return Step::kEnded;
    }
    if (retryMode != kRetryCounted && retryMode != kRetryForever) {
        result = kBadRetryMode;
        return Step::kEnded;
    }
    if (retryDelay != 0)
        platform::SleepMs(retryDelay);
    return Step::kRequest;
}

HttpDownload::Step HttpDownload::DiscardStep() {
    // One fresh start without the temporary file; the result stands when
    // there is none (or it cannot be removed).
    return platform::PathExists(tempPath_) && platform::RemoveFile(tempPath_) ? Step::kRequest
                                                                              : Step::kEnded;
}

DownloadResult HttpDownload::Download(const std::string& url, const std::string& localPath,
                                      bool force) {
    DownloadResult result = kInternalError;
    if (!Begin(url, localPath, force, result))
        return result;
    Step step = Step::kRequest;
    while (step != Step::kEnded) {
        switch (step) {
            case Step::kRequest:
                step = RequestStep(result);
                break;
            case Step::kRetry:
                step = RetryStep(result);
                break;
            case Step::kDiscardAndRetry:
                step = DiscardStep();
                break;
            case Step::kEnded:
                break;
        }
    }
    return result;
}

}  // namespace vt::net
