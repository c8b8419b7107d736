// CXmlDocument: one XML text in memory, in the local code page, with an index
// of its elements built in a single pass, walked through three positions
// (parent, main, child). Reading never fails on bad markup: the parse covers
// the whole text, flags what was wrong and records it in the report.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include <vector>

#include "xml/element_index.h"
#include "xml/node_scanner.h"

namespace vt::xml {

class CXmlDocument {
  public:
    // Document flags.
    enum Flag : uint32_t {
        kFlagUtf16LEFile = 0x1,   // the file was UTF-16LE
        kFlagUtf8Preamble = 0x4,  // the file had a UTF-8 byte-order mark
        kFlagIgnoreCase = 0x8,    // compare names without regard to ASCII case
        kFlagReadFile = 0x10,     // file-read mode
        kFlagWriteFile = 0x20,    // file-write mode
        kFlagAppendFile = 0x40,   // file-append mode
        kFlagUtf16BEFile = 0x80,  // the file was UTF-16BE
    };

    CXmlDocument() = default;

    // Replaces the text and parses it; gives the well-formed flag. An absent
    // text (nullptr) means an empty one. Refused (false) in file modes.
    bool SetText(std::string_view text);
    bool SetText(const char* text);
    // Reads a file, converting its encoding to the local code page, and parses
    // it; false when it cannot be read (the document is then empty) or is not
    // well-formed.
    bool LoadFile(const std::string& path);

    void ResetPosition();
    // The next sibling element after the main position (or the first child of
    // the parent position) whose name is `name`; an empty name matches any.
    bool NextElement(std::string_view name = {});
    // The next child element of the main position after the child position.
    bool NextChildElement(std::string_view name = {});
    // Attribute values with references decoded; empty when absent.
    std::string MainAttribute(std::string_view name) const;
    std::string ChildAttribute(std::string_view name) const;
    // The character data of the child element; empty when it holds elements.
    std::string ChildText() const;
    std::string MainTagName() const;

    bool IsWellFormed() const;
    const std::string& Text() const { return text_; }
    // Markup of the events of the last load or parse, for diagnosis.
    const std::string& Report() const { return report_; }
    uint32_t Flags() const { return flags_; }
    void SetFlags(uint32_t flags) { flags_ = flags; }
    const xml::ElementIndex& Index() const { return index_; }

  private:
    void Parse();
    bool IgnoreCase() const { return (flags_ & kFlagIgnoreCase) != 0; }
    std::string_view ElementName(uint32_t element) const;
    size_t StartTagEnd(uint32_t element) const;
    std::string Attribute(uint32_t element, std::string_view name) const;
    bool Matches(uint32_t element, std::string_view sought) const;
    uint32_t FindSibling(uint32_t from, std::string_view sought) const;

    std::string text_;
    std::string report_;
    uint32_t parentPosition_ = 0;
    uint32_t mainPosition_ = 0;
    uint32_t childPosition_ = 0;
    // The current non-element node; length 0 when the main position is an element.
    int nodeType_ = 0;
    uint32_t nodeOffset_ = 0;
    uint32_t nodeLength_ = 0;
    uint32_t flags_ = 0;
    xml::ElementIndex index_;
    // The attributes of the element read last, so that reading several of
    // one element scans its start tag once, and where that scan goes on (npos
    // when it reached the end of the tag).
    mutable uint32_t attributesOf_ = 0;
    mutable std::vector<xml::AttributeSpan> attributes_;
    mutable size_t attributesResume_ = 0;
};

}  // namespace vt::xml
