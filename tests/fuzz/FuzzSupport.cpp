#include "FuzzSupport.h"

#include "Files.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <unistd.h>

namespace {
std::string folder;
void RemoveFolder() {
    std::error_code ec;
    if (!folder.empty()) std::filesystem::remove_all(folder, ec);
}
}  // namespace

const std::string& FuzzFolder() {
    if (folder.empty()) {
        std::error_code ec;
        std::string base = std::filesystem::is_directory("/dev/shm", ec) && ::access("/dev/shm", W_OK) == 0
                               ? std::string("/dev/shm/")
                               : TempPath();
        std::string tmpl = base + "kvfuzz-XXXXXX";
        if (!::mkdtemp(tmpl.data())) {
            std::perror("mkdtemp");
            std::abort();
        }
        folder = tmpl + "/";
        std::atexit(RemoveFolder);
    }
    return folder;
}

void FuzzFail(const char* what, const std::string& detail) {
    std::fprintf(stderr, "broken promise: %s\n%s\n", what, detail.c_str());
    std::abort();
}

void WriteFuzzFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), std::streamsize(bytes.size()));
    if (!out) FuzzFail("scratch file written", path);
}

std::string ReadFuzzFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
