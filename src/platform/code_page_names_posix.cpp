#include "platform/code_page_names_posix.h"

#include <algorithm>
#include <iterator>

namespace vt::platform {

namespace {

struct CodePageName {
    unsigned codePage;
    const char* iconvName;
};

// Sorted by code page.
constexpr CodePageName kNames[] = {
    {437, "CP437"},        {850, "CP850"},     {866, "CP866"},        {874, "CP874"},
    {932, "CP932"},        {936, "CP936"},     {949, "CP949"},        {950, "CP950"},
    {1200, "UTF-16LE"},    {1201, "UTF-16BE"}, {1250, "CP1250"},      {1251, "CP1251"},
    {1252, "CP1252"},      {1253, "CP1253"},   {1254, "CP1254"},      {1255, "CP1255"},
    {1256, "CP1256"},      {1257, "CP1257"},   {1258, "CP1258"},      {20127, "ASCII"},
    {20866, "KOI8-R"},     {21866, "KOI8-U"},  {28591, "ISO-8859-1"}, {28592, "ISO-8859-2"},
    {28595, "ISO-8859-5"}, {54936, "GB18030"}, {65000, "UTF-7"},      {65001, "UTF-8"},
};

}  // namespace

const char* IconvNameForCodePage(unsigned codePage) {
    auto it = std::lower_bound(std::begin(kNames), std::end(kNames), codePage,
                               [](const CodePageName& n, unsigned cp) { return n.codePage < cp; });
    return it != std::end(kNames) && it->codePage == codePage ? it->iconvName : nullptr;
}

}  // namespace vt::platform
