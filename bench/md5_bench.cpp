// MD5 throughput of the engine's file digest: md5_bench FILE [RUNS]
// Reads FILE through GetFileMD5 RUNS times (default 5) and prints the digest and the best and median
// throughput in MB/s (10^6 bytes per second). Warm the page cache first (one run does) to measure the
// digest rather than the disk. The CPU-time figure (process CPU time: the digest reads on a helper
// thread) stays meaningful on a busy machine where the wall-clock figure does not.

#include "engine/MD5.h"
#include "engine/RsFileUtils.h"

#include <QString>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <sys/stat.h>
#include <time.h>

namespace {

double processCpuSeconds()
{
    timespec ts;
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FILE [RUNS]\n", argv[0]);
        return 2;
    }
    const QString file = QString::fromLocal8Bit(argv[1]);
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    struct stat st;
    if (::stat(argv[1], &st) != 0) {
        std::perror(argv[1]);
        return 1;
    }
    std::vector<double> rates;
    std::vector<double> cpuRates;
    QString hex;
    try {
        GetFileMD5(file, nullptr); // warm the page cache
        for (int i = 0; i < runs; ++i) {
            const auto start = std::chrono::steady_clock::now();
            const double cpuStart = processCpuSeconds();
            const TMD5Digest digest = GetFileMD5(file, nullptr);
            const double cpu = processCpuSeconds() - cpuStart;
            const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            hex = MD5DigestToHex(digest);
            rates.push_back(double(st.st_size) / 1e6 / std::max(seconds, 1e-9));
            cpuRates.push_back(double(st.st_size) / 1e6 / std::max(cpu, 1e-9));
        }
    } catch (const ERsError& e) {
        std::fprintf(stderr, "%s %s\n", e.what(), LastErrorText().toUtf8().constData());
        return 1;
    }
    std::sort(rates.begin(), rates.end());
    std::sort(cpuRates.begin(), cpuRates.end());
    std::printf("%s  %s\n", hex.toLower().toUtf8().constData(), argv[1]);
    std::printf("size %lld bytes, %d runs: best %.1f MB/s, median %.1f MB/s (per CPU second: best %.1f MB/s)\n",
                static_cast<long long>(st.st_size), runs, rates.back(), rates[rates.size() / 2], cpuRates.back());
    return 0;
}
