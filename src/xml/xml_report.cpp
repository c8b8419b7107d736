#include "xml/xml_report.h"

namespace vt::xml {

namespace {

const char* TextAttributeName(ReportText kind) {
    switch (kind) {
        case ReportText::kType:
            return "type";
        case ReportText::kEncoding:
            return "encoding";
        case ReportText::kMsg:
            return "msg";
        case ReportText::kTagName:
            return "tagname";
        case ReportText::kNone:
            break;
    }
    return nullptr;
}

const char* NumberAttributeName(ReportNumber kind) {
    switch (kind) {
        case ReportNumber::kN:
            return "n";
        case ReportNumber::kCount:
            return "count";
        case ReportNumber::kLength:
            return "length";
        case ReportNumber::kOffset:
            return "offset";
        case ReportNumber::kNone:
            break;
    }
    return nullptr;
}

}  // namespace

void AppendAttribute(std::string& markup, std::string_view name, std::string_view value) {
    markup += ' ';
    markup += name;
    markup += "=\"";
    for (char c : value) {
        switch (c) {
            case '&':
                markup += "&amp;";
                break;
            case '<':
                markup += "&lt;";
                break;
            case '>':
                markup += "&gt;";
                break;
            case '"':
                markup += "&quot;";
                break;
            case '\'':
                markup += "&apos;";
                break;
            default:
                markup += c;
                break;
        }
    }
    markup += '"';
}

void AddReportEvent(std::string& report, const ReportEvent& event) {
    if (report.size() > kReportLimit) {
        return;
    }
    report += '<';
    report += event.name;
    if (const char* name = TextAttributeName(event.textKind)) {
        AppendAttribute(report, name, event.text);
    }
    if (const char* name = NumberAttributeName(event.numberKind)) {
        AppendAttribute(report, name, std::to_string(event.number));
    }
    if (event.offset2 != -1) {
        AppendAttribute(report, "offset2", std::to_string(event.offset2));
    }
    report += "/>";
}

void AddReportEvent(std::string& report, std::string_view name) {
    ReportEvent event;
    event.name = name;
    AddReportEvent(report, event);
}

}  // namespace vt::xml
