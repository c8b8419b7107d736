// tessel-server: the reference catalogue and upgrade server.
//   tessel-server --root DIR [--address A] [--port N] [--public-url URL]
//                 [--files-url URL] [--counts local|redis://HOST:PORT[/PREFIX]]
//                 [--catalogue-key K] [--upgrade-key K] [--quiet]
//   tessel-server --make-demo DIR
//   tessel-server --root DIR --publish DIST
#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include "count_store.h"
#include "demo_catalogue.h"
#include "http_server.h"
#include "platform/code_page.h"
#include "platform/files.h"
#include "platform/system.h"
#include "server_routes.h"
#include "upgrade_config.h"

namespace {

const char kUsage[] =
    "usage: tessel-server --root DIR [--address A] [--port N] [--public-url URL]\n"
    "                     [--files-url URL] [--counts local|redis://HOST:PORT[/PREFIX]]\n"
    "                     [--catalogue-key KEY] [--upgrade-key KEY] [--quiet]\n"
    "       tessel-server --make-demo DIR\n"
    "       tessel-server --root DIR --publish DIST\n";

int Usage() {
    std::fputs(kUsage, stderr);
    return 2;
}

std::string WithSeparator(const std::string& dir) {
    return !dir.empty() && (dir.back() == '\\' || dir.back() == '/') ? dir : dir + "\\";
}

std::string WithoutTrailingSlashes(std::string url) {
    while (!url.empty() && url.back() == '/')
        url.pop_back();
    return url;
}

vt::server::HttpServer* running = nullptr;

// SIGTERM and SIGINT end the loop; the process then exits normally.
extern "C" void OnStopSignal(int) {
    if (running)
        running->Stop();
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args = vt::platform::CommandLineArgsUtf8(argc, argv);
    std::string root, demo, publish, address = "127.0.0.1", publicUrl, counts = "local";
    int port = 8080;
    vt::server::ServerConfig config;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--quiet") {
            config.log = false;
            continue;
        }
        if (i + 1 >= args.size())
            return Usage();
        const std::string& value = args[++i];
        if (arg == "--root")
            root = value;
        else if (arg == "--make-demo")
            demo = value;
        else if (arg == "--publish")
            publish = value;
        else if (arg == "--address")
            address = value;
        else if (arg == "--public-url")
            publicUrl = value;
        else if (arg == "--files-url")
            config.filesUrl = value;
        else if (arg == "--counts")
            counts = value;
        else if (arg == "--catalogue-key")
            config.catalogueKey = vt::platform::Utf8ToLocal(value);
        else if (arg == "--upgrade-key")
            config.upgradeKey = vt::platform::Utf8ToLocal(value);
        else if (arg == "--port") {
            if (value.empty() || value.size() > 5 ||
                value.find_first_not_of("0123456789") != std::string::npos ||
                std::stoi(value) > 65535)
                return Usage();
            port = std::stoi(value);
        } else {
            return Usage();
        }
    }

    if (!demo.empty()) {
        std::string error;
        if (!vt::server::WriteDemoCatalogue(WithSeparator(vt::platform::Utf8ToLocal(demo)),
                                            error)) {
            std::fprintf(stderr, "tessel-server: %s\n", error.c_str());
            return 1;
        }
        std::printf("demo catalogue written to %s\n", demo.c_str());
        return 0;
    }
    if (root.empty())
        return Usage();
    config.root = WithSeparator(vt::platform::Utf8ToLocal(root));
    if (!vt::platform::IsDirectory(config.root)) {
        std::fprintf(stderr, "tessel-server: %s is not a directory\n", root.c_str());
        return 1;
    }
    std::string error;
    if (!publish.empty()) {
        if (!vt::server::PublishBuild(config.root,
                                      WithSeparator(vt::platform::Utf8ToLocal(publish)), error)) {
            std::fprintf(stderr, "tessel-server: %s\n", error.c_str());
            return 1;
        }
        std::printf("published %s in %s\n", publish.c_str(), root.c_str());
        return 0;
    }
    std::unique_ptr<vt::server::CountStore> store = vt::server::MakeCountStore(counts, error);
    if (!store) {
        std::fprintf(stderr, "tessel-server: %s\n", error.c_str());
        return Usage();
    }

    // The handler reaches the routes only after they exist; the server binds first
    // so that the public URL can name the port chosen.
    std::unique_ptr<vt::server::TesselServer> tessel;
    vt::server::HttpServer server(
        {}, [&tessel](const auto& req, auto& res) { tessel->Handle(req, res); },
        [&tessel](const auto& req, const auto& res) { tessel->Log(req, res); });
    const int bound = server.Bind(address, port);
    if (bound <= 0) {
        std::fprintf(stderr, "tessel-server: cannot listen on %s:%d\n", address.c_str(), port);
        return 1;
    }
    const std::string reachable = address == "0.0.0.0" ? "127.0.0.1" : address;
    config.publicUrl = WithoutTrailingSlashes(
        publicUrl.empty() ? "http://" + reachable + ":" + std::to_string(bound) : publicUrl);
    std::printf("listening on %s:%d\n", address.c_str(), bound);
    std::printf("counts in %s\n", store->Describe().c_str());
    std::fflush(stdout);
    tessel = std::make_unique<vt::server::TesselServer>(config, std::move(store));

    running = &server;
    std::signal(SIGTERM, OnStopSignal);
    std::signal(SIGINT, OnStopSignal);
    std::signal(SIGPIPE, SIG_IGN);
    return server.Run() ? 0 : 1;
}
