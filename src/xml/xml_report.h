// The report of a document: each event of the last load or parse is one empty
// element appended to a markup text, its details carried as attributes, e.g.
// <lone_end_tag tagname="x" offset="12"/>.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vt::xml {

// Which attribute carries an event's text and which its number.
enum class ReportText { kNone, kType, kEncoding, kMsg, kTagName };
enum class ReportNumber { kNone, kN, kCount, kLength, kOffset };

// Events are dropped once the report is longer than this many characters.
constexpr size_t kReportLimit = 999;

struct ReportEvent {
    std::string_view name;
    ReportText textKind = ReportText::kNone;
    std::string_view text;
    ReportNumber numberKind = ReportNumber::kNone;
    int64_t number = 0;
    int64_t offset2 = -1;  // a second offset, when not -1
};

// Appends one event unless the report is already past kReportLimit.
void AddReportEvent(std::string& report, const ReportEvent& event);
// An event without details.
void AddReportEvent(std::string& report, std::string_view name);

// Appends ` name="value"` with the value escaped for an attribute.
void AppendAttribute(std::string& markup, std::string_view name, std::string_view value);

}  // namespace vt::xml
