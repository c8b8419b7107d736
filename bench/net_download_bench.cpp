// Download throughput: HttpDownload against libcurl on the same nginx over
// loopback, in one run. Both run in this process and write the file to disk,
// timed from the call to its return; the two take turns. Prints MB/s of each
// and the ratio of the times, the median of the runs (default 5) with their
// spread, once without the per-chunk pause (200 MB; the goal: at least 0.8
// of curl's throughput, so at most 1.25 times its time) and once with the
// default 10 ms pause (which bounds a transfer to about 1 MB/s by design, so
// it uses a file of 8 MB unless told otherwise; no goal).
//   net_download_bench [--runs N] [--mb N] [--paused-mb N]   (--rounds: --runs)
#include <curl/curl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench_stats.h"
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

size_t WriteToFile(char* data, size_t size, size_t count, void* file) {
    return std::fwrite(data, size, count, static_cast<FILE*>(file)) * size;
}

// libcurl's transfer of url into out, in this process as the client's is;
// -1 when it failed.
double CurlSeconds(const std::string& url, const fs::path& out) {
    const auto start = Clock::now();
    FILE* file = std::fopen(out.c_str(), "wb");
    if (file == nullptr)
        return -1;
    CURL* curl = curl_easy_init();
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, WriteToFile);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, file);
    curl_easy_setopt(curl, CURLOPT_FAILONERROR, 1L);
    // libcurl's largest receive buffer: its 16 KB default would handicap it.
    curl_easy_setopt(curl, CURLOPT_BUFFERSIZE, 512L * 1024);
    const CURLcode result = curl_easy_perform(curl);
    curl_easy_cleanup(curl);
    const bool closed = std::fclose(file) == 0;
    const double seconds = Seconds(start);
    return result == CURLE_OK && closed ? seconds : -1;
}

double OursSeconds(const std::string& url, const fs::path& out, int pauseMs) {
    vt::net::HttpDownload download;
    download.chunkPauseMs = pauseMs;
    const auto start = Clock::now();
    const int result = download.Download(url, out.string(), true);
    const double seconds = Seconds(start);
    return result == vt::net::kDownloaded ? seconds : -1;
}

// Throughputs and time ratios (ours / curl) of the runs; a failed run is
// reported and left out. False when a run failed.
bool Report(const std::string& label, size_t megabytes, const std::vector<double>& ours,
            const std::vector<double>& curl, double goal) {
    std::vector<double> oursRate, curlRate;
    bool whole = true;
    for (size_t i = 0; i < ours.size() && i < curl.size(); ++i) {
        if (ours[i] <= 0 || curl[i] <= 0) {
            std::printf("%s: run %zu failed (ours %.3f s, curl %.3f s)\n", label.c_str(), i,
                        ours[i], curl[i]);
            whole = false;
            continue;
        }
        oursRate.push_back(static_cast<double>(megabytes) / ours[i]);
        curlRate.push_back(static_cast<double>(megabytes) / curl[i]);
    }
    const vt::bench::Spread a = vt::bench::SpreadOf(oursRate), b = vt::bench::SpreadOf(curlRate);
    std::printf("%s, %zu MB, median of %zu runs [min-max]\n", label.c_str(), megabytes,
                oursRate.size());
    std::printf("  HttpDownload %8.1f MB/s [%.1f-%.1f]\n", a.median, a.min, a.max);
    std::printf("  libcurl      %8.1f MB/s [%.1f-%.1f]\n", b.median, b.min, b.max);
    // At least 0.8 of curl's throughput is at most 1.25 times its time.
    vt::bench::PrintRatio("download " + label + ": time / libcurl time",
                          vt::bench::Ratios(curlRate, oursRate), goal);
    return whole;
}

}  // namespace

int main(int argc, char** argv) {
    size_t megabytes = 200;
    size_t pausedMegabytes = 8;
    const int runs = vt::bench::RunsOption(argc, argv, vt::bench::kDefaultRuns, "--rounds");
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string name = argv[i];
        if (name == "--mb")
            megabytes = std::strtoul(argv[i + 1], nullptr, 10);
        else if (name == "--paused-mb")
            pausedMegabytes = std::strtoul(argv[i + 1], nullptr, 10);
    }
    curl_global_init(CURL_GLOBAL_DEFAULT);

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
    // Warm the page cache once, then alternate: a busy machine slows both alike.
    CurlSeconds(base + "/big.bin", dir / "warm.bin");
    std::vector<double> curlFull, oursFull, curlPaused, oursPaused;
    for (int run = 0; run < runs; ++run) {
        curlFull.push_back(CurlSeconds(base + "/big.bin", dir / "curl.bin"));
        oursFull.push_back(OursSeconds(base + "/big.bin", dir / "ours.bin", 0));
    }
    bool whole = Report("pause 0 ms", megabytes, oursFull, curlFull, 1 / 0.8);
    // The paused transfer is slow by design: its smaller file keeps the runs short.
    for (int run = 0; run < runs; ++run) {
        curlPaused.push_back(CurlSeconds(base + "/paused.bin", dir / "curl.bin"));
        oursPaused.push_back(OursSeconds(base + "/paused.bin", dir / "ours.bin", 10));
    }
    whole = Report("pause 10 ms (default)", pausedMegabytes, oursPaused, curlPaused, 0) && whole;
    curl_global_cleanup();

    const std::string stop = "kill $(cat '" + (dir / "nginx.job").string() + "') 2>/dev/null";
    std::system(stop.c_str());
    vt::platform::SleepMs(200);
    fs::remove_all(dir);
    return whole ? 0 : 1;
}
