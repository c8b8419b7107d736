// The catalogue job, "load the file from disk and produce the Catalogue with
// texts in the local code page", done by CXmlDocument, by pugixml and by
// tinyxml2 on a generated catalogue of 20,000 addons (UTF-8, Chinese names,
// some entities). Prints the best processor time of several runs and the
// ratios.
#include <tinyxml2.h>
#include <pugixml.hpp>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <string>

#include "addons/catalogue_file.h"
#include "platform/code_page.h"
#include "platform/files.h"
#include "xml/xml_document.h"

namespace {

constexpr int kAddons = 20000;
constexpr int kRuns = 15;

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

vt::addons::Catalogue WithPugixml(const std::string& path) {
    vt::addons::Catalogue catalogue;
    pugi::xml_document doc;
    if (!doc.load_file(path.c_str())) {
        return catalogue;
    }
    const pugi::xml_node root = doc.child("AddOnList");
    const std::string downloadUrl =
        vt::platform::Utf8ToLocal(root.attribute("DownLoadUrl").value());
    for (pugi::xml_node p = root.child("P"); p; p = p.next_sibling("P")) {
        vt::addons::AddonRecord record;
        record.Id = vt::addons::LeadingInteger(p.attribute("Id").value());
        if (catalogue.count(record.Id) != 0) {
            continue;
        }
        record.Name = vt::platform::Utf8ToLocal(p.attribute("Name").value());
        record.Folder = vt::platform::Utf8ToLocal(p.attribute("Folder").value());
        record.Ver = vt::platform::Utf8ToLocal(p.attribute("Ver").value());
        record.Url = downloadUrl + vt::platform::Utf8ToLocal(p.attribute("Url").value());
        catalogue.emplace(record.Id, std::move(record));
    }
    return catalogue;
}

std::string Attribute(const tinyxml2::XMLElement* e, const char* name) {
    const char* value = e->Attribute(name);
    return vt::platform::Utf8ToLocal(value == nullptr ? "" : value);
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
    const std::string downloadUrl = Attribute(root, "DownLoadUrl");
    for (const tinyxml2::XMLElement* p = root->FirstChildElement("P"); p != nullptr;
         p = p->NextSiblingElement("P")) {
        vt::addons::AddonRecord record;
        record.Id = vt::addons::LeadingInteger(Attribute(p, "Id"));
        if (catalogue.count(record.Id) != 0) {
            continue;
        }
        record.Name = Attribute(p, "Name");
        record.Folder = Attribute(p, "Folder");
        record.Ver = Attribute(p, "Ver");
        record.Url = downloadUrl + Attribute(p, "Url");
        catalogue.emplace(record.Id, std::move(record));
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
    const bool onlyTessel = argc > 1 && std::string(argv[1]) == "--only-tessel";
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

    // Runs are interleaved and the best of each kept, so that a busy machine
    // slows every contender alike.
    double tessel = 1e9, pugi = 1e9, tiny = 1e9;
    for (int run = 0; run < kRuns; ++run) {
        tessel = std::min(tessel, Seconds([&] { return WithTessel(path, nullptr).size(); }));
        if (onlyTessel) {
            continue;
        }
        pugi = std::min(pugi, Seconds([&] { return WithPugixml(path).size(); }));
        tiny = std::min(tiny, Seconds([&] { return WithTinyxml2(path).size(); }));
    }
    if (onlyTessel) {
        std::printf("CXmlDocument  %8.2f ms\n", tessel * 1e3);
        vt::platform::RemoveFile(path);
        return 0;
    }
    vt::platform::RemoveFile(path);

    std::printf("catalogue: %d addons, %.2f MB, results %s\n", kAddons, xml.size() / 1e6,
                agree ? "identical" : "DIFFER");
    std::printf("CXmlDocument  %8.2f ms\n", tessel * 1e3);
    std::printf("pugixml       %8.2f ms\n", pugi * 1e3);
    std::printf("tinyxml2      %8.2f ms\n", tiny * 1e3);
    std::printf("ratio CXmlDocument/pugixml  %.2f (goal <= 1.0)\n", tessel / pugi);
    std::printf("ratio CXmlDocument/tinyxml2 %.2f\n", tessel / tiny);
    std::printf("element index: %zu bytes allocated for a %zu-byte file (%.1f%%)\n", indexBytes,
                xml.size(), 100.0 * indexBytes / xml.size());
    return agree ? 0 : 1;
}
