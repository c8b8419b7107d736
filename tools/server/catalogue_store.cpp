#include "catalogue_store.h"

#include <openssl/evp.h>

#include <set>
#include <sstream>

#include "platform/files.h"

namespace vt::server {

namespace {

std::vector<std::string> SplitTabs(const std::string& line) {
    std::vector<std::string> fields;
    size_t start = 0;
    for (;;) {
        const size_t tab = line.find('\t', start);
        fields.push_back(
            line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
        if (tab == std::string::npos)
            return fields;
        start = tab + 1;
    }
}

// Folder names become directory names on the player's disk.
bool IsSafeFolderName(const std::string& name) {
    if (name.empty() || name.size() > 100 || name == "." || name == "..")
        return false;
    return name.find_first_of("\\/:*?\"<>|\t\r\n") == std::string::npos;
}

bool IsDecimal(const std::string& text) {
    return !text.empty() && text.size() <= 9 &&
           text.find_first_not_of("0123456789") == std::string::npos;
}

}  // namespace

std::string XmlEscape(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\'':
                out += "&apos;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::string Md5Hex(const std::string& bytes) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    EVP_Digest(bytes.data(), bytes.size(), digest, &length, EVP_md5(), nullptr);
    static const char kDigits[] = "0123456789abcdef";
    std::string hex;
    for (unsigned i = 0; i < length; ++i) {
        hex += kDigits[digest[i] >> 4];
        hex += kDigits[digest[i] & 15];
    }
    return hex;
}

CatalogueSnapshot ParseCatalogueText(const std::string& text, const std::string& downloadUrl) {
    CatalogueSnapshot snapshot;
    std::set<int> seen;
    std::istringstream lines(text);
    std::string line;
    int number = 0;
    while (std::getline(lines, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty() || line[0] == '#')
            continue;
        const auto fields = SplitTabs(line);
        const std::string where = "line " + std::to_string(number) + ": ";
        if (fields.size() < 4) {
            snapshot.problems.push_back(where + "needs Id, Ver, Folder and Name separated by tabs");
            continue;
        }
        CatalogueEntry entry;
        if (!IsDecimal(fields[0]) || (entry.id = std::stoi(fields[0])) <= 0 || entry.id >= 20000) {
            snapshot.problems.push_back(where + "Id must be a number from 1 to 19999");
            continue;
        }
        if (!IsDecimal(fields[1])) {
            snapshot.problems.push_back(where + "Ver must be a decimal number");
            continue;
        }
        if (!IsSafeFolderName(fields[2])) {
            snapshot.problems.push_back(where + "Folder is not a plain folder name");
            continue;
        }
        if (!seen.insert(entry.id).second) {
            snapshot.problems.push_back(where + "Id " + fields[0] + " repeats an earlier line");
            continue;
        }
        entry.ver = fields[1];
        entry.folder = fields[2];
        entry.name = fields[3];
        if (fields.size() > 4)
            entry.summary = fields[4];
        snapshot.entries.push_back(entry);
    }

    std::string list;
    for (const CatalogueEntry& e : snapshot.entries) {
        list += "  <P Id=\"" + std::to_string(e.id) + "\" Name=\"" + XmlEscape(e.name) +
                "\" Folder=\"" + XmlEscape(e.folder) + "\" Ver=\"" + e.ver + "\" Url=\"" +
                std::to_string(e.id) + ".zip\"/>\n";
    }
    const std::string root = "<AddOnList DownLoadUrl=\"" + XmlEscape(downloadUrl) + "\">\n";
    // The stamp covers everything the client reads from the file.
    snapshot.stamp = Md5Hex(root + list);
    snapshot.xml = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n" + root + "  <ver>" +
                   snapshot.stamp + "</ver>\n" + list + "</AddOnList>\n";
    return snapshot;
}

CatalogueStore::CatalogueStore(std::string root, std::string downloadUrl)
    : path_(std::move(root) + "catalogue.txt"), downloadUrl_(std::move(downloadUrl)) {}

std::shared_ptr<const CatalogueSnapshot> CatalogueStore::Current() {
    std::lock_guard<std::mutex> lock(mutex_);
    const int64_t size = platform::FileSize(path_);
    const uint64_t time = platform::GetModifiedTime(path_);
    if (snapshot_ && size == size_ && time == time_)
        return snapshot_;
    std::string text;
    if (size > kMaxCatalogueBytes || !platform::ReadWholeFile(path_, text))
        text.clear();
    auto fresh = std::make_shared<CatalogueSnapshot>(ParseCatalogueText(text, downloadUrl_));
    if (size > kMaxCatalogueBytes)
        fresh->problems.push_back("catalogue.txt is larger than 1 MB; serving an empty list");
    else if (size < 0)
        fresh->problems.push_back("catalogue.txt is missing; serving an empty list");
    size_ = size;
    time_ = time;
    snapshot_ = std::move(fresh);
    return snapshot_;
}

}  // namespace vt::server
