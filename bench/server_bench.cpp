// Requests per second of tessel-server behind nginx, with one and with two
// processes, for the stamp exchange and for archive Range requests, against
// nginx serving the same archive from disk; wrk makes the load over
// loopback. Rate limits are off in the configurations measured here, and
// for the processes' own archive numbers nginx passes /files/ to them. The
// three deployments run side by side and a run gives every configuration
// its turn of wrk (1 s each), so that a run's figures meet the machine in
// the same state. Prints each configuration's rate, the median of the runs
// (default 5) with their spread, and the ratios of the time per request
// (no goals); exits 1 when a measurement failed.
//   server_bench [--runs N] [--seconds N] [--connections N]
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "bench_stats.h"
#include "net/secure_exchange.h"

namespace {

const std::string kDeploy =
    std::string(TESSEL_SOURCE_DIR) + "/tools/server/deploy/local-deployment.sh";
const std::string kServer = TESSEL_SERVER_BINARY;
const char kRange[] = "bytes=1048576-1114111";  // 64 KB from the middle of a 20 MB archive

int seconds = 1;
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

// Prints the rates of the runs that did not fail; false when one failed.
bool Print(const char* what, const std::vector<double>& rates) {
    std::vector<double> measured;
    for (double rate : rates) {
        if (rate > 0)
            measured.push_back(rate);
    }
    if (measured.empty()) {
        std::printf("  %-46s failed\n", what);
        return false;
    }
    std::printf("  %-46s %s", what,
                vt::bench::Figure(vt::bench::SpreadOf(measured), "req/s", 1, 0).c_str());
    if (measured.size() < rates.size())
        std::printf("  (%zu runs failed)", rates.size() - measured.size());
    std::printf("\n");
    return measured.size() == rates.size();
}

}  // namespace

int main(int argc, char** argv) {
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--seconds") == 0)
            seconds = std::max(1, std::atoi(argv[i + 1]));
        else if (std::strcmp(argv[i], "--connections") == 0)
            connections = std::atoi(argv[i + 1]);
    }
    const int runs = vt::bench::RunsOption(argc, argv);
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

    // The deployments: one and two processes serving /files/ themselves, and
    // one whose nginx serves /files/ from disk.
    struct Deployment {
        std::string dir;
        int servers;
        bool filesFromServers;
        std::map<std::string, std::string> env;
    };
    std::vector<Deployment> deployments = {{work + "/deployment1", 1, true, {}},
                                           {work + "/deployment2", 2, true, {}},
                                           {work + "/static", 1, false, {}}};
    const auto stopAll = [&] {
        for (const Deployment& deployment : deployments)
            Run(kDeploy + " stop '" + deployment.dir + "' 2>&1");
        Run("rm -rf '" + work + "'");
    };
    for (Deployment& deployment : deployments) {
        const std::string output =
            Run(kDeploy + " start '" + deployment.dir + "' --server '" + kServer + "' --root '" +
                catalogue + "' --counts local --servers " + std::to_string(deployment.servers) +
                " --no-rate-limits" + (deployment.filesFromServers ? " --files-from-servers" : "") +
                " 2>&1");
        deployment.env = ReadEnv(deployment.dir + "/deployment.env");
        if (deployment.env.empty()) {
            std::fprintf(stderr, "%s\n", output.c_str());
            stopAll();
            return 1;
        }
    }
    const auto front = [&](const Deployment& deployment) {
        return "http://127.0.0.1:" + deployment.env.at("NGINX_PORT");
    };
    const std::string& ports = deployments[0].env["SERVER_PORTS"];
    const std::string direct = "http://127.0.0.1:" + ports.substr(0, ports.find(' '));
    const std::string stampPath = "/Interfaces/IGetPlugXmlConfigInfo.aspx";
    const struct {
        const char* key;
        std::string url;
        const std::string& extra;
    } targets[] = {
        {"exchange direct", direct + stampPath, exchange},
        {"exchange 1", front(deployments[0]) + stampPath, exchange},
        {"exchange 2", front(deployments[1]) + stampPath, exchange},
        {"range direct", direct + "/files/20.zip", range},
        {"range 1", front(deployments[0]) + "/files/20.zip", range},
        {"range 2", front(deployments[1]) + "/files/20.zip", range},
        {"range nginx", front(deployments[2]) + "/files/20.zip", range},
    };

    std::printf(
        "tessel-server behind nginx, wrk -t1 -c%d, %d s per run, 64 KB ranges of a 20 MB "
        "archive; requests per second, median of %d runs [min-max]\n",
        connections, seconds, runs);
    std::map<std::string, std::vector<double>> rate;
    for (int run = 0; run < runs; ++run) {
        for (const auto& target : targets)
            rate[target.key].push_back(Wrk(target.url, target.extra));
    }
    for (const Deployment& deployment : deployments) {
        if (!deployment.filesFromServers)
            continue;
        for (int i = 1; i <= deployment.servers; ++i) {
            std::printf("  peak memory of tessel-server %d of %d: %.1f MB\n", i, deployment.servers,
                        PeakMb(deployment.dir + "/server" + std::to_string(i) + ".job"));
        }
    }
    stopAll();

    bool whole = true;
    std::printf("stamp exchange (POST %s)\n", stampPath.c_str());
    whole = Print("tessel-server alone", rate["exchange direct"]) && whole;
    whole = Print("nginx -> 1 tessel-server", rate["exchange 1"]) && whole;
    whole = Print("nginx -> 2 tessel-server", rate["exchange 2"]) && whole;
    std::printf("archive Range request (GET /files/20.zip, %s)\n", kRange);
    whole = Print("tessel-server alone", rate["range direct"]) && whole;
    whole = Print("nginx -> 1 tessel-server", rate["range 1"]) && whole;
    whole = Print("nginx -> 2 tessel-server", rate["range 2"]) && whole;
    whole = Print("nginx from disk (the deployment)", rate["range nginx"]) && whole;
    // Ratios of the time per request, the inverse of the rates: lower is better.
    using vt::bench::Ratios;
    vt::bench::PrintRatio("server exchange time: 2 processes / 1 process",
                          Ratios(rate["exchange 1"], rate["exchange 2"]));
    vt::bench::PrintRatio("server range time: nginx->1 server / nginx alone",
                          Ratios(rate["range nginx"], rate["range 1"]));
    vt::bench::PrintRatio("server range time: nginx->2 servers / nginx alone",
                          Ratios(rate["range nginx"], rate["range 2"]));
    return whole ? 0 : 1;
}
