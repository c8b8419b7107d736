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
    {37, "IBM037"},          {437, "IBM437"},
    {500, "IBM500"},         {708, "ISO-8859-6"},
    {737, "CP737"},          {775, "CP775"},
    {850, "IBM850"},         {852, "IBM852"},
    {855, "IBM855"},         {857, "IBM857"},
    {858, "IBM858"},         {860, "IBM860"},
    {861, "IBM861"},         {862, "IBM862"},
    {863, "IBM863"},         {864, "IBM864"},
    {865, "IBM865"},         {866, "IBM866"},
    {869, "IBM869"},         {870, "IBM870"},
    {874, "CP874"},          {875, "IBM875"},
    {932, "CP932"},          {936, "CP936"},
    {949, "CP949"},          {950, "CP950"},
    {1026, "IBM1026"},       {1047, "IBM1047"},
    {1140, "IBM1140"},       {1141, "IBM1141"},
    {1142, "IBM1142"},       {1143, "IBM1143"},
    {1144, "IBM1144"},       {1145, "IBM1145"},
    {1146, "IBM1146"},       {1147, "IBM1147"},
    {1148, "IBM1148"},       {1149, "IBM1149"},
    {1200, "UTF-16LE"},      {1201, "UTF-16BE"},
    {1250, "CP1250"},        {1251, "CP1251"},
    {1252, "CP1252"},        {1253, "CP1253"},
    {1254, "CP1254"},        {1255, "CP1255"},
    {1256, "CP1256"},        {1257, "CP1257"},
    {1258, "CP1258"},        {1361, "JOHAB"},
    {10000, "MACINTOSH"},    {10001, "SHIFT_JIS"},
    {10002, "BIG5"},         {10003, "EUC-KR"},
    {10007, "MAC-CYRILLIC"}, {10008, "EUC-CN"},
    {10017, "MACUKRAINIAN"}, {10029, "MAC-CENTRALEUROPE"},
    {10079, "MAC-IS"},       {12000, "UTF-32LE"},
    {12001, "UTF-32BE"},     {20000, "EUC-TW"},
    {20127, "ASCII"},        {20261, "T.61-8BIT"},
    {20273, "IBM273"},       {20277, "IBM277"},
    {20278, "IBM278"},       {20280, "IBM280"},
    {20284, "IBM284"},       {20285, "IBM285"},
    {20290, "IBM290"},       {20297, "IBM297"},
    {20420, "IBM420"},       {20423, "IBM423"},
    {20424, "IBM424"},       {20866, "KOI8-R"},
    {20871, "IBM871"},       {20880, "IBM880"},
    {20905, "IBM905"},       {20932, "EUC-JP"},
    {20936, "GB2312"},       {21025, "IBM1025"},
    {21866, "KOI8-U"},       {28591, "ISO-8859-1"},
    {28592, "ISO-8859-2"},   {28593, "ISO-8859-3"},
    {28594, "ISO-8859-4"},   {28595, "ISO-8859-5"},
    {28596, "ISO-8859-6"},   {28597, "ISO-8859-7"},
    {28598, "ISO-8859-8"},   {28599, "ISO-8859-9"},
    {28603, "ISO-8859-13"},  {28605, "ISO-8859-15"},
    {38598, "ISO-8859-8"},   {50220, "ISO-2022-JP"},
    {50221, "ISO-2022-JP"},  {50222, "ISO-2022-JP"},
    {50225, "ISO-2022-KR"},  {50227, "ISO-2022-CN"},
    {51932, "EUC-JP"},       {51936, "EUC-CN"},
    {51949, "EUC-KR"},       {54936, "GB18030"},
    {65000, "UTF-7"},        {65001, "UTF-8"},
};

}  // namespace

const char* IconvNameForCodePage(unsigned codePage) {
    auto it = std::lower_bound(std::begin(kNames), std::end(kNames), codePage,
                               [](const CodePageName& n, unsigned cp) { return n.codePage < cp; });
    return it != std::end(kNames) && it->codePage == codePage ? it->iconvName : nullptr;
}

}  // namespace vt::platform
