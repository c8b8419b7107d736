// The catalogue job, "load the file from disk and produce the Catalogue with
// texts in the local code page", done by CXmlDocument, by pugixml and by
// tinyxml2 on a generated catalogue of 20,000 addons (UTF-8, Chinese names,
// some entities). Every library does the same work: its values go through
// the converter the document reader uses (the table walk of
// xml/local_encoder.h), and records are made as the project's reader makes
// them: appended after the last Id without a search, their texts allocated
// once. Prints the median processor time of the runs with its spread, and
// the ratios.
//   xml_bench [--runs N] [--only-tessel]
#include <tinyxml2.h>
#include <pugixml.hpp>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "addons/catalogue_file.h"
#include "bench_stats.h"
#include "platform/files.h"
#include "xml/local_encoder.h"
#include "xml/xml_document.h"

namespace {

constexpr int kAddons = 20000;

std::string MakeCatalogue() {
    const char* names[] = {"插件",     "界面增强", "团队框架", "任务助手",
                           "背包整合", "施法条",   "伤害统计", "地图坐标"};
    std::string xml =
        "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n"
        "<AddOnList DownLoadUrl=\"http://plug.example.com/files/\">\r\n  <ver>9f3c2a</ver>\r\n";
    for (int i = 1; i <= kAddons; ++i) {
        const std::string n = std::to_string(i);
        xml += "  <P Id=\"" + n + "\" Name=\"" + names[i % 8] + "·" + names[(i / 8) % 8] +
               (i % 5 == 0 ? " &amp; 工具" : "") + " " + n + "\" Folder=\"Addon_" + n +
               "\" Ver=\"" + std::to_string(100 + i % 37) + "\" Url=\"" + n +
               ".zip\" Author=\"作者" + n + "\" Desc=\"这是一个用于测试的插件说明文字，" +
               (i % 7 == 0 ? "包含 &lt;特殊&gt; 字符与 &quot;引号&quot;，" : "") +
               "版本更新频繁。\" />\r\n";
    }
    xml += "</AddOnList>\r\n";
    return xml;
}

vt::addons::Catalogue WithTessel(const std::string& path, size_t* indexBytes) {
    vt::xml::CXmlDocument doc;
    vt::addons::Catalogue catalogue;
    if (doc.LoadFile(path)) {
        catalogue = vt::addons::CatalogueFromDocument(doc);
    }
    if (indexBytes != nullptr) {
        *indexBytes = doc.Index().AllocatedBytes();
    }
    return catalogue;
}

// A value in the local code page through the document reader's converter.
void AppendLocal(const char* utf8, std::string& out) {
    bool lossy = false;
    vt::xml::AppendUtf8AsLocal(utf8 == nullptr ? "" : utf8, out, lossy);
}

// The record for id, made in place unless the id is taken; null when taken.
// As in the project's reader, an Id above the last one goes to the end
// without a search, any other costs one map search.
vt::addons::AddonRecord* NewRecord(vt::addons::Catalogue& catalogue, int32_t id) {
    auto at = catalogue.end();
    if (!catalogue.empty() && id <= std::prev(at)->first) {
        at = catalogue.lower_bound(id);
        if (at->first == id)
            return nullptr;
    }
    vt::addons::AddonRecord& record = catalogue.try_emplace(at, id)->second;
    record.Id = id;
    return &record;
}

// The record's texts from its attribute values (UTF-8; null when absent).
// The address takes one allocation, as in the project's reader.
void FillRecord(vt::addons::AddonRecord& record, const std::string& downloadUrl, const char* name,
                const char* folder, const char* ver, const char* url) {
    AppendLocal(name, record.Name);
    AppendLocal(folder, record.Folder);
    AppendLocal(ver, record.Ver);
    record.Url.reserve(downloadUrl.size() + (url == nullptr ? 0 : std::strlen(url)));
    record.Url = downloadUrl;
    AppendLocal(url, record.Url);
}

vt::addons::Catalogue WithPugixml(const std::string& path) {
    vt::addons::Catalogue catalogue;
    pugi::xml_document doc;
    if (!doc.load_file(path.c_str())) {
        return catalogue;
    }
    const pugi::xml_node root = doc.child("AddOnList");
    std::string downloadUrl;
    AppendLocal(root.attribute("DownLoadUrl").value(), downloadUrl);
    for (pugi::xml_node p = root.child("P"); p; p = p.next_sibling("P")) {
        vt::addons::AddonRecord* record =
            NewRecord(catalogue, vt::addons::LeadingInteger(p.attribute("Id").value()));
        if (record == nullptr) {
            continue;
        }
        FillRecord(*record, downloadUrl, p.attribute("Name").value(), p.attribute("Folder").value(),
                   p.attribute("Ver").value(), p.attribute("Url").value());
    }
    return catalogue;
}

vt::addons::Catalogue WithTinyxml2(const std::string& path) {
    vt::addons::Catalogue catalogue;
    tinyxml2::XMLDocument doc;
    if (doc.LoadFile(path.c_str()) != tinyxml2::XML_SUCCESS) {
        return catalogue;
    }
    const tinyxml2::XMLElement* root = doc.FirstChildElement("AddOnList");
    if (root == nullptr) {
        return catalogue;
    }
    std::string downloadUrl;
    AppendLocal(root->Attribute("DownLoadUrl"), downloadUrl);
    for (const tinyxml2::XMLElement* p = root->FirstChildElement("P"); p != nullptr;
         p = p->NextSiblingElement("P")) {
        const char* id = p->Attribute("Id");
        vt::addons::AddonRecord* record =
            NewRecord(catalogue, vt::addons::LeadingInteger(id ? id : ""));
        if (record == nullptr) {
            continue;
        }
        FillRecord(*record, downloadUrl, p->Attribute("Name"), p->Attribute("Folder"),
                   p->Attribute("Ver"), p->Attribute("Url"));
    }
    return catalogue;
}

// Processor time (user and system) of one job: on a busy machine it varies far
// less than wall time.
double Seconds(const std::function<size_t()>& job) {
    const std::clock_t start = std::clock();
    job();
    return static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
}

bool SameCatalogue(const vt::addons::Catalogue& a, const vt::addons::Catalogue& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (auto i = a.begin(), j = b.begin(); i != a.end(); ++i, ++j) {
        if (i->first != j->first || i->second.Name != j->second.Name ||
            i->second.Folder != j->second.Folder || i->second.Ver != j->second.Ver ||
            i->second.Url != j->second.Url) {
            return false;
        }
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    // "--only-tessel" runs just this project's job, for profiling.
    bool onlyTessel = false;
    for (int i = 1; i < argc; ++i)
        onlyTessel = onlyTessel || std::strcmp(argv[i], "--only-tessel") == 0;
    const int runs = std::max(vt::bench::RunsOption(argc, argv, 9), 5);
    const std::string path = "xml_bench_catalogue.xml";
    const std::string xml = MakeCatalogue();
    if (!vt::platform::WriteWholeFile(path, xml)) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        return 1;
    }
    size_t indexBytes = 0;
    const vt::addons::Catalogue ours = WithTessel(path, &indexBytes);
    const bool agree =
        SameCatalogue(ours, WithPugixml(path)) && SameCatalogue(ours, WithTinyxml2(path));

    // Runs are interleaved, so that a busy machine slows every contender alike.
    std::vector<double> tessel, pugi, tiny;
    for (int run = 0; run < runs; ++run) {
        tessel.push_back(Seconds([&] { return WithTessel(path, nullptr).size(); }));
        if (onlyTessel) {
            continue;
        }
        pugi.push_back(Seconds([&] { return WithPugixml(path).size(); }));
        tiny.push_back(Seconds([&] { return WithTinyxml2(path).size(); }));
    }
    vt::platform::RemoveFile(path);
    using vt::bench::Milliseconds;
    using vt::bench::SpreadOf;
    if (onlyTessel) {
        std::printf("CXmlDocument  %s\n", Milliseconds(SpreadOf(tessel)).c_str());
        return 0;
    }
    std::printf(
        "catalogue: %d addons, %.2f MB, results %s; processor time, median of %d runs "
        "[min-max]\n",
        kAddons, xml.size() / 1e6, agree ? "identical" : "DIFFER", runs);
    std::printf("  CXmlDocument  %s\n", Milliseconds(SpreadOf(tessel)).c_str());
    std::printf("  pugixml       %s\n", Milliseconds(SpreadOf(pugi)).c_str());
    std::printf("  tinyxml2      %s\n", Milliseconds(SpreadOf(tiny)).c_str());
    vt::bench::PrintRatio("catalogue load: CXmlDocument / pugixml", vt::bench::Ratios(tessel, pugi),
                          0.8);
    vt::bench::PrintRatio("catalogue load: CXmlDocument / tinyxml2",
                          vt::bench::Ratios(tessel, tiny));
    std::printf("element index: %zu bytes allocated for a %zu-byte file (%.1f%%)\n", indexBytes,
                xml.size(), 100.0 * indexBytes / xml.size());
    return agree ? 0 : 1;
}
