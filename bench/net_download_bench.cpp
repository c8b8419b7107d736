// Download throughput: HttpDownload against curl on the same nginx over
// loopback, in one run. Prints MB/s of each and the ratio, once without the
// per-chunk pause (the goal: at least 0.8 of curl) and once with the default
// 10 ms pause (which bounds a transfer to about 1 MB/s by design, so it uses
// a smaller file unless told otherwise).
//   net_download_bench [--mb N] [--paused-mb N] [--rounds N]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "net/http_download.h"
#include "platform/socket.h"
#include "platform/system.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

void WriteFile(const fs::path& path, size_t megabytes) {
    std::vector<char> block(1 << 20);
    for (size_t i = 0; i < block.size(); ++i)
        block[i] = static_cast<char>(i * 7 + i / 251);
    std::ofstream out(path, std::ios::binary);
    for (size_t i = 0; i < megabytes; ++i)
        out.write(block.data(), static_cast<std::streamsize>(block.size()));
}

bool WaitForPort(uint16_t port) {
    for (int i = 0; i < 100; ++i) {
        vt::platform::Socket probe = vt::platform::CreateTcpSocket();
        if (vt::platform::TimedConnect(probe, vt::platform::ParseDottedQuad("127.0.0.1"), port,
                                       200) == 0) {
            return true;
        }
        vt::platform::SleepMs(50);
    }
    return false;
}

double Seconds(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// The smaller of two times, where a failed run (negative) poisons the result.
double Best(double a, double b) {
    return a < 0 || b < 0 ? -1 : std::min(a, b);
}

double CurlSeconds(const std::string& url, const fs::path& out) {
    const auto start = Clock::now();
    const std::string command = "curl -s -o '" + out.string() + "' '" + url + "'";
    if (std::system(command.c_str()) != 0)
        return -1;
    return Seconds(start);
}

double OursSeconds(const std::string& url, const fs::path& out, int pauseMs) {
    vt::net::HttpDownload download;
    download.chunkPauseMs = pauseMs;
    const auto start = Clock::now();
    const int result = download.Download(url, out.string(), true);
    const double seconds = Seconds(start);
    return result == vt::net::kDownloaded ? seconds : -1;
}

void Report(const char* label, size_t megabytes, double ours, double curl) {
    if (ours <= 0 || curl <= 0) {
        std::printf("%-22s failed (ours %.3f s, curl %.3f s)\n", label, ours, curl);
        return;
    }
    const double oursRate = static_cast<double>(megabytes) / ours;
    const double curlRate = static_cast<double>(megabytes) / curl;
    std::printf("%-22s %5zu MB  HttpDownload %8.1f MB/s  curl %8.1f MB/s  ratio %.3f\n", label,
                megabytes, oursRate, curlRate, oursRate / curlRate);
}

}  // namespace

int main(int argc, char** argv) {
    size_t megabytes = 200;
    size_t pausedMegabytes = 20;
    int rounds = 3;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string name = argv[i];
        if (name == "--mb")
            megabytes = std::strtoul(argv[i + 1], nullptr, 10);
        if (name == "--paused-mb")
            pausedMegabytes = std::strtoul(argv[i + 1], nullptr, 10);
    }

    const fs::path dir = fs::temp_directory_path() /
                         ("tessel-net-bench-" + std::to_string(vt::platform::TickCountMs()));
    fs::create_directories(dir / "docroot");
    fs::create_directories(dir / "temp");
    WriteFile(dir / "docroot" / "big.bin", megabytes);
    WriteFile(dir / "docroot" / "paused.bin", pausedMegabytes);

    uint16_t port = 0;
    { vt::platform::Socket probe = vt::platform::ListenLoopback(0, port); }
    std::ofstream(dir / "nginx.conf")
        << "daemon off; master_process off; worker_processes 1; pid "
        << (dir / "nginx.pid").string() << ";\nerror_log " << (dir / "error.log").string()
        << ";\nevents { worker_connections 64; }\n"
        << "http { access_log off; sendfile on; client_body_temp_path " << (dir / "temp").string()
        << "; proxy_temp_path " << (dir / "temp").string() << "; fastcgi_temp_path "
        << (dir / "temp").string() << "; uwsgi_temp_path " << (dir / "temp").string()
        << "; scgi_temp_path " << (dir / "temp").string()
        << ";\n server { listen 127.0.0.1:" << port << "; root " << (dir / "docroot").string()
        << "; } }\n";
    const std::string start = "nginx -c '" + (dir / "nginx.conf").string() + "' -p '" +
                              dir.string() + "' & echo $! > '" + (dir / "nginx.job").string() + "'";
    std::system(start.c_str());
    if (!WaitForPort(port)) {
        std::fprintf(stderr, "nginx did not start\n");
        fs::remove_all(dir);
        return 1;
    }

    const std::string base = "http://127.0.0.1:" + std::to_string(port);
    // Warm the page cache once, then take the best of a few alternating
    // rounds: the machine may be busy with other work.
    CurlSeconds(base + "/big.bin", dir / "warm.bin");
    double curlFull = 1e9, oursFull = 1e9;
    for (int round = 0; round < rounds; ++round) {
        curlFull = Best(curlFull, CurlSeconds(base + "/big.bin", dir / "curl.bin"));
        oursFull = Best(oursFull, OursSeconds(base + "/big.bin", dir / "ours.bin", 0));
    }
    Report("pause 0 ms", megabytes, oursFull, curlFull);
    const double curlPaused = CurlSeconds(base + "/paused.bin", dir / "curl.bin");
    const double oursPaused = OursSeconds(base + "/paused.bin", dir / "ours.bin", 10);
    Report("pause 10 ms (default)", pausedMegabytes, oursPaused, curlPaused);

    const std::string stop = "kill $(cat '" + (dir / "nginx.job").string() + "') 2>/dev/null";
    std::system(stop.c_str());
    vt::platform::SleepMs(200);
    fs::remove_all(dir);
    return 0;
}
