// A statistics file of 100,000 records to a workbook: the time and the peak memory,
// against reading and splitting the file alone.
#include "Files.h"
#include "StatsExport.h"

#include <chrono>
#include <cstdio>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {
constexpr int kRecords = 100000;

std::string Record(int i) {
    char line[512];
    std::snprintf(line, sizeof line,
                  "%-30.30s|%-5.5s|%6.2f|%3d|%5.2f|%6.1f|%-2.2s|%-12.12s|%-12.12s|%-12.12s|%-15.15s|%-14.14s|"
                  "%-20.20s|%-20.20s|%s",
                  ("Student " + std::to_string(i)).c_str(), i % 7 ? "K" : "T!", (i % 11) * 0.75, 10, (i % 11) * 0.075,
                  (i % 11) * 0.375, (i % 11) >= 10 ? "4-" : "3", "09:00:00", "00:10:00", "00:01:00", "09:10:00",
                  "10.12.2026", "PC-01", "student", i % 3 ? "Algebra;Geometry" : "History");
    return line;
}

// Runs `work` in a child process: its seconds and its peak resident memory in MB.
template <class F>
void Measure(F work, double& seconds, double& peakMb) {
    int pipefd[2];
    if (pipe(pipefd) != 0) return;
    pid_t pid = fork();
    if (pid == 0) {
        auto t0 = std::chrono::steady_clock::now();
        work();
        double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        if (write(pipefd[1], &s, sizeof s) != sizeof s) _exit(1);
        _exit(0);
    }
    close(pipefd[1]);
    if (read(pipefd[0], &seconds, sizeof seconds) != sizeof seconds) seconds = -1;
    close(pipefd[0]);
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    peakMb = usage.ru_maxrss / 1024.0;
}
}  // namespace

int main() {
    FormatSettings ru = RussianFormatSettings();
    SetFormatSettings(ru);
    const std::string folder = TempPath();
    const std::string stats = folder + "kv-bench-STAT_KV2.TXT";
    const std::string book = folder + "kv-bench-STAT_KV2.xlsx";
    // Each step in a process of its own, so that each peak is its own.
    double makeS = 0, makeMb = 0, floorS = 0, floorMb = 0, exportS = 0, exportMb = 0;
    Measure(
        [&] {
            FILE* f = std::fopen(NativePath(stats).c_str(), "wb");
            if (!f) _exit(1);
            std::fputs("Header|of|the|file\r\n", f);
            for (int i = 0; i < kRecords; ++i) std::fprintf(f, "%s\r\n", Record(i).c_str());
            std::fclose(f);
        },
        makeS, makeMb);
    Measure(
        [&] {
            std::string bytes;
            ReadFileBytes(stats, bytes);
            size_t fields = 0;
            ForEachStatsLine(bytes, [&](const std::vector<std::string_view>& f) { fields += f.size(); });
            if (fields == 0) _exit(2);
        },
        floorS, floorMb);
    Measure([&] { WriteStatisticsWorkbook(stats, book, TStatsSummaryTexts{}); }, exportS, exportMb);
    std::remove(NativePath(stats).c_str());
    std::remove(NativePath(book).c_str());
    std::printf("stats_export: %d records to a workbook in %.2f s, peak %.0f MB; reading and splitting alone %.3f s, "
                "peak %.0f MB; ratio %.1f (goal: under 3 s and 100 MB)\n",
                kRecords, exportS, exportMb, floorS, floorMb, floorS > 0 ? exportS / floorS : 0.0);
    return exportS >= 0 && exportS < 3 && exportMb < 100 ? 0 : 1;
}
