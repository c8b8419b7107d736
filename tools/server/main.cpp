// tessel-server: the reference catalogue and upgrade server.
//   tessel-server --root DIR [--address A] [--port N] [--public-url URL]
//                 [--catalogue-key K] [--upgrade-key K] [--quiet]
//   tessel-server --make-demo DIR
#include <httplib.h>

#include <cstdio>
#include <string>
#include <vector>

#include "demo_catalogue.h"
#include "platform/code_page.h"
#include "platform/files.h"
#include "platform/system.h"
#include "server_routes.h"

namespace {

const char kUsage[] =
    "usage: tessel-server --root DIR [--address A] [--port N] [--public-url URL]\n"
    "                     [--catalogue-key KEY] [--upgrade-key KEY] [--quiet]\n"
    "       tessel-server --make-demo DIR\n";

int Usage() {
    std::fputs(kUsage, stderr);
    return 2;
}

std::string WithSeparator(const std::string& dir) {
    return !dir.empty() && (dir.back() == '\\' || dir.back() == '/') ? dir : dir + "\\";
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args = vt::platform::CommandLineArgsUtf8(argc, argv);
    std::string root, demo, address = "127.0.0.1", publicUrl;
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
        else if (arg == "--address")
            address = value;
        else if (arg == "--public-url")
            publicUrl = value;
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

    httplib::Server server;
    const int bound = port == 0 ? server.bind_to_any_port(address)
                                : (server.bind_to_port(address, port) ? port : -1);
    if (bound <= 0) {
        std::fprintf(stderr, "tessel-server: cannot listen on %s:%d\n", address.c_str(), port);
        return 1;
    }
    const std::string reachable = address == "0.0.0.0" ? "127.0.0.1" : address;
    config.publicUrl =
        publicUrl.empty() ? "http://" + reachable + ":" + std::to_string(bound) : publicUrl;
    while (!config.publicUrl.empty() && config.publicUrl.back() == '/')
        config.publicUrl.pop_back();
    vt::server::TesselServer tessel(config);
    tessel.Install(server);
    std::printf("listening on %s:%d\n", address.c_str(), bound);
    std::fflush(stdout);
    return server.listen_after_bind() ? 0 : 1;
}
