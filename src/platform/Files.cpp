#include "Files.h"

#include "CodePage.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QSysInfo>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#ifndef _WIN32
#include <pwd.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {
std::string& ProgramFileOverride() {
    static std::string value;
    return value;
}

fs::path ToFsPath(std::string_view ansi) { return fs::path(NativePath(ansi)); }
}  // namespace

std::string NativePath(std::string_view ansiPath) {
    QByteArray n = QFile::encodeName(AnsiToQString(ansiPath));
    return std::string(n.constData(), size_t(n.size()));
}

std::string FromNativePath(std::string_view nativePath) {
    return QStringToAnsi(QFile::decodeName(QByteArray(nativePath.data(), qsizetype(nativePath.size()))));
}

std::string ProgramFileName() {
    if (!ProgramFileOverride().empty()) return ProgramFileOverride();
    std::error_code ec;
#ifdef _WIN32
    // The Windows build asks GetModuleFileName through Qt.
    fs::path p;
#else
    fs::path p = fs::canonical("/proc/self/exe", ec);
#endif
    if (ec || p.empty()) return {};
    return FromNativePath(p.string());
}

void SetProgramFileName(const std::string& path) { ProgramFileOverride() = path; }

std::string TempPath() {
    return AddPathDelimiter(QStringToAnsi(QDir::toNativeSeparators(QDir::tempPath())));
}

std::string AddPathDelimiter(const std::string& path) {
    if (path.empty() || path.back() == PathDelim) return path;
    return path + PathDelim;
}

std::string ExpandFileName(const std::string& path) {
    if (path.empty()) return path;
    fs::path p = ToFsPath(path);
    if (p.is_relative()) p = fs::current_path() / p;
    return FromNativePath(p.lexically_normal().string());
}

std::string ExtractFilePath(const std::string& path) {
    size_t k = path.find_last_of(PathDelim);
    return k == std::string::npos ? std::string() : path.substr(0, k + 1);
}

std::string ExtractFileName(const std::string& path) {
    size_t k = path.find_last_of(PathDelim);
    return k == std::string::npos ? path : path.substr(k + 1);
}

std::string ExtractFileExt(const std::string& path) {
    std::string name = ExtractFileName(path);
    size_t dot = name.find_last_of('.');
    return dot == std::string::npos ? std::string() : name.substr(dot);
}

std::string ChangeFileExt(const std::string& path, const std::string& ext) {
    size_t nameStart = path.find_last_of(PathDelim);
    nameStart = nameStart == std::string::npos ? 0 : nameStart + 1;
    size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || dot < nameStart) return path + ext;
    return path.substr(0, dot) + ext;
}

std::string FindFileNoCase(const std::string& path) {
    std::error_code ec;
    if (fs::is_regular_file(ToFsPath(path), ec)) return path;
    std::string folder = ExtractFilePath(path);
    std::string name = ExtractFileName(path);
    if (name.empty()) return {};
    fs::path dir = folder.empty() ? fs::current_path(ec) : ToFsPath(folder);
    std::string found;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        std::string entry = FromNativePath(it->path().filename().string());
        if (SameTextAnsi(entry, name) && it->is_regular_file(ec)) {
            // Among several spellings the first in byte order wins, so the choice is stable.
            if (found.empty() || entry < found) found = entry;
        }
    }
    return found.empty() ? std::string() : folder + found;
}

bool FileExists(const std::string& path) { return !FindFileNoCase(path).empty(); }

bool DirectoryExists(const std::string& path) {
    std::error_code ec;
    return !path.empty() && fs::is_directory(ToFsPath(path), ec);
}

bool DeleteFileAnsi(const std::string& path) {
    std::string real = FindFileNoCase(path);
    std::error_code ec;
    return !real.empty() && fs::remove(ToFsPath(real), ec);
}

bool SetCurrentDir(const std::string& path) {
    std::error_code ec;
    fs::current_path(ToFsPath(path), ec);
    return !ec;
}

std::string GetCurrentDir() {
    std::error_code ec;
    return FromNativePath(fs::current_path(ec).string());
}

bool MatchesMask(std::string_view name, std::string_view mask) {
    // Iterative wildcard match with one back-track point.
    size_t n = 0, m = 0, star = std::string_view::npos, mark = 0;
    while (n < name.size()) {
        if (m < mask.size() && (mask[m] == '?' || AnsiUpperChar(mask[m]) == AnsiUpperChar(name[n]))) {
            ++n;
            ++m;
        } else if (m < mask.size() && mask[m] == '*') {
            star = m++;
            mark = n;
        } else if (star != std::string_view::npos) {
            m = star + 1;
            n = ++mark;
        } else {
            return false;
        }
    }
    while (m < mask.size() && mask[m] == '*') ++m;
    return m == mask.size();
}

std::vector<std::string> ScanFolder(const std::string& folder, const std::string& mask) {
    std::vector<std::string> names;
    std::error_code ec;
    fs::path dir = folder.empty() ? fs::current_path(ec) : ToFsPath(folder);
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        std::string native = it->path().filename().string();
        if (native.empty() || native[0] == '.') continue;
        std::error_code fec;
        if (!it->is_regular_file(fec)) continue;
        std::string name = FromNativePath(native);
        if (MatchesMask(name, mask)) names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

bool ReadFileBytes(const std::string& path, std::string& bytes) {
    std::ifstream in(ToFsPath(path), std::ios::binary);
    if (!in) return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

std::string LanguageAbbreviation() {
    QLocale loc = QLocale::system();
    if (loc.language() == QLocale::C) return {};
    if (loc.language() == QLocale::English && loc.territory() == QLocale::UnitedStates) return "ENU";
    return QStringToAnsi(QLocale::languageToCode(loc.language(), QLocale::ISO639Part2).toUpper());
}

std::string ComputerName() { return QStringToAnsi(QSysInfo::machineHostName()); }

std::string UserName() {
#ifdef _WIN32
    return QStringToAnsi(qEnvironmentVariable("USERNAME"));
#else
    if (const passwd* pw = getpwuid(geteuid())) return FromNativePath(pw->pw_name);
    return QStringToAnsi(qEnvironmentVariable("USER"));
#endif
}

uint32_t TickCount() {
    using namespace std::chrono;
    return static_cast<uint32_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

std::string FindLanguageFileName() {
    const std::string program = ProgramFileName();
    std::vector<std::string> candidates{ChangeFileExt(program, ".lng")};
    std::string abbrev = "." + LanguageAbbreviation();
    if (abbrev.size() > 1) candidates.push_back(ChangeFileExt(program, abbrev));
    if (abbrev.size() >= 3) candidates.push_back(ChangeFileExt(program, abbrev.substr(0, 3)));
    for (const std::string& c : candidates) {
        std::string real = FindFileNoCase(c);
        if (!real.empty()) return real;
    }
    return {};
}
