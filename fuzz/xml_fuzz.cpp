// Loads arbitrary bytes as a document, both as text and as a file, and walks
// every element and attribute reader over the result, the catalogue reader
// among them.
#include <cstddef>
#include <cstdint>
#include <string>

#include "addons/catalogue_file.h"
#include "platform/files.h"
#include "xml/node_scanner.h"
#include "xml/xml_document.h"

namespace {

void Walk(vt::xml::CXmlDocument& doc) {
    doc.ResetPosition();
    int steps = 0;
    while (doc.NextElement() && ++steps < 1000) {
        doc.MainTagName();
        doc.MainAttribute("Id");
        int children = 0;
        while (doc.NextChildElement() && ++children < 1000) {
            doc.ChildAttribute("Name");
            doc.ChildText();
        }
    }
    doc.ResetPosition();
    if (doc.NextElement("AddOnList")) {
        while (doc.NextChildElement("P")) {
            doc.ChildAttribute("Url");
        }
    }
    vt::addons::CatalogueFromDocument(doc);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    vt::xml::CXmlDocument doc;
    doc.SetText(bytes);
    Walk(doc);
    doc.SetFlags(vt::xml::CXmlDocument::kFlagIgnoreCase);
    doc.SetText(bytes);
    Walk(doc);

    // The start tag's end found from bit masks is the full scan's, whatever
    // the bytes.
    const auto& steps = vt::xml::NameSteps();
    const size_t full = vt::xml::ScanAttributes(steps, bytes.data(), bytes.size(), 0,
                                                [](const vt::xml::AttributeSpan&) { return true; });
    if (vt::xml::StartTagEnd(steps, bytes.data(), bytes.size(), 0) != full)
        __builtin_trap();

    // The file reader sees the same bytes through a scratch file that is
    // removed again.
    static const std::string path = "xml_fuzz_input.xml";
    if (vt::platform::WriteWholeFile(path, bytes)) {
        vt::xml::CXmlDocument loaded;
        loaded.LoadFile(path);
        Walk(loaded);
        vt::platform::RemoveFile(path);
    }
    return 0;
}
