// Download clients with limits short enough for tests.
#pragma once

#include <atomic>
#include <cstdint>

#include "net/http_download.h"

namespace vt::test {

struct QuickDownload : net::HttpDownload {
    QuickDownload() {
        connectTimeout = 2000;
        sendTimeout = 2000;
        receiveTimeout = 1000;
        chunkPauseMs = 0;
    }
};

// A client whose clock moves a second each time it is read, so a window of
// 30 s passes within 30 reads whatever the machine's speed.
struct SteppedDownload : QuickDownload {
    SteppedDownload() {
        receiveTimeout = 2000;
        minimumRate = 1024;
        rateWindowMs = 30000;
        headerTimeout = 30000;
        clock = [this] { return ticks += 1000; };
    }
    std::atomic<uint64_t> ticks{0};
};

}  // namespace vt::test
