// Hostile sizes: the figures behind tests/hostile. For each input, its size, the
// growth of peak memory while it is handled (and its ratio to the input), the time,
// and the time of a quarter of the input (a ratio near 4 is linear).
#include "HostileCases.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    // An argument picks the cases whose names contain it.
    const std::string only = argc > 1 ? argv[1] : "";
    std::printf("%-16s %10s %10s %7s %9s %9s %6s\n", "case", "input MB", "peak MB", "x input", "s", "s (1/4)", "ratio");
    int failed = 0;
    for (size_t i = 0; i < HostileCases().size(); ++i) {
        const HostileCase& c = HostileCases()[i];
        if (std::string(c.name).find(only) == std::string::npos) continue;
        HostileResult quarter = RunHostileCase(i, 0.25);
        HostileResult full = RunHostileCase(i, 1.0);
        if (!full.ok || !quarter.ok) {
            std::printf("%-16s FAILED: %s\n", c.name, (full.ok ? quarter : full).failure.c_str());
            ++failed;
            continue;
        }
        std::printf("%-16s %10.1f %10.1f %7.2f %9.3f %9.3f %6.2f   %s\n", c.name, full.inputMB, full.peakMB,
                    full.peakMB / full.inputMB, full.seconds, quarter.seconds,
                    quarter.seconds > 0 ? full.seconds / quarter.seconds : 0.0, c.what);
    }
    return failed ? 1 : 0;
}
