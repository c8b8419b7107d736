// Reads a response header from the receive ring, line by line.
#pragma once

#include <string>

#include "net/recv_ring.h"

namespace vt::net {

// Longest header accepted; a longer one is unusable.
constexpr size_t kMaxHeaderBytes = 64 * 1024;

enum class HeaderReadResult { kComplete, kFailed, kTooLong };

// Reads lines of at most 1023 characters until the empty line. Each line is
// appended to headerText with CR LF; a longer line arrives in pieces that are
// joined without a break. Body bytes after the header stay in the ring.
// timeLeft, when given, bounds the whole header: no wait outlasts what it
// returns, and at 0 or less the read fails.
HeaderReadResult ReadResponseHeader(RecvRing& ring, std::string& headerText, int timeoutMs,
                                    const TimeLeft& timeLeft = nullptr);

}  // namespace vt::net
