// The catalogue directory's addon list (catalogue.txt) and the "pluglist.xml"
// generated from it, regenerated with a new stamp whenever the list changes.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace vt::server {

// One addon of catalogue.txt; texts are UTF-8.
struct CatalogueEntry {
    int id = 0;
    std::string ver;
    std::string folder;
    std::string name;
    std::string summary;
};

struct CatalogueSnapshot {
    std::vector<CatalogueEntry> entries;  // in file order, unique ids
    std::string xml;                      // "pluglist.xml", UTF-8
    std::string stamp;                    // the "ver" text: MD5 of the addon list as published
    std::vector<std::string> problems;    // lines that were skipped, and why
};

// Parses catalogue.txt: "Id<TAB>Ver<TAB>Folder<TAB>Name[<TAB>Summary]" per
// line, "#" starts a comment line. Bad lines are skipped and reported.
CatalogueSnapshot ParseCatalogueText(const std::string& text, const std::string& downloadUrl);

// Thread-safe access to the current snapshot of root + "catalogue.txt".
class CatalogueStore {
  public:
    static constexpr int64_t kMaxCatalogueBytes = 1 << 20;

    CatalogueStore(std::string root, std::string downloadUrl);
    // The snapshot for the file as it is now; re-read when its size or time changed.
    std::shared_ptr<const CatalogueSnapshot> Current();

  private:
    std::string path_;
    std::string downloadUrl_;
    std::mutex mutex_;
    int64_t size_ = -2;
    uint64_t time_ = 0;
    std::shared_ptr<const CatalogueSnapshot> snapshot_;
};

// Text for XML attribute values and character data.
std::string XmlEscape(const std::string& text);
// Lower-case hex MD5 of bytes.
std::string Md5Hex(const std::string& bytes);

}  // namespace vt::server
