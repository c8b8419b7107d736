#include "xml/xml_document.h"

#include <cstring>

#include "xml/char_classes.h"
#include "xml/document_file.h"
#include "xml/document_parser.h"
#include "xml/entity_decoder.h"
#include "xml/node_scanner.h"

namespace vt::xml {

namespace {

// Offsets are 32-bit; longer texts are refused.
constexpr size_t kMaxTextBytes = 0x7FFFFFFF;

// The sought part of a name argument: up to a space or one of "=/[]".
std::string_view SoughtName(std::string_view name) {
    for (size_t i = 0; i < name.size(); ++i) {
        const char c = name[i];
        if (c == ' ' || c == '=' || c == '/' || c == '[' || c == ']') {
            return name.substr(0, i);
        }
    }
    return name;
}

}  // namespace

bool CXmlDocument::SetText(std::string_view text) {
    if ((flags_ & (kFlagReadFile | kFlagWriteFile)) != 0) {
        return false;
    }
    report_.clear();
    if (text.size() > kMaxTextBytes) {
        text_.clear();
        index_.Clear();
        attributesOf_ = 0;
        ResetPosition();
        parentPosition_ = 0;
        return false;
    }
    text_.assign(text.data(), text.size());
    if (text_.empty()) {
        index_.Clear();
    }
    Parse();
    return IsWellFormed();
}

bool CXmlDocument::SetText(const char* text) {
    return SetText(text == nullptr ? std::string_view() : std::string_view(text));
}

bool CXmlDocument::LoadFile(const std::string& path) {
    if ((flags_ & (kFlagReadFile | kFlagWriteFile)) != 0) {
        return false;
    }
    report_.clear();
    parentPosition_ = mainPosition_ = childPosition_ = 0;
    nodeLength_ = 0;
    if (!xml::ReadDocumentFile(path, kMaxTextBytes, text_, flags_, report_)) {
        text_.clear();
        index_.Clear();
        attributesOf_ = 0;
        return false;
    }
    Parse();
    return IsWellFormed();
}

void CXmlDocument::Parse() {
    attributesOf_ = 0;
    parentPosition_ = mainPosition_ = childPosition_ = 0;
    nodeType_ = 0;
    nodeOffset_ = nodeLength_ = 0;
    xml::ParseDocument(text_, IgnoreCase(), index_, report_);
}

bool CXmlDocument::IsWellFormed() const {
    return xml::IsWellFormedIndex(index_);
}

void CXmlDocument::ResetPosition() {
    mainPosition_ = 0;
    childPosition_ = 0;
    nodeType_ = 0;
    nodeOffset_ = nodeLength_ = 0;
}

std::string_view CXmlDocument::ElementName(uint32_t element) const {
    const size_t start = index_[element].start + 1;
    const size_t end = xml::NameEnd(xml::NameSteps(), text_.data(), text_.size(), start);
    return std::string_view(text_).substr(start, end - start);
}

size_t CXmlDocument::StartTagEnd(uint32_t element) const {
    const xml::ElementRecord& r = index_[element];
    if (r.StartTagLength() < xml::kStartTagLengthMask) {
        return r.start + r.StartTagLength();
    }
    // Too long for its field: find the end again.
    const size_t nameEnd = r.start + 1 + ElementName(element).size();
    const size_t end = xml::StartTagEnd(xml::NameSteps(), text_.data(), text_.size(), nameEnd);
    return end == std::string::npos ? text_.size() : end;
}

bool CXmlDocument::Matches(uint32_t element, std::string_view sought) const {
    return sought.empty() || xml::NamesEqual(ElementName(element), sought, IgnoreCase());
}

uint32_t CXmlDocument::FindSibling(uint32_t from, std::string_view sought) const {
    for (uint32_t i = from; i != 0; i = index_[i].next) {
        if (Matches(i, sought)) {
            return i;
        }
    }
    return 0;
}

bool CXmlDocument::NextElement(std::string_view name) {
    if ((flags_ & kFlagWriteFile) != 0 || index_.Size() == 0) {
        return false;
    }
    if (!name.empty() && name[0] == '/') {
        return false;
    }
    const uint32_t from =
        mainPosition_ != 0 ? index_[mainPosition_].next : index_[parentPosition_].firstChild;
    const uint32_t found = FindSibling(from, SoughtName(name));
    if (found == 0) {
        return false;
    }
    mainPosition_ = found;
    parentPosition_ = index_[found].parent;
    childPosition_ = 0;
    nodeType_ = 0;
    nodeOffset_ = nodeLength_ = 0;
    return true;
}

bool CXmlDocument::NextChildElement(std::string_view name) {
    if ((flags_ & kFlagWriteFile) != 0 || index_.Size() == 0) {
        return false;
    }
    if (mainPosition_ == 0 && !NextElement()) {
        return false;
    }
    if (!name.empty() && name[0] == '/') {
        return false;
    }
    const uint32_t from =
        childPosition_ != 0 ? index_[childPosition_].next : index_[mainPosition_].firstChild;
    const uint32_t found = FindSibling(from, SoughtName(name));
    if (found == 0) {
        return false;
    }
    childPosition_ = found;
    mainPosition_ = index_[found].parent;
    return true;
}

std::string CXmlDocument::Attribute(uint32_t element, std::string_view name) const {
    if (element == 0 || element >= index_.Size()) {
        return std::string();
    }
    if (attributesOf_ != element) {
        attributes_.clear();
        attributesResume_ = index_[element].start + 1 + ElementName(element).size();
        attributesOf_ = element;
    }
    const std::string_view text(text_);
    const auto matches = [&](const xml::AttributeSpan& span) {
        return xml::NamesEqual(text.substr(span.nameStart, span.nameLength), name, IgnoreCase());
    };
    for (const xml::AttributeSpan& span : attributes_) {
        if (matches(span)) {
            return xml::Decoded(text.substr(span.valueStart, span.valueLength));
        }
    }
    // Scan on only as far as the sought attribute: the later ones may never be
    // asked for.
    if (attributesResume_ != std::string::npos) {
        bool hit = false;
        const size_t at =
            xml::ScanAttributes(xml::NameSteps(), text_.data(), text_.size(), attributesResume_,
                                [&](const xml::AttributeSpan& span) {
                                    attributes_.push_back(span);
                                    hit = matches(span);
                                    return !hit;
                                });
        attributesResume_ = hit ? at : std::string::npos;
        if (hit) {
            const xml::AttributeSpan& span = attributes_.back();
            return xml::Decoded(text.substr(span.valueStart, span.valueLength));
        }
    }
    return std::string();
}

std::string CXmlDocument::MainAttribute(std::string_view name) const {
    return Attribute(mainPosition_, name);
}

std::string CXmlDocument::ChildAttribute(std::string_view name) const {
    return Attribute(childPosition_, name);
}

std::string CXmlDocument::ChildText() const {
    const uint32_t element = childPosition_;
    if (element == 0 || element >= index_.Size()) {
        return std::string();
    }
    const xml::ElementRecord& r = index_[element];
    const size_t contentStart = StartTagEnd(element);
    const size_t elementEnd = static_cast<size_t>(r.start) + r.length;
    if ((r.levelFlags & xml::kFlagUnended) != 0 || elementEnd <= contentStart) {
        return std::string();
    }
    const std::string_view text(text_);
    if (r.firstChild == 0 && r.EndTagLength() < xml::kEndTagLengthMax) {
        const size_t contentEnd = elementEnd - r.EndTagLength();
        const std::string_view content = text.substr(contentStart, contentEnd - contentStart);
        if (content.find('<') == std::string_view::npos) {
            return xml::Decoded(content);
        }
    }
    // Walk the content node by node up to the element's own end tag.
    std::string result;
    xml::NodeScanner scanner(text.substr(0, elementEnd), nullptr);
    scanner.SetPosition(contentStart);
    xml::Node node;
    for (;;) {
        switch (scanner.Next(node)) {
            case xml::kNodeText:
            case xml::kNodeWhitespace:
                xml::AppendDecoded(text.substr(node.start, node.length), result);
                break;
            case xml::kNodeCData: {
                const size_t from = node.start + 9 < node.start + node.length - 3
                                        ? node.start + 9
                                        : node.start + node.length - 3;
                result.append(text.substr(from, node.start + node.length - 3 - from));
                break;
            }
            case xml::kNodeEndTag:
                return node.start + node.length == elementEnd ? result : std::string();
            case xml::kNodeElement:
                return std::string();
            case xml::kNodeEnd:
                return result;
            default:
                break;  // comments, processing instructions, faulty markup
        }
    }
}

std::string CXmlDocument::MainTagName() const {
    if (nodeLength_ != 0) {
        switch (nodeType_) {
            case xml::kNodeText:
            case xml::kNodeWhitespace:
                return "#text";
            case xml::kNodeCData:
                return "#cdata-section";
            case xml::kNodeComment:
                return "#comment";
            default:
                return std::string();
        }
    }
    if (mainPosition_ == 0 || mainPosition_ >= index_.Size()) {
        return std::string();
    }
    return std::string(ElementName(mainPosition_));
}

}  // namespace vt::xml
