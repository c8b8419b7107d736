#include "xml/node_scanner.h"

#include <cstring>

#include "xml/xml_report.h"

namespace vt::xml {

int NodeScanner::Error(Node& node, const char* name) {
    if (report_ != nullptr) {
        AddReportEvent(
            *report_,
            {name, ReportText::kNone, {}, ReportNumber::kOffset, static_cast<int64_t>(node.start)});
    }
    // The faulty markup runs to the next '>'.
    return FindEnd(node, node.start + 1, ">", kNodeError, "tag");
}

int NodeScanner::Unterminated(Node& node, const char* type) {
    if (report_ != nullptr) {
        AddReportEvent(*report_, {"unterminated_tag_syntax", ReportText::kType, type,
                                  ReportNumber::kOffset, static_cast<int64_t>(node.start)});
    }
    node.length = size_ - node.start;
    next_ = size_;
    return kNodeError;
}

int NodeScanner::FindEnd(Node& node, size_t from, std::string_view terminator, int type,
                         const char* what) {
    // Every terminator ends in '>': find each '>' and look behind it.
    const size_t extra = terminator.size() - 1;
    size_t i = from + extra;
    while (i < size_) {
        const void* found = std::memchr(text_ + i, '>', size_ - i);
        if (found == nullptr) {
            break;
        }
        const size_t gt = static_cast<const char*>(found) - text_;
        if (std::memcmp(text_ + gt - extra, terminator.data(), extra) == 0) {
            node.length = gt + 1 - node.start;
            next_ = gt + 1;
            return type;
        }
        i = gt + 1;
    }
    return Unterminated(node, what);
}

int NodeScanner::DocumentType(Node& node) {
    bool inSubset = false;
    size_t i = node.start + 3;
    while (i < size_) {
        const char c = text_[i];
        if (c == '"' || c == '\'') {
            const void* close = std::memchr(text_ + i + 1, c, size_ - i - 1);
            if (close == nullptr) {
                break;
            }
            i = static_cast<const char*>(close) - text_ + 1;
            continue;
        }
        if (inSubset) {
            if (c == ']') {
                inSubset = false;
            } else if (c == '<') {
                const char d = i + 1 < size_ ? text_[i + 1] : '\0';
                if (d == '!' && i + 3 < size_ && text_[i + 2] == '-' && text_[i + 3] == '-') {
                    const char* end = nullptr;
                    for (size_t k = i + 4; k + 2 < size_; ++k) {
                        if (text_[k] == '-' && text_[k + 1] == '-' && text_[k + 2] == '>') {
                            end = text_ + k + 3;
                            break;
                        }
                    }
                    if (end == nullptr) {
                        break;
                    }
                    i = end - text_;
                    continue;
                }
                if (d != '!' && d != '?') {
                    if (report_ != nullptr) {
                        AddReportEvent(*report_, {"doctype_tag_syntax",
                                                  ReportText::kNone,
                                                  {},
                                                  ReportNumber::kOffset,
                                                  static_cast<int64_t>(i)});
                    }
                    return FindEnd(node, i + 1, ">", kNodeError, "document_type");
                }
            }
        } else if (c == '[') {
            inSubset = true;
        } else if (c == '>') {
            node.length = i + 1 - node.start;
            next_ = i + 1;
            return kNodeDocumentType;
        }
        i = NextChar(lengths_, text_, i, size_);
    }
    return Unterminated(node, "document_type");
}

int NodeScanner::Next(Node& node) {
    node = Node{};
    node.start = next_;
    if (next_ >= size_) {
        return kNodeEnd;
    }
    const size_t start = next_;
    if (text_[start] != '<') {
        // Mostly the line break and indent between two tags.
        const char* lt = FindByte(text_ + start, size_ - start, '<');
        const size_t end = lt == nullptr ? size_ : lt - text_;
        node.length = end - start;
        next_ = end;
        for (size_t i = start; i < end; ++i) {
            if (!IsSpace(static_cast<unsigned char>(text_[i]))) {
                return kNodeText;
            }
        }
        return kNodeWhitespace;
    }
    if (start + 1 >= size_) {
        return Unterminated(node, "tag");
    }
    const unsigned char c = static_cast<unsigned char>(text_[start + 1]);
    if (c == '?') {
        node.nameStart = start + 2;
        node.nameLength = NameEnd(steps_, text_, size_, start + 2) - (start + 2);
        return FindEnd(node, start + 2, "?>", kNodeProcessingInstruction, "processing_instruction");
    }
    if (c == '/') {
        node.nameStart = start + 2;
        node.nameLength = NameEnd(steps_, text_, size_, start + 2) - (start + 2);
        return FindEnd(node, start + 2, ">", kNodeEndTag, "end_tag");
    }
    if (c == '!') {
        if (start + 2 >= size_) {
            return Unterminated(node, "tag");
        }
        const char d = text_[start + 2];
        if (d == '-') {
            if (start + 3 >= size_) {
                return Unterminated(node, "tag");
            }
            if (text_[start + 3] != '-') {
                return Error(node, "comment_tag_syntax");
            }
            return FindEnd(node, start + 4, "-->", kNodeComment, "comment");
        }
        if (d == '[') {
            if (start + 3 >= size_) {
                return Unterminated(node, "tag");
            }
            if (text_[start + 3] != 'C') {
                return Error(node, "cdata_section_syntax");
            }
            return FindEnd(node, start + 4, "]]>", kNodeCData, "cdata_section");
        }
        if (d == 'D') {
            return DocumentType(node);
        }
        return Error(node, "exclamation_tag_syntax");
    }
    if (!IsStartNameChar(c)) {
        return Error(node, "first_tag_syntax");
    }
    node.nameStart = start + 1;
    const size_t nameEnd = NameEnd(steps_, text_, size_, start + 1);
    node.nameLength = nameEnd - node.nameStart;
    const size_t end = StartTagEnd(steps_, text_, size_, nameEnd);
    if (end == std::string::npos) {
        return Unterminated(node, "start_tag");
    }
    node.length = end - start;
    node.emptyElement = text_[end - 2] == '/';
    next_ = end;
    return kNodeElement;
}

}  // namespace vt::xml

namespace vt::xml {

size_t StartTagEnd(const CharLengths& steps, const char* text, size_t size, size_t i) {
#if defined(__SSE2__)
    // Most tags are in the form in which every '=' is directly followed by a
    // '"' that opens the value, every '"' that opens a value directly follows
    // an '=', and no byte from 0x80 up stands outside a value. The values are
    // then the spans between pairs of '"', and the tag ends at the first '>'
    // outside them: found for 64 bytes at a time from bit masks, without a
    // branch for each attribute. Any other form goes the full scan's way.
    uint64_t insideCarry = 0;  // all ones when a value runs on from the last piece
    uint64_t equalsCarry = 0;  // 1 when the last piece ended in an '=' outside values
    for (size_t at = i; at + 64 <= size; at += 64) {
        const ByteMasks64 found = FindBytes64(text + at, '"', '=', '>');
        const uint64_t quotes = found.first;
        const uint64_t inside = PrefixXor64(quotes) ^ insideCarry;
        const uint64_t outside = ~inside;
        const uint64_t equals = found.second & outside;
        const uint64_t ends = found.third & outside;
        // The bits up to the first end, or all of them.
        const uint64_t reach = ends ^ (ends - 1);
        const uint64_t openers = quotes & inside;
        const uint64_t strays = ((equals << 1 | equalsCarry) ^ openers) | (found.high & outside);
        if ((strays & reach) != 0) {
            break;
        }
        if (ends != 0) {
            return at + static_cast<size_t>(std::countr_zero(ends)) + 1;
        }
        insideCarry = uint64_t{0} - (inside >> 63);
        equalsCarry = equals >> 63;
    }
#endif
    return ScanAttributes(steps, text, size, i, [](const AttributeSpan&) { return true; });
}

bool FindAttribute(std::string_view text, size_t nameEnd, std::string_view name, bool ignoreCase,
                   AttributeSpan& found) {
    bool hit = false;
    ScanAttributes(NameSteps(), text.data(), text.size(), nameEnd, [&](const AttributeSpan& span) {
        std::string_view candidate = text.substr(span.nameStart, span.nameLength);
        bool equal = candidate.size() == name.size();
        for (size_t i = 0; equal && i < name.size(); ++i) {
            const unsigned char a = static_cast<unsigned char>(candidate[i]);
            const unsigned char b = static_cast<unsigned char>(name[i]);
            equal = ignoreCase ? AsciiLower(a) == AsciiLower(b) : a == b;
        }
        if (equal) {
            found = span;
            hit = true;
        }
        return !equal;
    });
    return hit;
}

}  // namespace vt::xml
