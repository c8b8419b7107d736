// One form post to an http URL through the system's HTTP stack.
#pragma once

#include <cstddef>
#include <string>

namespace vt::net {

// The longest first answer line PostForm keeps: the marker and the hex text of
// the largest answer SecureExchange can decrypt, with room to spare. Longer
// lines are cut here and the rest of the body is never read.
constexpr size_t kMaxAnswerLineLength = 5 + 2 * 102400 + 64;

// How long a form post waits to connect and for each piece of the answer,
// unless the caller says otherwise.
constexpr int kFormPostTimeoutMs = 30000;

// Posts body (form-urlencoded) to url. True when the server answered with a
// status from 200 to 299; firstLine then holds the first line of the body,
// without its line break, at most kMaxAnswerLineLength characters. status,
// when given, receives the HTTP status (0 when no answer came); timedOut
// whether the post failed because a wait took longer than timeoutMs.
bool PostForm(const std::string& url, const std::string& body, std::string& firstLine,
              int* status = nullptr, int timeoutMs = kFormPostTimeoutMs, bool* timedOut = nullptr);

}  // namespace vt::net
