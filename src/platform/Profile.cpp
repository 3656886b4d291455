#include "Profile.h"

#include "CodePage.h"
#include "Error.h"
#include "Files.h"
#include "Format.h"

#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cerrno>
#include <ctime>
#include <cstdio>
#include <fcntl.h>
#include <list>
#include <memory>
#include <atomic>
#include <mutex>
#include <unordered_map>

#ifdef _WIN32
#include <io.h>
#include <windows.h>

#include <QString>
#else
#include <unistd.h>
#endif

namespace {

std::string_view Trim(std::string_view s) { return TrimBlanks(s); }

// One line of the file, its line end kept apart so that it is written back unchanged.
struct Line {
    std::string text;
    std::string eol;
};

struct Section {
    size_t header = 0;                              // index of the "[name]" line
    size_t end = 0;                                 // one past its last line
    std::vector<size_t> keyLines;                   // lines with "=", in file order
    std::unordered_map<std::string, size_t> first;  // upper-cased key -> first line
};

// A parsed file: its lines, and an index of sections and keys.
struct Parsed {
    std::vector<Line> lines;
    std::vector<Section> sections;
    std::unordered_map<std::string, size_t> sectionIndex;  // upper-cased name -> first section
    std::string defaultEol = "\r\n";

    void Build() {
        sections.clear();
        sectionIndex.clear();
        for (size_t i = 0; i < lines.size(); ++i) {
            std::string_view t = Trim(lines[i].text);
            if (!t.empty() && t[0] == '[') {
                if (!sections.empty()) sections.back().end = i;
                size_t close = t.find(']');
                std::string name(Trim(t.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1)));
                sections.push_back(Section{i, lines.size(), {}, {}});
                sectionIndex.emplace(AnsiUpperCase(name), sections.size() - 1);
                continue;
            }
            if (sections.empty() || t.empty() || t[0] == ';') continue;
            size_t eq = t.find('=');
            if (eq == std::string_view::npos) continue;
            Section& s = sections.back();
            s.keyLines.push_back(i);
            s.first.emplace(AnsiUpperCase(Trim(t.substr(0, eq))), i);
        }
        if (!sections.empty()) sections.back().end = lines.size();
    }

    const Section* Find(const std::string& section) const {
        auto it = sectionIndex.find(AnsiUpperCase(Trim(section)));
        return it == sectionIndex.end() ? nullptr : &sections[it->second];
    }

    // Value of `line` as read: trimmed, one pair of enclosing quotes removed.
    std::string Value(size_t line) const {
        std::string_view t = Trim(lines[line].text);
        std::string_view v = Trim(t.substr(t.find('=') + 1));
        if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
            v = v.substr(1, v.size() - 2);
        if (v.size() > TIniFile::MaxValueLength) v = v.substr(0, TIniFile::MaxValueLength);
        return std::string(v);
    }

    std::string Key(size_t line) const {
        std::string_view t = Trim(lines[line].text);
        return std::string(Trim(t.substr(0, t.find('='))));
    }

    std::string Serialize() const {
        std::string out;
        for (const Line& l : lines) {
            out += l.text;
            out += l.eol;
        }
        return out;
    }
};

std::shared_ptr<Parsed> Parse(const std::string& bytes) {
    auto p = std::make_shared<Parsed>();
    size_t i = 0;
    bool eolSeen = false;
    while (i < bytes.size()) {
        size_t e = bytes.find_first_of("\r\n", i);
        Line l;
        if (e == std::string::npos) {
            l.text = bytes.substr(i);
            i = bytes.size();
        } else {
            l.text = bytes.substr(i, e - i);
            size_t n = (bytes[e] == '\r' && e + 1 < bytes.size() && bytes[e + 1] == '\n') ? 2 : 1;
            l.eol = bytes.substr(e, n);
            if (!eolSeen) {
                p->defaultEol = l.eol;
                eolSeen = true;
            }
            i = e + n;
        }
        p->lines.push_back(std::move(l));
    }
    p->Build();
    return p;
}

// Identity of a file on disk; a change of any part means it must be read afresh.
struct Stamp {
    bool exists = false;
    unsigned long long dev = 0, ino = 0;
    long long size = 0, mtimeNs = 0, ctimeNs = 0;
    bool operator==(const Stamp&) const = default;
};

#ifdef _WIN32
std::wstring Wide(const std::string& native) { return QString::fromUtf8(native.c_str()).toStdWString(); }

Stamp StampOf(const std::string& native) {
    Stamp s;
    struct _stat64 st {};
    if (::_wstat64(Wide(native).c_str(), &st) != 0 || !(st.st_mode & _S_IFREG)) return s;
    s.exists = true;
    s.dev = st.st_dev;
    s.size = st.st_size;
    s.mtimeNs = static_cast<long long>(st.st_mtime) * 1000000000LL;
    s.ctimeNs = static_cast<long long>(st.st_ctime) * 1000000000LL;
    return s;
}

FILE* OpenNative(const std::string& native, const wchar_t* mode) { return ::_wfopen(Wide(native).c_str(), mode); }
#else
Stamp StampOf(const std::string& native) {
    Stamp s;
    struct stat st {};
    if (::stat(native.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return s;
    s.exists = true;
    s.dev = st.st_dev;
    s.ino = st.st_ino;
    s.size = st.st_size;
#ifdef __linux__
    s.mtimeNs = st.st_mtim.tv_sec * 1000000000LL + st.st_mtim.tv_nsec;
    s.ctimeNs = st.st_ctim.tv_sec * 1000000000LL + st.st_ctim.tv_nsec;
#else
    s.mtimeNs = static_cast<long long>(st.st_mtime) * 1000000000LL;
    s.ctimeNs = static_cast<long long>(st.st_ctime) * 1000000000LL;
#endif
    return s;
}

FILE* OpenNative(const std::string& native, const char* mode) { return std::fopen(native.c_str(), mode); }
#endif

// Parsed files kept between reads, keyed by path and checked against the file's stamp.
class Cache {
public:
    std::shared_ptr<const Parsed> Get(const std::string& native) {
        Stamp st = StampOf(native);
        if (!st.exists) return nullptr;
        {
            std::lock_guard lock(mutex_);
            auto it = entries_.find(native);
            if (it != entries_.end() && it->second.stamp == st && !Racy(it->second)) return it->second.parsed;
        }
        std::string bytes;
        if (!ReadNative(native, bytes)) return nullptr;
        auto parsed = Parse(bytes);
        // Keep it only when the file did not change while it was read.
        if (StampOf(native) == st) Put(native, st, parsed);
        return parsed;
    }

    void Put(const std::string& native, const Stamp& st, std::shared_ptr<const Parsed> parsed) {
        std::lock_guard lock(mutex_);
        if (entries_.size() >= kMaxEntries && !entries_.count(native)) entries_.clear();
        entries_[native] = Entry{st, std::move(parsed), NowNs()};
    }

    void Clear() {
        std::lock_guard lock(mutex_);
        entries_.clear();
    }

    static bool ReadNative(const std::string& native, std::string& bytes) {
#ifdef _WIN32
        FILE* f = OpenNative(native, L"rb");
#else
        FILE* f = OpenNative(native, "rb");
#endif
        if (!f) return false;
        bytes.clear();
        char buf[65536];
        size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) bytes.append(buf, n);
        bool ok = !std::ferror(f);
        std::fclose(f);
        return ok;
    }

private:
    struct Entry {
        Stamp stamp;
        std::shared_ptr<const Parsed> parsed;
        long long readNs;  // wall-clock time when the file was read
    };
    // File times move in coarse steps: a file changed again within the step of its
    // last change keeps its stamp. An entry read that close to the file's change is
    // not trusted; the file is read again until the change lies safely behind.
    static constexpr long long kTimeStepNs = 100'000'000;
    static long long NowNs() {
        using namespace std::chrono;
        return duration_cast<nanoseconds>(system_clock::now().time_since_epoch()).count();
    }
    static bool Racy(const Entry& e) {
        return std::max(e.stamp.mtimeNs, e.stamp.ctimeNs) + kTimeStepNs >= e.readNs;
    }
    static constexpr size_t kMaxEntries = 64;
    std::mutex mutex_;
    std::unordered_map<std::string, Entry> entries_;
};

Cache& TheCache() {
    static Cache cache;
    return cache;
}

[[noreturn]] void RaiseWrite(const std::string& fileName) { throw Error("Unable to write to " + fileName); }

// Writes the whole file anew through a temporary file in the same folder.
#ifdef _WIN32
void Replace(const std::string& fileName, const std::string& native, const std::string& bytes) {
    const std::wstring target = Wide(native);
    const std::wstring tmp = target + L".~" + std::to_wstring(::GetCurrentProcessId()) + L".tmp";
    FILE* f = ::_wfopen(tmp.c_str(), L"wb");
    if (!f) RaiseWrite(fileName);
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size() && std::fflush(f) == 0 &&
              ::_commit(::_fileno(f)) == 0;
    ok = std::fclose(f) == 0 && ok;
    if (!ok || !::MoveFileExW(tmp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        ::_wremove(tmp.c_str());
        RaiseWrite(fileName);
    }
}
#else
void Replace(const std::string& fileName, const std::string& native, const std::string& bytes) {
    std::string tmp = native + ".~" + std::to_string(::getpid()) + ".tmp";
    mode_t mode = 0644;
    struct stat st {};
    if (::stat(native.c_str(), &st) == 0) mode = st.st_mode & 07777;
    int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, mode);
    if (fd < 0) RaiseWrite(fileName);
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t w = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (w < 0 && errno == EINTR) continue;
        if (w <= 0) break;
        done += size_t(w);
    }
    bool ok = done == bytes.size() && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    if (!ok || std::rename(tmp.c_str(), native.c_str()) != 0) {
        ::unlink(tmp.c_str());
        RaiseWrite(fileName);
    }
}
#endif

// The change of one key in the parsed file; false when the line is already so.
bool ApplyWrite(Parsed& p, const std::string& section, const std::string& key, const std::string& value) {
    const std::string_view name = Trim(key);
    std::string newLine = std::string(name) + "=" + value;
    // A key the index would read back as itself: the index is kept up to date
    // in place where lines are only added at the end; otherwise it is rebuilt.
    const bool plainKey = !name.empty() && name.find('=') == std::string_view::npos && name[0] != '[' && name[0] != ';';
    auto found = p.sectionIndex.find(AnsiUpperCase(Trim(section)));
    if (found != p.sectionIndex.end()) {
        Section& s = p.sections[found->second];
        auto it = s.first.find(AnsiUpperCase(name));
        if (it != s.first.end()) {
            if (p.lines[it->second].text == newLine) return false;
            p.lines[it->second].text = newLine;
            return true;
        }
        // After the section's last line that is not blank.
        size_t at = s.end;
        while (at > s.header + 1 && Trim(p.lines[at - 1].text).empty()) --at;
        if (p.lines[at - 1].eol.empty()) p.lines[at - 1].eol = p.defaultEol;
        p.lines.insert(p.lines.begin() + long(at), Line{std::move(newLine), p.defaultEol});
        if (plainKey && at + 1 == p.lines.size()) {
            s.end = p.lines.size();
            s.keyLines.push_back(at);
            s.first.emplace(AnsiUpperCase(name), at);
        } else {
            p.Build();
        }
        return true;
    }
    if (!p.lines.empty() && p.lines.back().eol.empty()) p.lines.back().eol = p.defaultEol;
    const size_t header = p.lines.size();
    p.lines.push_back(Line{"[" + std::string(Trim(section)) + "]", p.defaultEol});
    p.lines.push_back(Line{std::move(newLine), p.defaultEol});
    const std::string_view title = Trim(section);
    if (plainKey && title.find(']') == std::string_view::npos) {
        if (!p.sections.empty()) p.sections.back().end = header;
        p.sections.push_back(Section{header, p.lines.size(), {header + 1}, {{AnsiUpperCase(name), header + 1}}});
        p.sectionIndex.emplace(AnsiUpperCase(title), p.sections.size() - 1);
    } else {
        p.Build();
    }
    return true;
}

// The removal of every section of that name; false when there is none.
bool ApplyErase(Parsed& f, const std::string& section) {
    bool changed = false;
    while (const Section* s = f.Find(section)) {
        f.lines.erase(f.lines.begin() + long(s->header), f.lines.begin() + long(s->end));
        f.Build();
        changed = true;
    }
    return changed;
}

// Reads the file for a change: a missing file is an empty one; an unreadable one fails.
std::shared_ptr<Parsed> LoadForChange(const std::string& fileName, const std::string& native) {
    std::string bytes;
    if (StampOf(native).exists && !Cache::ReadNative(native, bytes)) RaiseWrite(fileName);
    return Parse(bytes);
}

std::atomic<uint64_t> replacements{0};

void Store(const std::string& fileName, const std::string& native, const std::shared_ptr<Parsed>& p) {
    Replace(fileName, native, p->Serialize());
    ++replacements;
    p->Build();
    Stamp st = StampOf(native);
    if (st.exists) TheCache().Put(native, st, p);
}

// A path in the program's folders names its file without regard to case.
std::string ExistingOrGiven(const std::string& fileName) {
    std::string real = FindFileNoCase(fileName);
    return NativePath(real.empty() ? fileName : real);
}

}  // namespace

void ClearProfileCache() { TheCache().Clear(); }

std::string TIniFile::ReadString(const std::string& section, const std::string& key, const std::string& def) const {
    auto p = TheCache().Get(ExistingOrGiven(fileName_));
    if (!p) return def;
    const Section* s = p->Find(section);
    if (!s) return def;
    auto it = s->first.find(AnsiUpperCase(Trim(key)));
    if (it == s->first.end()) return def;
    return p->Value(it->second);
}

int TIniFile::ReadInteger(const std::string& section, const std::string& key, int def) const {
    int v;
    return TryStrToInt(ReadString(section, key, ""), v) ? v : def;
}

bool TIniFile::ReadBool(const std::string& section, const std::string& key, bool def) const {
    return ReadInteger(section, key, def ? 1 : 0) != 0;
}

void TIniFile::ReadSection(const std::string& section, std::vector<std::string>& keys) const {
    keys.clear();
    auto p = TheCache().Get(ExistingOrGiven(fileName_));
    if (!p) return;
    const Section* s = p->Find(section);
    if (!s) return;
    size_t used = 0;
    for (size_t line : s->keyLines) {
        std::string k = p->Key(line);
        // Each name takes its length and a zero byte; one more zero ends the buffer.
        if (used + k.size() + 1 > KeyBufferSize - 1) break;
        used += k.size() + 1;
        keys.push_back(std::move(k));
    }
}

bool TIniFile::SectionExists(const std::string& section) const {
    auto p = TheCache().Get(ExistingOrGiven(fileName_));
    return p && p->Find(section);
}

void TIniFile::WriteString(const std::string& section, const std::string& key, const std::string& value) {
    std::string native = ExistingOrGiven(fileName_);
    auto p = LoadForChange(fileName_, native);
    if (ApplyWrite(*p, section, key, value)) Store(fileName_, native, p);
}

void TIniFile::WriteInteger(const std::string& section, const std::string& key, int value) {
    WriteString(section, key, std::to_string(value));
}

void TIniFile::WriteBool(const std::string& section, const std::string& key, bool value) {
    WriteString(section, key, value ? "1" : "0");
}

void TIniFile::EraseSection(const std::string& section) {
    std::string native = ExistingOrGiven(fileName_);
    if (!StampOf(native).exists) {
        // Nothing to erase; but a folder that cannot hold the file is still a failure.
        if (!DirectoryExists(ExtractFilePath(fileName_).empty() ? "." : ExtractFilePath(fileName_))) RaiseWrite(fileName_);
        return;
    }
    auto p = LoadForChange(fileName_, native);
    if (ApplyErase(*p, section)) Store(fileName_, native, p);
}

void TIniFile::Update(const std::vector<TIniChange>& changes) {
    std::string native = ExistingOrGiven(fileName_);
    auto p = LoadForChange(fileName_, native);
    bool changed = false;
    for (const TIniChange& c : changes) {
        if (c.Erase) changed = ApplyErase(*p, c.Section) || changed;
        else changed = ApplyWrite(*p, c.Section, c.Key, c.Value) || changed;
    }
    if (changed) Store(fileName_, native, p);
}

uint64_t ProfileReplacements() { return replacements.load(); }
