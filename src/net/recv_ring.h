// The receive ring of one connection: turns the socket's byte stream into
// bytes, blocks and lines, each read waiting at most a given time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "platform/socket.h"

namespace vt::net {

// A fixed ring of `size` bytes bound to a socket it does not own.
// Invariant: 0 <= count <= size; readPos and writePos wrap at size.
class RecvRing {
  public:
    // The connection's ring; storage is zero-filled.
    RecvRing(platform::Socket& socket, int size);
    RecvRing(const RecvRing&) = delete;
    RecvRing& operator=(const RecvRing&) = delete;

    int size() const { return static_cast<int>(data_.size()); }
    int count() const { return count_; }

    // When empty, receives once (up to the free room); the receive's result.
    int Fill(int timeoutMs);
    // Receives once from the socket into destination, bypassing storage;
    // only while the ring is empty. The receive's result.
    int Receive(void* destination, int n, int timeoutMs);
    // Takes up to n buffered bytes; the number taken.
    int Take(uint8_t* destination, int n);

  private:
    platform::Socket& socket_;
    std::vector<uint8_t> data_;
    int count_ = 0;
    int readPos_ = 0;
    int writePos_ = 0;
};

// Ring size used by every connection of the HTTP client.
constexpr int kRecvRingSize = 10240;
// ReadByte's result for end of data or failure.
constexpr int kEndOfData = 256;

// One byte (0 to 255), or kEndOfData.
int ReadByte(RecvRing& ring, int timeoutMs);
// What is buffered, or what one receive brings, up to n bytes; never waits for
// n bytes. 0 at the end or on failure.
int ReadBytes(RecvRing& ring, void* destination, int n, int timeoutMs);

// ReadLine's state: the line ended at a line feed, was cut at capacity - 1
// characters, or the stream failed.
enum LineState { kLineFailed = -1, kLineComplete = 0, kLineCut = 1 };
// Milliseconds left before a deadline; 0 or less when it has passed.
using TimeLeft = std::function<int64_t()>;

// Reads one line into buffer (always NUL-terminated), dropping the line feed
// and a carriage return directly before it. 0, or -1 on failure (the partial
// line is lost). timeLeft, when given, shortens every wait to what is left
// and fails the line once nothing is.
int ReadLine(RecvRing& ring, char* buffer, int capacity, int& state, int timeoutMs,
             const TimeLeft& timeLeft = nullptr);

}  // namespace vt::net
