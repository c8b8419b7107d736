#include "xml/document_file.h"

#include <cstring>

#include "platform/ascii_text.h"
#include "platform/code_page.h"
#include "platform/files.h"
#include "xml/char_classes.h"
#include "xml/encoding_table.h"
#include "xml/local_encoder.h"
#include "xml/node_scanner.h"
#include "xml/xml_document.h"
#include "xml/xml_report.h"

namespace vt::xml {

namespace {

constexpr size_t kTopBytes = 1024;

struct ByteOrderMark {
    const char* bytes;
    size_t length;
    const char* encoding;
    uint32_t flag;
};

constexpr ByteOrderMark kMarks[] = {
    {"\xEF\xBB\xBF", 3, "UTF-8", CXmlDocument::kFlagUtf8Preamble},
    {"\xFF\xFE", 2, "UTF-16LE", CXmlDocument::kFlagUtf16LEFile},
    {"\xFE\xFF", 2, "UTF-16BE", CXmlDocument::kFlagUtf16BEFile},
};

// The value after "charset=" in a Content-Type text.
std::string CharsetOf(std::string_view content) {
    for (size_t i = 0; i + 7 <= content.size(); ++i) {
        if (!platform::EqualsIgnoreCase(content.substr(i, 7), "charset")) {
            continue;
        }
        size_t k = i + 7;
        while (k < content.size() && IsSpace(static_cast<unsigned char>(content[k])))
            ++k;
        if (k >= content.size() || content[k] != '=') {
            continue;
        }
        ++k;
        while (k < content.size() && IsSpace(static_cast<unsigned char>(content[k])))
            ++k;
        size_t end = k;
        while (end < content.size() && !IsSpace(static_cast<unsigned char>(content[end])) &&
               content[end] != ';' && content[end] != '"' && content[end] != '\'') {
            ++end;
        }
        return std::string(content.substr(k, end - k));
    }
    return std::string();
}

// A "file_error" event with what the platform says went wrong.
bool FileError(std::string& report, const platform::FileError& error) {
    AddReportEvent(report,
                   {"file_error", ReportText::kMsg, error.message, ReportNumber::kN, error.number});
    return false;
}

void ReportLength(std::string& report, const char* event, std::string_view encoding,
                  size_t length) {
    AddReportEvent(report, {event, ReportText::kEncoding, encoding, ReportNumber::kLength,
                            static_cast<int64_t>(length)});
}

// Removes zero units of unitSize bytes in place; gives how many went.
size_t RemoveNulls(std::string& bytes, size_t unitSize) {
    size_t out = 0;
    size_t removed = 0;
    const size_t units = bytes.size() / unitSize;
    if (unitSize == 1) {
        const char* zero = static_cast<const char*>(std::memchr(bytes.data(), 0, bytes.size()));
        if (zero == nullptr) {
            return 0;
        }
        out = zero - bytes.data();
        for (size_t i = out; i < bytes.size(); ++i) {
            if (bytes[i] != 0) {
                bytes[out++] = bytes[i];
            } else {
                ++removed;
            }
        }
    } else {
        for (size_t i = 0; i < units; ++i) {
            if (bytes[2 * i] == 0 && bytes[2 * i + 1] == 0) {
                ++removed;
                continue;
            }
            bytes[out++] = bytes[2 * i];
            bytes[out++] = bytes[2 * i + 1];
        }
    }
    bytes.resize(out);
    return removed;
}

// Step 1: the whole file, at most maxBytes.
bool ReadBytes(const std::string& path, size_t maxBytes, std::string& bytes, std::string& report) {
    platform::File file;
    if (!file.Open(path, platform::File::Mode::kRead))
        return FileError(report, platform::LastFileError());
    const int64_t size = file.Size();
    if (size < 0)
        return FileError(report, platform::LastFileError());
    if (static_cast<uint64_t>(size) > maxBytes) {
        // More than the document may hold: reported as the allocation of a
        // buffer that large would fail.
        const int number = platform::kErrorNotEnoughMemory;
        return FileError(report, {number, platform::FileErrorMessage(number)});
    }
    bytes.assign(static_cast<size_t>(size), '\0');
    size_t got = 0;
    while (got < bytes.size()) {
        const int64_t n = file.Read(bytes.data() + got, bytes.size() - got);
        if (n < 0)
            return FileError(report, platform::LastFileError());
        if (n == 0)
            break;
        got += static_cast<size_t>(n);
    }
    bytes.resize(got);
    return true;
}

// What the top of the file says about its text.
struct TextForm {
    std::string encoding;  // from a byte-order mark or the declaration; empty if none
    size_t unitSize = 1;   // 2 for UTF-16
};

// Step 2: a byte-order mark (dropped from bytes, its flag set), else the
// declared encoding; markup without one is taken for UTF-8.
TextForm DetectForm(std::string& bytes, uint32_t& flags, std::string& report) {
    flags &= ~(CXmlDocument::kFlagUtf16LEFile | CXmlDocument::kFlagUtf8Preamble |
               CXmlDocument::kFlagUtf16BEFile);
    TextForm form;
    for (const ByteOrderMark& mark : kMarks) {
        if (bytes.size() >= mark.length &&
            std::memcmp(bytes.data(), mark.bytes, mark.length) == 0) {
            form.unitSize = mark.length == 2 ? 2 : 1;
            form.encoding = mark.encoding;
            flags |= mark.flag;
            AddReportEvent(report, "bom");
            bytes.erase(0, mark.length);
            return form;
        }
    }
    form.encoding = DeclaredEncoding(std::string_view(bytes).substr(0, kTopBytes));
    if (form.encoding.empty() && !bytes.empty() && bytes[0] == '<')
        form.encoding = "UTF-8";
    return form;
}

// Step 3: zero units go.
void DropNulls(std::string& bytes, size_t unitSize, std::string& report) {
    if (const size_t nulls = RemoveNulls(bytes, unitSize)) {
        AddReportEvent(report, {"nulls_removed",
                                ReportText::kNone,
                                {},
                                ReportNumber::kCount,
                                static_cast<int64_t>(nulls)});
    }
}

// Step 4: the text in the local code page; text that cannot be converted
// (or needs no conversion) stays as it is. An undeclared encoding is
// settled here: UTF-8 when every non-ASCII byte fits it.
void ConvertText(std::string& bytes, TextForm& form, uint32_t flags, std::string& text,
                 std::string& report) {
    bool lossy = false;
    bool converted = false;
    if (form.unitSize == 2) {
        // Big-endian units are read in swapped order.
        const bool bigEndian = (flags & CXmlDocument::kFlagUtf16BEFile) != 0;
        if (bigEndian)
            AddReportEvent(report, "endian_swap");
        converted =
            ConvertToLocal(bigEndian ? platform::kCodePageUtf16BE : platform::kCodePageUtf16LE,
                           bytes, text, lossy);
    } else {
        unsigned from = 0;
        if (form.encoding.empty()) {
            size_t nonAscii = 0;
            if (LooksLikeUtf8(bytes, nonAscii)) {
                form.encoding = "UTF-8";
                if (nonAscii > 0)
                    from = platform::kCodePageUtf8;
            }
            AddReportEvent(report, "utf8_detection");
        } else if (NeedsConversion(form.encoding, "")) {
            from = ResolveEncoding(form.encoding);
        }
        if (from == platform::kCodePageUtf8) {
            // The common case needs no second buffer.
            text = std::move(bytes);
            Utf8ToLocalInPlace(text, lossy);
            converted = true;
        } else {
            converted = from != 0 && ConvertToLocal(from, bytes, text, lossy);
            if (!converted)
                text = std::move(bytes);
        }
    }
    if (converted) {
        ReportLength(report, "converted_to", "ANSI", text.size());
        if (lossy)
            AddReportEvent(report, "conversion_loss");
    }
}

}  // namespace

std::string DeclaredEncoding(std::string_view top) {
    // The top is read as a C string would be: it ends at a zero byte.
    const size_t zero = top.find('\0');
    if (zero != std::string_view::npos) {
        top = top.substr(0, zero);
    }
    NodeScanner scanner(top, nullptr);
    Node node;
    bool html = false;
    for (int type = scanner.Next(node); type >= 0; type = scanner.Next(node)) {
        const std::string_view name = top.substr(node.nameStart, node.nameLength);
        const size_t nameEnd = node.nameStart + node.nameLength;
        AttributeSpan span{};
        if (type == kNodeProcessingInstruction && node.start == 0) {
            if (platform::EqualsIgnoreCase(name, "xml")) {
                if (FindAttribute(top, nameEnd, "encoding", true, span)) {
                    return std::string(top.substr(span.valueStart, span.valueLength));
                }
                return std::string();
            }
        } else if (type == kNodeEndTag) {
            if (platform::EqualsIgnoreCase(name, "head")) {
                break;
            }
        } else if (type == kNodeElement) {
            if (!html) {
                if (!platform::EqualsIgnoreCase(name, "html")) {
                    break;
                }
                html = true;
            } else if (platform::EqualsIgnoreCase(name, "meta") &&
                       FindAttribute(top, nameEnd, "http-equiv", true, span) &&
                       platform::EqualsIgnoreCase(top.substr(span.valueStart, span.valueLength),
                                                  "Content-Type")) {
                if (FindAttribute(top, nameEnd, "content", true, span)) {
                    return CharsetOf(top.substr(span.valueStart, span.valueLength));
                }
                break;
            }
        }
    }
    return std::string();
}

bool ReadDocumentFile(const std::string& path, size_t maxBytes, std::string& text, uint32_t& flags,
                      std::string& report) {
    std::string bytes;
    if (!ReadBytes(path, maxBytes, bytes, report))
        return false;
    TextForm form = DetectForm(bytes, flags, report);
    const size_t readLength = bytes.size();
    DropNulls(bytes, form.unitSize, report);
    ConvertText(bytes, form, flags, text, report);
    // Step 5: the read itself.
    ReportLength(report, "read", form.encoding, readLength);
    if (text.size() > maxBytes)
        text.clear();
    return true;
}

}  // namespace vt::xml
