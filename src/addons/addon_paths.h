// Where the addon library keeps its files and what it asks the catalogue
// server for. Directories come from the application fields at call time.
#pragma once

#include <cstdint>
#include <string>

namespace vt {

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

// The catalogue server from ProgramDir + "servers.ini" (without a trailing
// "/"), followed by path.
std::string CatalogueServerUrl(const std::string& path);
// ProgramDir + "Download\\".
std::string DownloadDir();
// ProgramDir + "Download\\" + "%d.zip".
std::string ArchivePath(int32_t id);
// GameDir + "Interface\\Addons" (no trailing backslash); empty while no game
// directory is set.
std::string AddonDir();
// The detail page of an addon in state (DetailState) on the catalogue server.
std::string DetailPageUrl(int32_t id, int state);
// True for a name that is one directory entry directly under the addon
// directory: not empty, no separator, not "." or "..". Only such names are
// ever deleted there.
bool IsPlainFolderName(const std::string& name);

}  // namespace vt
