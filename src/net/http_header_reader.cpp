#include "net/http_header_reader.h"

namespace vt::net {

HeaderReadResult ReadResponseHeader(RecvRing& ring, std::string& headerText, int timeoutMs,
                                    const TimeLeft& timeLeft) {
    // kAfterCut: the last piece filled the buffer, so the next line, even an
    // empty one, still belongs to the same header line. (A line of exactly
    // 1023 characters must not end the header at its own CR LF.)
    enum class State { kLineStart, kAfterCut, kDone, kFailed, kTooLong };
    State state = State::kLineStart;
    headerText.clear();
    char line[1024];
    while (state == State::kLineStart || state == State::kAfterCut) {
        int lineState = kLineFailed;
        if (ReadLine(ring, line, sizeof line, lineState, timeoutMs, timeLeft) != 0) {
            state = State::kFailed;
            continue;
        }
        const std::string piece(line);
        if (lineState == kLineComplete && piece.empty() && state == State::kLineStart) {
            state = State::kDone;
            continue;
        }
        if (state == State::kAfterCut && !headerText.empty() && headerText.back() == '\r' &&
            lineState == kLineComplete && piece.empty()) {
            headerText.pop_back();  // the CR of a CR LF split across pieces
        }
        headerText += piece;
        if (lineState == kLineComplete)
            headerText += "\r\n";
        state = headerText.size() > kMaxHeaderBytes ? State::kTooLong
                : lineState == kLineCut             ? State::kAfterCut
                                                    : State::kLineStart;
    }
    switch (state) {
        case State::kDone:
            return HeaderReadResult::kComplete;
        case State::kTooLong:
            return HeaderReadResult::kTooLong;
        default:
            return HeaderReadResult::kFailed;
    }
}

}  // namespace vt::net
