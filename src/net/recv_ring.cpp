#include "net/recv_ring.h"

#include <algorithm>
#include <cstring>

namespace vt::net {

RecvRing::RecvRing(platform::Socket& socket, int size)
    : socket_(socket), data_(static_cast<size_t>(size > 0 ? size : 1), 0) {}

int RecvRing::Fill(int timeoutMs) {
    if (count_ != 0)
        return count_;
    // An empty ring receives straight into its storage from the start, which
    // saves the temporary buffer and a copy per fill.
    readPos_ = 0;
    writePos_ = 0;
    const int got = platform::TimedRecv(socket_, data_.data(), data_.size(), timeoutMs);
    if (got > 0) {
        count_ = got;
        writePos_ = got % size();
    }
    return got;
}

int RecvRing::Receive(void* destination, int n, int timeoutMs) {
    return platform::TimedRecv(socket_, destination, static_cast<size_t>(n), timeoutMs);
}

int RecvRing::Take(uint8_t* destination, int n) {
    const int total = std::min(count_, std::max(n, 0));
    int taken = 0;
    while (taken < total) {
        const int run = std::min(total - taken, size() - readPos_);
        std::memcpy(destination + taken, data_.data() + readPos_, static_cast<size_t>(run));
        taken += run;
        readPos_ = (readPos_ + run) % size();
    }
    count_ -= total;
    return total;
}

int ReadByte(RecvRing& ring, int timeoutMs) {
    if (ring.count() == 0 && ring.Fill(timeoutMs) <= 0)
        return kEndOfData;
    uint8_t byte = 0;
    ring.Take(&byte, 1);
    return byte;
}

int ReadBytes(RecvRing& ring, void* destination, int n, int timeoutMs) {
    if (n <= 0) {
        return 0;
    }
    if (ring.count() == 0) {
        // A request at least as large as the ring receives straight into the
        // destination: the same single receive, one copy fewer.
        if (n >= ring.size()) {
            const int got = ring.Receive(destination, n, timeoutMs);
            return got > 0 ? got : 0;
        }
        if (ring.Fill(timeoutMs) <= 0) {
            return 0;
        }
    }
    return ring.Take(static_cast<uint8_t*>(destination), n);
}

int ReadLine(RecvRing& ring, char* buffer, int capacity, int& state, int timeoutMs,
             const TimeLeft& timeLeft) {
    state = kLineCut;
    if (capacity <= 1) {
        if (capacity == 1)
            buffer[0] = '\0';
        return 0;
    }
    int stored = 0;
    buffer[0] = '\0';
    while (stored < capacity - 1) {
        int wait = timeoutMs;
        if (timeLeft && ring.count() == 0) {
            const int64_t left = timeLeft();
            wait = left <= 0 ? -1 : static_cast<int>(std::min<int64_t>(left, timeoutMs));
        }
        const int byte = wait < 0 ? kEndOfData : ReadByte(ring, wait);
        if (byte == kEndOfData) {
            buffer[0] = '\0';
            state = kLineFailed;
            return -1;
        }
        if (byte == '\n') {
            if (stored > 0 && buffer[stored - 1] == '\r')
                --stored;
            buffer[stored] = '\0';
            state = kLineComplete;
            return 0;
        }
        buffer[stored++] = static_cast<char>(byte);
    }
    buffer[stored] = '\0';
    return 0;
}

}  // namespace vt::net
