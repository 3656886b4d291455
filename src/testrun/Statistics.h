#pragma once
// The statistics file: one header line, then one record per finished test run.
// Many copies of the program may append to one file on a shared drive at once.
#include <string>

inline constexpr const char* StatFileName = "STAT_KV2.TXT";

// One attempt: takes an exclusive lock on the file, writes the header when the file
// is missing or empty, appends `record` and CR LF in one write, releases the lock.
// A failed attempt cuts the file back to the length it had, then raises Error. A last
// line without its line end, left by a writer killed in mid-record, is cut first.
void AppendStatRecord(const std::string& path, const std::string& header, const std::string& record);
