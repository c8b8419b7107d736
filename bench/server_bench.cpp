// Requests per second of tessel-server behind nginx, with one and with two
// processes, for the stamp exchange and for archive Range requests, against
// nginx serving the same archive from disk; wrk makes the load over
// loopback. Rate limits are off in the configurations measured here, and
// for the processes' own archive numbers nginx passes /files/ to them.
//   server_bench [--seconds N] [--connections N]
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "net/secure_exchange.h"

namespace {

const std::string kDeploy =
    std::string(TESSEL_SOURCE_DIR) + "/tools/server/deploy/local-deployment.sh";
const std::string kServer = TESSEL_SERVER_BINARY;
const char kRange[] = "bytes=1048576-1114111";  // 64 KB from the middle of a 20 MB archive

int seconds = 4;
int connections = 32;

std::string Run(const std::string& command) {
    std::string output;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[4096];
        while (size_t n = fread(buffer, 1, sizeof buffer, pipe))
            output.append(buffer, n);
        if (pclose(pipe) != 0)
            output += "\n(exit status not 0)";
    }
    return output;
}

std::map<std::string, std::string> ReadEnv(const std::string& path) {
    std::map<std::string, std::string> values;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) {
        const size_t equals = line.find('=');
        if (equals != std::string::npos)
            values[line.substr(0, equals)] = line.substr(equals + 1);
    }
    return values;
}

// wrk's requests per second for url (with the extra arguments), or -1 when it
// failed or some answers were not 2xx.
double Wrk(const std::string& url, const std::string& extra) {
    const std::string output = Run("wrk -t1 -c" + std::to_string(connections) + " -d" +
                                   std::to_string(seconds) + "s " + extra + " '" + url + "' 2>&1");
    const size_t at = output.find("Requests/sec:");
    if (at == std::string::npos || output.find("Non-2xx") != std::string::npos ||
        output.find("Socket errors") != std::string::npos) {
        std::fprintf(stderr, "wrk %s:\n%s\n", url.c_str(), output.c_str());
        return -1;
    }
    return std::atof(output.c_str() + at + 13);
}

// The peak resident memory of the process whose pid is in file, in MB.
double PeakMb(const std::string& jobFile) {
    std::ifstream job(jobFile);
    std::string pid;
    job >> pid;
    std::ifstream status("/proc/" + pid + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.compare(0, 6, "VmHWM:") == 0)
            return std::atof(line.c_str() + 6) / 1024.0;
    }
    return -1;
}

void Print(const char* what, double rate) {
    if (rate < 0)
        std::printf("  %-46s failed\n", what);
    else
        std::printf("  %-46s %10.0f req/s\n", what, rate);
}

void Ratio(const char* what, double a, double b) {
    if (a > 0 && b > 0)
        std::printf("  %-46s %10.2f\n", what, a / b);
}

}  // namespace

int main(int argc, char** argv) {
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--seconds") == 0)
            seconds = std::atoi(argv[i + 1]);
        else if (std::strcmp(argv[i], "--connections") == 0)
            connections = std::atoi(argv[i + 1]);
    }
    char pattern[] = "/tmp/tessel-server-bench-XXXXXX";
    const char* made = mkdtemp(pattern);
    if (!made)
        return 1;
    const std::string work = made;
    const std::string catalogue = work + "/catalogue";
    Run("'" + kServer + "' --make-demo '" + catalogue + "'");
    {
        std::ofstream archive(catalogue + "/files/20.zip", std::ios::binary);
        std::string block(1 << 20, '\0');
        for (size_t i = 0; i < block.size(); ++i)
            block[i] = static_cast<char>(i * 7 + i / 251);
        for (int i = 0; i < 20; ++i)
            archive.write(block.data(), static_cast<std::streamsize>(block.size()));
    }
    // One valid stamp request, sent again and again (the server decodes each).
    {
        std::ofstream lua(work + "/exchange.lua");
        lua << "wrk.method = \"POST\"\n"
            << "wrk.body = \""
            << vt::net::BuildExchangeBody("", "@n28;<bpb723PwktthCpz((3n311!?#%my<!", "A1B2C3D4")
            << "\"\n"
            << "wrk.headers[\"Content-Type\"] = \"application/x-www-form-urlencoded\"\n";
    }
    const std::string exchange = "-s '" + work + "/exchange.lua'";
    const std::string range = std::string("-H 'Range: ") + kRange + "'";
    const auto start = [&](const std::string& dir, int servers, bool filesFromServers) {
        const std::string output =
            Run(kDeploy + " start '" + dir + "' --server '" + kServer + "' --root '" + catalogue +
                "' --counts local --servers " + std::to_string(servers) + " --no-rate-limits" +
                (filesFromServers ? " --files-from-servers" : "") + " 2>&1");
        auto env = ReadEnv(dir + "/deployment.env");
        if (env.empty())
            std::fprintf(stderr, "%s\n", output.c_str());
        return env;
    };
    const auto stop = [&](const std::string& dir) { Run(kDeploy + " stop '" + dir + "' 2>&1"); };

    std::printf(
        "tessel-server behind nginx, wrk -t1 -c%d, %d s per run, 64 KB ranges of a 20 MB "
        "archive\n",
        connections, seconds);
    std::map<std::string, double> rate;
    for (int servers : {1, 2}) {
        const std::string dir = work + "/deployment" + std::to_string(servers);
        auto env = start(dir, servers, true);
        if (env.empty())
            return 1;
        const std::string front = "http://127.0.0.1:" + env["NGINX_PORT"];
        const std::string direct =
            "http://127.0.0.1:" + env["SERVER_PORTS"].substr(0, env["SERVER_PORTS"].find(' '));
        const std::string n = std::to_string(servers);
        if (servers == 1) {
            rate["exchange direct"] =
                Wrk(direct + "/Interfaces/IGetPlugXmlConfigInfo.aspx", exchange);
            rate["range direct"] = Wrk(direct + "/files/20.zip", range);
        }
        rate["exchange " + n] = Wrk(front + "/Interfaces/IGetPlugXmlConfigInfo.aspx", exchange);
        rate["range " + n] = Wrk(front + "/files/20.zip", range);
        for (int i = 1; i <= servers; ++i) {
            std::printf("  peak memory of tessel-server %d of %d: %.1f MB\n", i, servers,
                        PeakMb(dir + "/server" + std::to_string(i) + ".job"));
        }
        stop(dir);
    }
    {
        const std::string dir = work + "/static";
        auto env = start(dir, 1, false);
        if (env.empty())
            return 1;
        rate["range nginx"] = Wrk("http://127.0.0.1:" + env["NGINX_PORT"] + "/files/20.zip", range);
        stop(dir);
    }
    Run("rm -rf '" + work + "'");

    std::printf("stamp exchange (POST /Interfaces/IGetPlugXmlConfigInfo.aspx)\n");
    Print("tessel-server alone", rate["exchange direct"]);
    Print("nginx -> 1 tessel-server", rate["exchange 1"]);
    Print("nginx -> 2 tessel-server", rate["exchange 2"]);
    Ratio("ratio 2 processes / 1 process", rate["exchange 2"], rate["exchange 1"]);
    std::printf("archive Range request (GET /files/20.zip, %s)\n", kRange);
    Print("tessel-server alone", rate["range direct"]);
    Print("nginx -> 1 tessel-server", rate["range 1"]);
    Print("nginx -> 2 tessel-server", rate["range 2"]);
    Print("nginx from disk (the deployment)", rate["range nginx"]);
    Ratio("ratio nginx -> 1 tessel-server / nginx alone", rate["range 1"], rate["range nginx"]);
    Ratio("ratio nginx -> 2 tessel-server / nginx alone", rate["range 2"], rate["range nginx"]);
    return 0;
}
