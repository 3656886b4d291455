// Appends per second to one statistics file: one writer alone, then 8 writer
// processes at once, each taking the file's lock for every record.
#include "Files.h"
#include "Statistics.h"

#include <chrono>
#include <cstdio>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {
const std::string kRecord = std::string(30, 'N') + "|K    |  7,50| 10| 0,75|   3,8|4-|09:00:00    |00:10:00    |" +
                            "00:01:00    |09:10:00       |10.12.2026    |PC-01               |student             |Topic";

double Run(const std::string& path, int writers, int each) {
    std::remove(NativePath(path).c_str());
    auto t0 = std::chrono::steady_clock::now();
    std::vector<pid_t> pids;
    for (int w = 0; w < writers; ++w) {
        pid_t pid = fork();
        if (pid == 0) {
            for (int i = 0; i < each; ++i) AppendStatRecord(path, "HEADER", kRecord);
            _exit(0);
        }
        pids.push_back(pid);
    }
    for (pid_t p : pids) waitpid(p, nullptr, 0);
    double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    return writers * each / s;
}
}  // namespace

int main() {
    const std::string path = TempPath() + "kv-bench-STAT_KV2.TXT";
    const int total = 1600;
    double one = Run(path, 1, total);
    double eight = Run(path, 8, total / 8);
    std::remove(NativePath(path).c_str());
    std::printf("stats: 1 writer %.0f appends/s, 8 writers %.0f appends/s in all, ratio 8/1 %.2f\n", one, eight,
                eight / one);
    return 0;
}
