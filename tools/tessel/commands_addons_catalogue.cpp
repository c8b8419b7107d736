// tessel catalogue FILE: reads a catalogue file as the program does and
// prints what it found.
#include "addons/catalogue_file.h"
#include "cli.h"
#include "xml/xml_document.h"

namespace vt::cli {

namespace {

int RunCatalogue(Context& context) {
    const bool report = TakeFlag(context.flags, "--report");
    if (context.args.size() != 1) {
        return UsageError(context, "catalogue");
    }
    const std::string path = FromTerminal(context.args[0]);
    xml::CXmlDocument document;
    const bool wellFormed = document.LoadFile(path);
    if (!wellFormed && document.Index().Size() == 0) {
        return Fail("cannot read " + context.args[0]);
    }
    // As LoadCatalogue and ReadLocalStamp see it: nothing from an ill-formed file.
    const addons::Catalogue catalogue =
        wellFormed ? addons::CatalogueFromDocument(document) : addons::Catalogue();
    const std::string stamp = wellFormed ? addons::StampFromDocument(document) : std::string();

    if (context.json) {
        JsonLine line;
        line.Add("wellFormed", wellFormed)
            .Add("stamp", ToTerminal(stamp))
            .Add("count", static_cast<int64_t>(catalogue.size()));
        if (report) {
            line.Add("report", ToTerminal(document.Report()));
        }
        line.Print();
        for (const auto& [id, record] : catalogue) {
            JsonLine()
                .Add("id", id)
                .Add("name", ToTerminal(record.Name))
                .Add("folder", ToTerminal(record.Folder))
                .Add("ver", ToTerminal(record.Ver))
                .Add("url", ToTerminal(record.Url))
                .Print();
        }
        return kExitOk;
    }
    Print(std::string("well-formed: ") + (wellFormed ? "yes" : "no") + "\n");
    Print("stamp: " + ToTerminal(stamp) + "\n");
    Print("records: " + std::to_string(catalogue.size()) + "\n");
    for (const auto& [id, record] : catalogue) {
        Print(std::to_string(id) + "\t" + ToTerminal(record.Name) + "\t" +
              ToTerminal(record.Folder) + "\t" + ToTerminal(record.Ver) + "\t" +
              ToTerminal(record.Url) + "\n");
    }
    if (report) {
        Print("report: " + ToTerminal(document.Report()) + "\n");
    }
    return kExitOk;
}

const bool registered =
    RegisterCommand({"catalogue", "FILE [--report]", "读一个插件目录文件，列出其中的插件（开发用）",
                     RunCatalogue, "--report"});

}  // namespace

}  // namespace vt::cli
