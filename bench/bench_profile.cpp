// Reads one key 10,000 times from a settings file of 2,000 keys, and compares the
// time of one read with that of one full parse of the file (a read with nothing kept).
#include "Files.h"
#include "Profile.h"

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>

int main() {
    using Clock = std::chrono::steady_clock;
    const std::string path = TempPath() + "kv-bench-profile.ini";
    {
        std::ofstream out(NativePath(path), std::ios::binary);
        out << "[Options]\r\n";
        for (int i = 0; i < 2000; ++i) out << "Key" << i << "=Value number " << i << "\r\n";
    }
    TIniFile ini(path);
    // A settings file is read long after it was written; a file changed within the
    // last moments is read afresh on purpose.
    std::this_thread::sleep_for(std::chrono::milliseconds(200));

    // The floor: one full parse, measured as the best of several cold reads.
    double parse = 1e9;
    for (int r = 0; r < 20; ++r) {
        ClearProfileCache();
        auto t0 = Clock::now();
        volatile size_t n = ini.ReadString("Options", "Key1999", "").size();
        (void)n;
        parse = std::min(parse, std::chrono::duration<double, std::micro>(Clock::now() - t0).count());
    }

    const int reads = 10000;
    auto t0 = Clock::now();
    size_t total = 0;
    for (int i = 0; i < reads; ++i) total += ini.ReadString("Options", "Key1999", "").size();
    double perRead = std::chrono::duration<double, std::micro>(Clock::now() - t0).count() / reads;

    std::remove(NativePath(path).c_str());
    std::printf("profile: full parse %.1f us, one read %.2f us, read/parse ratio %.3f (%zu bytes read)\n", parse,
                perRead, perRead / parse, total);
    return 0;
}
