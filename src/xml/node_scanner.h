// The markup tokenizer: reads one node (text, tag, comment, ...) at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "xml/char_classes.h"

namespace vt::xml {

enum NodeType : int {
    kNodeEndTag = 0,
    kNodeElement = 1,
    kNodeText = 2,
    kNodeWhitespace = 4,
    kNodeCData = 8,
    kNodeProcessingInstruction = 16,
    kNodeComment = 32,
    kNodeDocumentType = 64,
    kNodeLoneEndTag = 128,
    kNodeError = -1,
    kNodeEnd = -2,
};

struct Node {
    int type = kNodeEnd;
    size_t start = 0;
    size_t length = 0;
    size_t nameStart = 0;  // element, end tag and processing instruction names
    size_t nameLength = 0;
    bool emptyElement = false;  // a start tag that ends in "/>"
};

// The end of the name that starts at text[i]; steps is NameSteps(). Single
// bytes are stepped over by a constant, so the loop does not wait on each
// table load.
inline size_t NameEnd(const CharLengths& steps, const char* text, size_t size, size_t i) {
    while (i < size) {
        const uint8_t step = steps[static_cast<unsigned char>(text[i])];
        if (step == 1) {
            ++i;
            continue;
        }
        if (step == 0) {
            break;
        }
        i += step;
    }
    return i < size ? i : size;
}

// One attribute of a start tag, as offsets into the text.
struct AttributeSpan {
    size_t nameStart, nameLength;
    size_t valueStart, valueLength;  // raw value, quotes removed
};

// Walks the attributes of a start tag from offset i (after the tag name) up to
// its closing '>'; steps is NameSteps(). Gives the offset after the '>', or
// npos when the text ends inside the tag. visit(const AttributeSpan&) returns
// false to stop early: then the offset after that attribute is given, from
// which a later call goes on.
template <class Visit>
size_t ScanAttributes(const CharLengths& steps, const char* text, size_t size, size_t i,
                      Visit&& visit);

// Where the start tag whose attributes begin at i ends: what ScanAttributes
// gives with a visitor that never stops, mostly found from bit masks of the
// tag's quotes, '=' and '>'.
size_t StartTagEnd(const CharLengths& steps, const char* text, size_t size, size_t i);

class NodeScanner {
  public:
    // report receives markup errors; it may be null.
    NodeScanner(std::string_view text, std::string* report)
        : text_(text.data()),
          size_(text.size()),
          report_(report),
          lengths_(LocalCharLengths()),
          steps_(NameSteps()) {}

    size_t Position() const { return next_; }
    void SetPosition(size_t position) { next_ = position; }
    // Reads the node at Position() and moves past it; gives its type.
    int Next(Node& node);

  private:
    int Error(Node& node, const char* name);
    int Unterminated(Node& node, const char* type);
    int FindEnd(Node& node, size_t from, std::string_view terminator, int type, const char* what);
    int DocumentType(Node& node);

    const char* text_;
    size_t size_;
    std::string* report_;
    const CharLengths& lengths_;
    const CharLengths& steps_;
    size_t next_ = 0;
};

// --- implementation of the template ---

template <class Visit>
size_t ScanAttributes(const CharLengths& steps, const char* text, size_t size, size_t i,
                      Visit&& visit) {
    while (i < size) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == '>') {
            return i + 1;
        }
        if (IsSpace(c)) {
            ++i;
            continue;
        }
        AttributeSpan span{i, 0, 0, 0};
        size_t j = NameEnd(steps, text, size, i);
        span.nameLength = j - i;
        if (j == i && c != '=') {
            ++i;  // a stray delimiter such as '/' or '?'
            continue;
        }
        size_t k = j;
        while (k < size && IsSpace(static_cast<unsigned char>(text[k]))) {
            ++k;
        }
        if (k < size && text[k] == '=') {
            ++k;
            while (k < size && IsSpace(static_cast<unsigned char>(text[k]))) {
                ++k;
            }
            if (k < size && (text[k] == '"' || text[k] == '\'')) {
                const char* close = FindByte(text + k + 1, size - k - 1, text[k]);
                if (close == nullptr) {
                    return std::string::npos;
                }
                const size_t end = close - text;
                span.valueStart = k + 1;
                span.valueLength = end - k - 1;
                j = end + 1;
            } else {
                size_t end = k;
                while (end < size && !IsSpace(static_cast<unsigned char>(text[end])) &&
                       text[end] != '>') {
                    ++end;
                }
                span.valueStart = k;
                span.valueLength = end - k;
                j = end;
            }
        } else {
            span.valueStart = j;
        }
        if (span.nameLength != 0 && !visit(static_cast<const AttributeSpan&>(span))) {
            return j;  // stopped early; a later call may go on from here
        }
        i = j;
    }
    return std::string::npos;
}

}  // namespace vt::xml

namespace vt::xml {

// Finds the attribute `name` in the start tag (or processing instruction)
// whose name ends at nameEnd; false when absent.
bool FindAttribute(std::string_view text, size_t nameEnd, std::string_view name, bool ignoreCase,
                   AttributeSpan& found);

}  // namespace vt::xml
