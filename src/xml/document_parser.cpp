#include "xml/document_parser.h"

#include <algorithm>
#include <array>
#include <vector>

#include "xml/node_scanner.h"
#include "xml/xml_report.h"

namespace vt::xml {

namespace {

constexpr int kOpenNameBuckets = 23;

unsigned NameHash(std::string_view name, bool ignoreCase) {
    unsigned sum = 0;
    for (char c : name) {
        const unsigned char b = static_cast<unsigned char>(c);
        sum += ignoreCase ? AsciiUpper(b) : b;
    }
    return sum % kOpenNameBuckets;
}

// The elements that are open during the parse, innermost last, with a hash of
// their names so that an end tag finds the nearest open element of its name.
class OpenElements {
  public:
    struct Entry {
        uint32_t element;
        uint32_t nameStart;
        uint32_t nameLength;
        int previousInBucket;  // stack slot of the next older entry in the bucket, or -1
    };

    OpenElements() {
        heads_.fill(-1);
        entries_.reserve(7);
    }
    size_t Depth() const { return entries_.size(); }
    uint32_t Top() const { return entries_.empty() ? 0 : entries_.back().element; }
    const Entry& At(size_t slot) const { return entries_[slot]; }

    void Push(uint32_t element, size_t nameStart, size_t nameLength, unsigned bucket) {
        entries_.push_back({element, static_cast<uint32_t>(nameStart),
                            static_cast<uint32_t>(nameLength), heads_[bucket]});
        heads_[bucket] = static_cast<int>(entries_.size() - 1);
    }
    // Removes the innermost entry; bucket is its name's hash.
    void Pop(unsigned bucket) {
        heads_[bucket] = entries_.back().previousInBucket;
        entries_.pop_back();
    }
    // The slot of the innermost open element named `name`, or -1.
    int Find(std::string_view text, std::string_view name, unsigned bucket, bool ignoreCase) const {
        for (int slot = heads_[bucket]; slot >= 0; slot = entries_[slot].previousInBucket) {
            const Entry& e = entries_[slot];
            if (NamesEqual(text.substr(e.nameStart, e.nameLength), name, ignoreCase)) {
                return slot;
            }
        }
        return -1;
    }

  private:
    std::array<int, kOpenNameBuckets> heads_;
    std::vector<Entry> entries_;
};

class Parser {
  public:
    Parser(std::string_view text, bool ignoreCase, ElementIndex& index, std::string& report)
        : text_(text), ignoreCase_(ignoreCase), index_(index), report_(report) {}

    void Run();

  private:
    void StartTag(const Node& node);
    void EndTag(const Node& node);
    void MarkError() {
        index_[0].levelFlags |= kFlagIllFormed;
        index_[open_.Top()].levelFlags |= kFlagMarkupError;
    }
    void CloseAbove(size_t slot);
    void AppendChild(uint32_t parent, uint32_t child);

    std::string_view text_;
    bool ignoreCase_;
    ElementIndex& index_;
    std::string& report_;
    OpenElements open_;
};

void Parser::AppendChild(uint32_t parent, uint32_t child) {
    ElementRecord& p = index_[parent];
    ElementRecord& c = index_[child];
    c.parent = parent;
    c.next = 0;
    if (p.firstChild == 0) {
        p.firstChild = child;
        c.previous = child;
        c.levelFlags |= kFlagFirstChild;
        return;
    }
    ElementRecord& first = index_[p.firstChild];
    const uint32_t last = first.previous;
    index_[last].next = child;
    c.previous = last;
    first.previous = child;
}

void Parser::StartTag(const Node& node) {
    const uint32_t i = index_.Append();
    ElementRecord& r = index_[i];
    r.start = static_cast<uint32_t>(node.start);
    r.length = static_cast<uint32_t>(node.length);
    r.SetTagLengths(node.length, 0);
    r.levelFlags = static_cast<uint32_t>(std::min<size_t>(open_.Depth(), kLevelMask));
    AppendChild(open_.Top(), i);
    if (!node.emptyElement) {
        const std::string_view name = text_.substr(node.nameStart, node.nameLength);
        open_.Push(i, node.nameStart, node.nameLength, NameHash(name, ignoreCase_));
    }
}

// Closes every open element above `slot` implicitly: each becomes unended and
// empty, and its children move up to follow it. Working from the outermost
// down moves every element at most once, since the element at `slot` is
// completed (or is the document) right after.
void Parser::CloseAbove(size_t slot) {
    const size_t depth = open_.Depth();
    for (size_t k = depth; k-- > slot + 1;) {
        const OpenElements::Entry& e = open_.At(k);
        AddReportEvent(report_, {"unended_start_tag", ReportText::kTagName,
                                 text_.substr(e.nameStart, e.nameLength), ReportNumber::kOffset,
                                 index_[e.element].start});
    }
    for (size_t k = slot + 1; k < depth; ++k) {
        const uint32_t element = open_.At(k).element;
        ElementRecord& r = index_[element];
        const uint32_t parent = r.parent;
        // Its length is still that of its start tag.
        r.levelFlags |= kFlagUnended;
        index_[parent].levelFlags |= kFlagMarkupError;
        index_[0].levelFlags |= kFlagIllFormed;
        uint32_t child = r.firstChild;
        if (child == 0) {
            continue;
        }
        // The element is the last child of its parent; its children follow it.
        const uint32_t lastChild = index_[child].previous;
        const uint32_t level = r.levelFlags & kLevelMask;
        r.firstChild = 0;
        r.next = child;
        index_[child].previous = element;
        index_[child].levelFlags &= ~kFlagFirstChild;
        index_[index_[parent].firstChild].previous = lastChild;
        for (; child != 0; child = index_[child].next) {
            ElementRecord& c = index_[child];
            c.parent = parent;
            c.levelFlags = (c.levelFlags & ~kLevelMask) | level;
        }
    }
    while (open_.Depth() > slot + 1) {
        const OpenElements::Entry& e = open_.At(open_.Depth() - 1);
        open_.Pop(NameHash(text_.substr(e.nameStart, e.nameLength), ignoreCase_));
    }
}

void Parser::EndTag(const Node& node) {
    const std::string_view name = text_.substr(node.nameStart, node.nameLength);
    const unsigned bucket = NameHash(name, ignoreCase_);
    const int slot = open_.Find(text_, name, bucket, ignoreCase_);
    if (slot < 0) {
        AddReportEvent(report_, {"lone_end_tag", ReportText::kTagName, name, ReportNumber::kOffset,
                                 static_cast<int64_t>(node.start)});
        MarkError();
        return;
    }
    CloseAbove(static_cast<size_t>(slot));
    ElementRecord& r = index_[open_.Top()];
    r.length = static_cast<uint32_t>(node.start + node.length - r.start);
    r.SetTagLengths(
        node.start - r.start > kStartTagLengthMask ? kStartTagLengthMask : r.StartTagLength(),
        node.length);
    open_.Pop(bucket);
}

void Parser::Run() {
    // Record 0 is the document, the virtual parent of the root element.
    index_.Reset(text_.size() / 64 + 8);
    const uint32_t doc = index_.Append();
    index_[doc].length = static_cast<uint32_t>(text_.size());

    NodeScanner scanner(text_, &report_);
    Node node;
    for (;;) {
        const int type = scanner.Next(node);
        if (type == kNodeEnd) {
            break;
        }
        switch (type) {
            case kNodeElement:
                StartTag(node);
                break;
            case kNodeEndTag:
                EndTag(node);
                break;
            case kNodeError:
                MarkError();
                break;
            default:
                break;
        }
    }
    // Close everything still open, as an end tag of the document would.
    CloseAbove(static_cast<size_t>(-1));
    const uint32_t root = index_[0].firstChild;
    if (root == 0) {
        AddReportEvent(report_, "no_root_element");
    } else if (index_[root].next != 0) {
        AddReportEvent(report_, "root_has_sibling");
    }
}

}  // namespace

void ParseDocument(std::string_view text, bool ignoreCase, ElementIndex& index,
                   std::string& report) {
    Parser(text, ignoreCase, index, report).Run();
}

bool IsWellFormedIndex(const ElementIndex& index) {
    if (index.Size() == 0 || (index[0].levelFlags & kFlagIllFormed) != 0) {
        return false;
    }
    const uint32_t root = index[0].firstChild;
    return root != 0 && index[root].next == 0;
}

}  // namespace vt::xml
