// The catalogue server's web pages, in Simplified Chinese, generated from the
// current catalogue. Their scripts call the program through window.external
// (AddPlug, ShowPlugDetail, SwitchTab, OpenSimulator), with string arguments
// only. The program shows them in WebBrowser controls: every page declares the
// newest document mode (X-UA-Compatible IE=edge) and its scripts keep to what
// that engine runs (no arrow functions, let/const, template literals or
// fetch). Texts are UTF-8; the routes send them in GBK.
#pragma once

#include <map>
#include <string>

#include "catalogue_store.h"

namespace vt::server {

std::string HomePage(const CatalogueSnapshot& catalogue);
std::string PluginListPage(const CatalogueSnapshot& catalogue);
std::string MacroDepotPage();
std::string SimulatorPage();
// The detail page of one addon; empty when the id is not in the catalogue.
// The page reads its state (0 current, 1 not installed, 2 update) from the
// URL's fragment.
std::string DetailPage(const CatalogueSnapshot& catalogue, int id);
std::string StatisticsPage(const std::string& which);
std::string ForumPage();
std::string NotFoundPage();

// Plain-text status: the stamp, problems of the catalogue and the usage counts.
std::string StatusText(const CatalogueSnapshot& catalogue, const std::map<int, long>& usage,
                       const std::map<std::string, long>& pageLoads);

}  // namespace vt::server
