#include "pages.h"

#include "catalogue_store.h"

namespace vt::server {

namespace {

// A JavaScript string literal (single quotes) that is also safe inside HTML.
std::string JsString(const std::string& text) {
    std::string out = "'";
    for (char c : text) {
        switch (c) {
            case '\'':
                out += "\\'";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '"':
                out += "\\x22";
                break;
            case '<':
                out += "\\x3C";
                break;
            case '>':
                out += "\\x3E";
                break;
            case '&':
                out += "\\x26";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                break;
            default:
                out += c;
        }
    }
    return out + "'";
}

const char kScript[] = R"(<script type="text/javascript">
function host() { try { return window.external; } catch (e) { return null; } }
function addPlug(id, name, closePopup) { var h = host(); if (h && h.AddPlug) h.AddPlug(String(id), name, String(closePopup)); }
function showDetail(id) { var h = host(); if (h && h.ShowPlugDetail) h.ShowPlugDetail(String(id), '/Pages/Plug/PlugDetail_' + id + '.shtml'); }
function switchTab(name) { var h = host(); if (h && h.SwitchTab) h.SwitchTab(name); }
function openSimulator() { var h = host(); if (h && h.OpenSimulator) h.OpenSimulator('技能模拟器', location.protocol + '//' + location.host + '/MacroInfo/Simulator.aspx', '600', '400', ''); }
</script>
)";

std::string Page(const std::string& title, const std::string& body) {
    // The program's WebBrowser controls show the pages in the newest
    // document mode they have; the mode is declared before anything else.
    return "<!DOCTYPE html>\n<html>\n<head>\n"
           "<meta http-equiv=\"X-UA-Compatible\" content=\"IE=edge\">\n"
           "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=gb2312\">\n"
           "<title>" +
           XmlEscape(title) +
           "</title>\n"
           "<style>body{font:12px "
           "SimSun,sans-serif;margin:8px;background:#f7f3ee}table{border-collapse:collapse}"
           "td,th{border:1px solid #ccc;padding:3px 6px}a{color:#1a5fb4}</style>\n" +
           kScript + "</head>\n<body>\n" + body + "</body>\n</html>\n";
}

std::string Row(const CatalogueEntry& e) {
    return "<tr><td>" + std::to_string(e.id) +
           "</td><td><a href=\"javascript:;\" onclick=\"showDetail(" + std::to_string(e.id) +
           ")\">" + XmlEscape(e.name) + "</a></td><td>" + XmlEscape(e.folder) + "</td><td>" +
           e.ver + "</td><td>" + XmlEscape(e.summary) + "</td><td><button onclick=\"addPlug(" +
           std::to_string(e.id) + ", " + XmlEscape(JsString(e.name)) +
           ", 0)\">安装</button></td></tr>\n";
}

}  // namespace

std::string HomePage(const CatalogueSnapshot& catalogue) {
    std::string body =
        "<h2>Vael 插件中心</h2>\n<p>欢迎使用 VaelTessel 插件管理器。这里收录了 " +
        std::to_string(catalogue.entries.size()) +
        " 个插件。</p>\n"
        "<p><a href=\"javascript:;\" onclick=\"switchTab('tcPlugLib')\">浏览插件库</a> | "
        "<a href=\"javascript:;\" onclick=\"switchTab('tcMacroDepot')\">宏仓库</a> | "
        "<a href=\"javascript:;\" onclick=\"openSimulator()\">技能模拟器</a> | "
        "<a href=\"/forum.php?mod=forumdisplay&amp;fid=307\" target=\"_blank\">插件论坛</a></p>\n"
        "<h3>推荐插件</h3>\n<table>\n<tr><th>编号</th><th>名称</th><th>目录</th><th>版本</"
        "th><th>简介</th><th></th></tr>\n";
    size_t shown = 0;
    for (const CatalogueEntry& e : catalogue.entries) {
        if (shown++ == 5)
            break;
        body += Row(e);
    }
    return Page("首页", body + "</table>\n");
}

std::string PluginListPage(const CatalogueSnapshot& catalogue) {
    std::string body = "<h2>插件库</h2>\n<p>共 " + std::to_string(catalogue.entries.size()) +
                       " 个插件。点击名称查看详情，点击“安装”下载并安装。</p>\n"
                       "<table>\n<tr><th>编号</th><th>名称</th><th>目录</th><th>版本</th><th>简介</"
                       "th><th></th></tr>\n";
    for (const CatalogueEntry& e : catalogue.entries)
        body += Row(e);
    return Page("插件库", body +
                              "</table>\n<p><a href=\"javascript:;\" "
                              "onclick=\"switchTab('tcHome')\">返回首页</a></p>\n");
}

std::string MacroDepotPage() {
    return Page("宏仓库",
                "<h2>宏仓库</h2>\n<p>常用战斗宏，复制到游戏的宏界面即可使用。</p>\n"
                "<pre>/施放 [目标=鼠标悬停,帮助] 治疗术\n/施放 [目标=焦点] 变形术</pre>\n"
                "<p><a href=\"javascript:;\" onclick=\"openSimulator()\">打开技能模拟器</a> | "
                "<a href=\"javascript:;\" onclick=\"switchTab('tcPlugLib')\">去插件库</a></p>\n");
}

std::string SimulatorPage() {
    return Page("技能模拟器",
                "<h3>技能模拟器</h3>\n<p>选择职业与天赋，查看技能组合的效果。（演示页面）</p>\n");
}

std::string DetailPage(const CatalogueSnapshot& catalogue, int id) {
    for (const CatalogueEntry& e : catalogue.entries) {
        if (e.id != id)
            continue;
        const std::string body =
            "<h2>" + XmlEscape(e.name) + "</h2>\n<p>目录：" + XmlEscape(e.folder) + "　最新版本：" +
            e.ver + "</p>\n<p>" + XmlEscape(e.summary) +
            "</p>\n<p id=\"state\"></p>\n<button id=\"install\" onclick=\"addPlug(" +
            std::to_string(e.id) + ", " + XmlEscape(JsString(e.name)) +
            ", 1)\">安装</button>\n"
            "<script type=\"text/javascript\">\n"
            "var s = location.hash.replace('#', '');\n"
            "var texts = {'0': '已安装最新版本。', '1': '尚未安装。', '2': '有新版本可以升级。'};\n"
            "document.getElementById('state').innerHTML = texts[s] || '';\n"
            "if (s == '0') document.getElementById('install').style.display = 'none';\n"
            "if (s == '2') document.getElementById('install').innerHTML = '升级';\n"
            "</script>\n";
        return Page(e.name + " - 插件详情", body);
    }
    return {};
}

std::string StatisticsPage(const std::string& which) {
    return Page("统计", "<!-- " + XmlEscape(which) + " -->\n");
}

std::string ForumPage() {
    return Page("插件论坛",
                "<h2>插件论坛</h2>\n<ul>\n<li>[公告] 插件管理器 V1.2 发布</li>\n"
                "<li>[求助] 团队框架的皮肤怎么切换？</li>\n<li>[反馈] "
                "伤害统计在副本里不刷新</li>\n</ul>\n");
}

std::string NotFoundPage() {
    return Page("找不到页面", "<h2>404</h2>\n<p>找不到您要的页面。</p>\n");
}

std::string StatusText(const CatalogueSnapshot& catalogue, const std::map<int, long>& usage,
                       const std::map<std::string, long>& pageLoads) {
    std::string text =
        "stamp " + catalogue.stamp + "\naddons " + std::to_string(catalogue.entries.size()) + "\n";
    for (const std::string& problem : catalogue.problems)
        text += "catalogue problem: " + problem + "\n";
    text += "usage pings (PlugId count):\n";
    for (const auto& [id, count] : usage)
        text += "  " + std::to_string(id) + " " + std::to_string(count) + "\n";
    text += "page loads:\n";
    for (const auto& [page, count] : pageLoads)
        text += "  " + page + " " + std::to_string(count) + "\n";
    return text;
}

}  // namespace vt::server
