#pragma once
// Hostile sizes: inputs far beyond anything a school writes by hand, each read by
// the code that reads such files in the program. Every case runs in a child process
// of its own, so that its peak memory is its own.
#include <string>
#include <vector>

struct HostileCase {
    const char* name;
    const char* what;
    double memoryFactor;  // peak memory allowed, in multiples of the input
};

// Every case, in the order of the table.
const std::vector<HostileCase>& HostileCases();

struct HostileResult {
    bool ok = false;           // the child ended normally and the case held
    std::string failure;       // why not
    double inputMB = 0;        // size of the input (for a compiled file: of its content)
    double peakMB = 0;         // growth of the child's peak resident memory
    double seconds = 0;        // time of the operation alone
};

// Runs case `index` at `scale` (1: the full size; 0.25: a quarter) in a child process.
HostileResult RunHostileCase(size_t index, double scale);
