#include "addons/catalogue_file.h"

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <optional>
#include <string_view>
#include <utility>

#include "xml/document_parser.h"
#include "xml/entity_decoder.h"
#include "xml/node_scanner.h"
#include "xml/xml_document.h"

namespace vt::addons {

std::string CataloguePath(const std::string& programDir) {
    return programDir + "Download\\pluglist.xml";
}

namespace {

// The attributes a record is made of, and their names.
enum AddonField { kFieldId, kFieldName, kFieldFolder, kFieldVer, kFieldUrl, kFieldCount };
constexpr std::string_view kFieldNames[kFieldCount] = {"Id", "Name", "Folder", "Ver", "Url"};

// " Name=" and so on as the bytes of a little-endian word, with the mask of
// the bytes they take (at most eight).
struct UsualPrefix {
    uint64_t bytes = 0;
    uint64_t mask = 0;
};
constexpr std::array<UsualPrefix, kFieldCount> UsualPrefixes() {
    std::array<UsualPrefix, kFieldCount> prefixes;
    for (int field = 0; field < kFieldCount; ++field) {
        int shift = 0;
        for (const std::string_view part :
             {std::string_view(" "), kFieldNames[field], std::string_view("=")}) {
            for (const char c : part) {
                prefixes[field].bytes |= uint64_t{static_cast<unsigned char>(c)} << shift;
                prefixes[field].mask |= uint64_t{0xFF} << shift;
                shift += 8;
            }
        }
    }
    return prefixes;
}
constexpr std::array<UsualPrefix, kFieldCount> kUsualPrefixes = UsualPrefixes();

// Reads a catalogue document straight from its element index: one scan of
// each record's start tag finds the raw values, and each value is decoded
// once, into the record that stays in the map.
class CatalogueReader {
  public:
    explicit CatalogueReader(const xml::CXmlDocument& document)
        : index_(document.Index()),
          text_(document.Text()),
          ignoreCase_((document.Flags() & xml::CXmlDocument::kFlagIgnoreCase) != 0) {}

    Catalogue Read() const {
        Catalogue catalogue;
        if (index_.Size() == 0)
            return catalogue;
        const uint32_t root = FindSibling(index_[0].firstChild, "AddOnList");
        if (root == 0)
            return catalogue;
        std::string downloadUrl;
        if (const auto url = FindAttribute(root, "DownLoadUrl"))
            xml::AppendDecoded(*url, downloadUrl);
        size_t nameEnd = 0;
        for (uint32_t p = FindSibling(index_[root].firstChild, "P", &nameEnd); p != 0;
             p = FindSibling(index_[p].next, "P", &nameEnd)) {
            Field fields[kFieldCount];
            ReadFields(nameEnd, fields);
            const int32_t id = IdOf(fields[kFieldId]);
            // Catalogues list their Ids in ascending order, so a record
            // above the last one goes to the end without a search; otherwise
            // one search serves both the duplicate test and the insertion.
            auto at = catalogue.end();
            if (!catalogue.empty() && id <= std::prev(at)->first) {
                at = catalogue.lower_bound(id);
                if (at->first == id)
                    continue;  // the first occurrence of an Id stays
            }
            AddonRecord& record = catalogue.try_emplace(at, id)->second;
            record.Id = id;
            AppendField(fields[kFieldName], record.Name);
            AppendField(fields[kFieldFolder], record.Folder);
            AppendField(fields[kFieldVer], record.Ver);
            record.Url.reserve(downloadUrl.size() + fields[kFieldUrl].raw.size());
            record.Url.append(downloadUrl);
            AppendField(fields[kFieldUrl], record.Url);
        }
        return catalogue;
    }

  private:
    // A record's raw attribute value (empty when absent), and whether it is
    // known to hold no reference to decode.
    struct Field {
        std::string_view raw;
        bool plain = true;
    };

    // Decoding never lengthens a value, so each takes one allocation.
    static void AppendField(const Field& field, std::string& out) {
        if (field.plain) {
            out.append(field.raw);
            return;
        }
        out.reserve(out.size() + field.raw.size());
        xml::AppendDecoded(field.raw, out);
    }

    size_t NameEnd(uint32_t element) const {
        return xml::NameEnd(xml::NameSteps(), text_.data(), text_.size(),
                            index_[element].start + 1);
    }

    // The first element from `from` on (following next) with that name, or 0;
    // nameEnd, when given, receives where the found element's name ends.
    uint32_t FindSibling(uint32_t from, std::string_view name, size_t* nameEnd = nullptr) const {
        for (uint32_t i = from; i != 0; i = index_[i].next) {
            const size_t start = index_[i].start + 1;
            const size_t end = NameEnd(i);
            if (xml::NamesEqual(text_.substr(start, end - start), name, ignoreCase_)) {
                if (nameEnd != nullptr)
                    *nameEnd = end;
                return i;
            }
        }
        return 0;
    }

    // The raw value of the element's first attribute called name.
    std::optional<std::string_view> FindAttribute(uint32_t element, std::string_view name) const {
        std::optional<std::string_view> found;
        xml::ScanAttributes(xml::NameSteps(), text_.data(), text_.size(), NameEnd(element),
                            [&](const xml::AttributeSpan& span) {
                                if (xml::NamesEqual(text_.substr(span.nameStart, span.nameLength),
                                                    name, ignoreCase_)) {
                                    found = text_.substr(span.valueStart, span.valueLength);
                                }
                                return !found;
                            });
        return found;
    }

    // Takes the attribute at `at` when it is `field` in the layout
    // catalogues use: one space, the name, '=' and a value in '"', where the
    // full scan would read just that attribute. `at` then moves past it.
    bool TakeUsual(AddonField field, size_t& at, Field& out) const {
        const std::string_view name = kFieldNames[field];
        const size_t valueStart = at + name.size() + 3;
        if (at + 8 > text_.size() || valueStart > text_.size() || text_[valueStart - 1] != '"')
            return false;
        // " Name=" and the like fit one eight-byte word.
        if constexpr (std::endian::native == std::endian::little) {
            uint64_t word = 0;
            std::memcpy(&word, text_.data() + at, 8);
            if (((word ^ kUsualPrefixes[field].bytes) & kUsualPrefixes[field].mask) != 0)
                return false;
        } else if (text_[at] != ' ' || text_.compare(at + 1, name.size(), name) != 0 ||
                   text_[valueStart - 2] != '=') {
            return false;
        }
        bool referenced = false;
        const char* close = xml::FindValueEnd(text_.data() + valueStart, text_.size() - valueStart,
                                              '"', referenced);
        if (close == nullptr)
            return false;
        out.raw = std::string_view(text_.data() + valueStart, close - text_.data() - valueStart);
        out.plain = !referenced;
        at = close - text_.data() + 1;
        return true;
    }

    // The record's attributes (the first of each name); the scan, from the
    // end of the record's tag name, ends when all are found. Records mostly
    // list them first and in order, which is read without the full scan.
    void ReadFields(size_t nameEnd, Field (&fields)[kFieldCount]) const {
        size_t at = nameEnd;
        int taken = 0;
        while (taken < kFieldCount && TakeUsual(static_cast<AddonField>(taken), at, fields[taken]))
            ++taken;
        if (taken == kFieldCount)
            return;
        bool seen[kFieldCount] = {};
        for (int field = 0; field < taken; ++field)
            seen[field] = true;
        int missing = kFieldCount - taken;
        xml::ScanAttributes(
            xml::NameSteps(), text_.data(), text_.size(), at, [&](const xml::AttributeSpan& span) {
                const std::string_view name = text_.substr(span.nameStart, span.nameLength);
                for (int field = 0; field < kFieldCount; ++field) {
                    if (!seen[field] && xml::NamesEqual(name, kFieldNames[field], ignoreCase_)) {
                        seen[field] = true;
                        fields[field] = {text_.substr(span.valueStart, span.valueLength), false};
                        --missing;
                        break;
                    }
                }
                return missing > 0;
            });
    }

    static int32_t IdOf(const Field& field) {
        const std::string_view raw = field.raw;
        // Mostly a few digits and nothing else.
        if (raw.size() - 1 < 9) {
            int32_t value = 0;
            size_t k = 0;
            for (; k < raw.size() && raw[k] >= '0' && raw[k] <= '9'; ++k)
                value = value * 10 + (raw[k] - '0');
            if (k == raw.size())
                return value;
        }
        if (field.plain || xml::FindByte(raw.data(), raw.size(), '&') == nullptr)
            return LeadingInteger(raw);
        return LeadingInteger(xml::Decoded(raw));
    }

    const xml::ElementIndex& index_;
    std::string_view text_;
    bool ignoreCase_;
};

}  // namespace

Catalogue CatalogueFromDocument(xml::CXmlDocument& document) {
    document.ResetPosition();
    // A document opened for writing has no elements to walk.
    if ((document.Flags() & xml::CXmlDocument::kFlagWriteFile) != 0)
        return Catalogue();
    return CatalogueReader(document).Read();
}

bool LoadCatalogue(const std::string& path, Catalogue& catalogue) {
    catalogue.clear();
    xml::CXmlDocument document;
    if (!document.LoadFile(path)) {
        return false;
    }
    catalogue = CatalogueFromDocument(document);
    return true;
}

std::string StampFromDocument(xml::CXmlDocument& document) {
    document.ResetPosition();
    if (!document.NextElement("AddOnList") || !document.NextChildElement("ver")) {
        return std::string();
    }
    return document.ChildText();
}

std::string ReadLocalStamp(const std::string& path) {
    xml::CXmlDocument document;
    if (!document.LoadFile(path)) {
        return std::string();
    }
    return StampFromDocument(document);
}

}  // namespace vt::addons
