// Where the addon library keeps its files and what it asks the catalogue
// server for. Each path is derived from the directory it is given (the
// program's or the game's, with its trailing backslash), so one operation
// reads the application fields once and works in one place throughout.
#pragma once

#include <cstdint>
#include <string>

namespace vt::settings {
struct ServerConfig;
}  // namespace vt::settings

namespace vt::addons {

// Paths on the catalogue server (its scheme and host are configuration).
constexpr char kCatalogueServerPath[] = "/Config/pluglist.xml";
constexpr char kStampInterfacePath[] = "/Interfaces/IGetPlugXmlConfigInfo.aspx";
constexpr char kUsagePingPath[] = "/Interfaces/StatisticsPlugPopu.aspx";
constexpr char kDetailPageFormat[] = "/Pages/Plug/PlugDetail_%d.shtml#%d";
// The key of the catalogue server's form interfaces.
constexpr char kCatalogueExchangeKey[] = "@n28;<bpb723PwktthCpz((3n311!?#%my<!";
// The name of the stamp in the stamp interface's answer.
constexpr char kStampName[] = "XMLMD5";
// The version file inside each managed addon folder and its two keys.
constexpr char kVersionFileName[] = "tesselver.txt";
constexpr char kProjectNameKey[] = "X-Tessel-Project-Name";
constexpr char kUpdateVerKey[] = "X-Tessel-UpdateVer";

// programDir + "Download\\".
std::string DownloadDir(const std::string& programDir);
// programDir + "Download\\" + "%d.zip".
std::string ArchivePath(const std::string& programDir, int32_t id);
// gameDir + "Interface\\Addons" (no trailing backslash); empty for an empty
// gameDir (no game directory set).
std::string AddonDir(const std::string& gameDir);
// The detail page of an addon in state (DetailState) on the catalogue server.
std::string DetailPageUrl(const settings::ServerConfig& servers, int32_t id, int state);
// True for a name that is one directory entry directly under the addon
// directory: not empty, no separator, not "." or "..". Only such names are
// ever deleted there.
bool IsPlainFolderName(const std::string& name);

}  // namespace vt::addons
