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

// What the command line asks for.
struct Options {
    std::string root, demo, publish, address = "127.0.0.1", publicUrl, counts = "local";
    int port = 8080;
    vt::server::ServerConfig config;
};

// False when an argument is unknown, lacks its value or the port is not one.
bool ParseOptions(const std::vector<std::string>& args, Options& options) {
    vt::server::ServerConfig& config = options.config;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--quiet") {
            config.log = false;
            continue;
        }
        if (i + 1 >= args.size())
            return false;
        const std::string& value = args[++i];
        if (arg == "--root")
            options.root = value;
        else if (arg == "--make-demo")
            options.demo = value;
        else if (arg == "--publish")
            options.publish = value;
        else if (arg == "--address")
            options.address = value;
        else if (arg == "--public-url")
            options.publicUrl = value;
        else if (arg == "--files-url")
            config.filesUrl = value;
        else if (arg == "--counts")
            options.counts = value;
        else if (arg == "--catalogue-key")
            config.catalogueKey = vt::platform::Utf8ToLocal(value);
        else if (arg == "--upgrade-key")
            config.upgradeKey = vt::platform::Utf8ToLocal(value);
        else if (arg == "--port") {
            if (value.empty() || value.size() > 5 ||
                value.find_first_not_of("0123456789") != std::string::npos ||
                std::stoi(value) > 65535)
                return false;
            options.port = std::stoi(value);
        } else {
            return false;
        }
    }
    return true;
}

int MakeDemo(const std::string& demo) {
    std::string error;
    if (!vt::server::WriteDemoCatalogue(WithSeparator(vt::platform::Utf8ToLocal(demo)), error)) {
        std::fprintf(stderr, "tessel-server: %s\n", error.c_str());
        return 1;
    }
    std::printf("demo catalogue written to %s\n", demo.c_str());
    return 0;
}

int Publish(const Options& options) {
    std::string error;
    if (!vt::server::PublishBuild(options.config.root,
                                  WithSeparator(vt::platform::Utf8ToLocal(options.publish)),
                                  error)) {
        std::fprintf(stderr, "tessel-server: %s\n", error.c_str());
        return 1;
    }
    std::printf("published %s in %s\n", options.publish.c_str(), options.root.c_str());
    return 0;
}

// Serves until SIGTERM or SIGINT.
int Serve(Options& options) {
    std::string error;
    std::unique_ptr<vt::server::CountStore> store =
        vt::server::MakeCountStore(options.counts, error);
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
    const std::string& address = options.address;
    const int bound = server.Bind(address, options.port);
    if (bound <= 0) {
        std::fprintf(stderr, "tessel-server: cannot listen on %s:%d\n", address.c_str(),
                     options.port);
        return 1;
    }
    const std::string reachable = address == "0.0.0.0" ? "127.0.0.1" : address;
    options.config.publicUrl = WithoutTrailingSlashes(
        options.publicUrl.empty() ? "http://" + reachable + ":" + std::to_string(bound)
                                  : options.publicUrl);
    std::printf("listening on %s:%d\n", address.c_str(), bound);
    std::printf("counts in %s\n", store->Describe().c_str());
    std::fflush(stdout);
    tessel = std::make_unique<vt::server::TesselServer>(options.config, std::move(store));

    running = &server;
    std::signal(SIGTERM, OnStopSignal);
    std::signal(SIGINT, OnStopSignal);
    std::signal(SIGPIPE, SIG_IGN);
    return server.Run() ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!ParseOptions(vt::platform::CommandLineArgsUtf8(argc, argv), options))
        return Usage();
    if (!options.demo.empty())
        return MakeDemo(options.demo);
    if (options.root.empty())
        return Usage();
    options.config.root = WithSeparator(vt::platform::Utf8ToLocal(options.root));
    if (!vt::platform::IsDirectory(options.config.root)) {
        std::fprintf(stderr, "tessel-server: %s is not a directory\n", options.root.c_str());
        return 1;
    }
    return options.publish.empty() ? Serve(options) : Publish(options);
}
