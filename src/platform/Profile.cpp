#include "Profile.h"

#include "CodePage.h"
#include "Error.h"
#include "Files.h"
#include "Format.h"

#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cerrno>
#include <ctime>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <unordered_map>

#ifdef _WIN32
#include <io.h>
#include <windows.h>

#include <QString>
#else
#include <sys/file.h>
#include <unistd.h>
#endif

namespace {

std::string_view Trim(std::string_view s) { return TrimBlanks(s); }

// Hash of a name as it is matched: letter case folded.
uint32_t NameHash(std::string_view s) {
    uint32_t h = 2166136261u;
    for (char c : s) h = (h ^ static_cast<unsigned char>(AnsiUpperChar(c))) * 16777619u;
    return h;
}

// A parsed file: its bytes as read and an index of sections and keys by byte
// offset. Lines that are neither section headers nor keys take no memory beyond
// their bytes, so the index stays a small fraction of the file whatever it holds.
struct Parsed {
    std::string bytes;
    std::string defaultEol = "\r\n";
    struct Sec {
        size_t header;      // offset of the "[name]" line
        uint32_t firstKey;  // its keys are keyAt[firstKey .. next section's firstKey)
        uint32_t hash;
    };
    std::vector<Sec> secs;
    std::vector<size_t> keyAt;       // offset of each line with "=", in file order
    std::vector<uint32_t> keyHash;   // hash of its key
    std::vector<uint32_t> keyOrder;  // each section's keys sorted by (hash, file order)
    std::vector<uint32_t> secOrder;  // sections sorted by (hash, file order)

    explicit Parsed(std::string b) : bytes(std::move(b)) { Build(); }

    size_t LineEnd(size_t pos) const {
        const char* b = bytes.data();
        const size_t n = bytes.size();
        while (pos < n && b[pos] != '\n' && b[pos] != '\r') ++pos;
        return pos;
    }
    size_t NextLine(size_t end) const {
        if (end >= bytes.size()) return bytes.size();
        return bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n' ? end + 2 : end + 1;
    }
    std::string_view Text(size_t pos) const { return std::string_view(bytes).substr(pos, LineEnd(pos) - pos); }
    size_t SecEnd(size_t s) const { return s + 1 < secs.size() ? secs[s + 1].header : bytes.size(); }
    size_t KeyEnd(size_t s) const { return s + 1 < secs.size() ? secs[s + 1].firstKey : keyAt.size(); }

    static std::string_view SecName(std::string_view line) {
        std::string_view t = Trim(line);
        size_t close = t.find(']');
        return Trim(t.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1));
    }
    std::string_view KeyName(size_t k) const {
        std::string_view t = Trim(Text(keyAt[k]));
        return Trim(t.substr(0, t.find('=')));
    }

    void Build() {
        secs.clear();
        keyAt.clear();
        keyHash.clear();
        // Every key line holds a "=" and ends a line: room for the smaller count is
        // made at once, so the index never holds a grown copy of itself.
        const size_t most = std::min<size_t>(std::count(bytes.begin(), bytes.end(), '='),
                                             std::count(bytes.begin(), bytes.end(), '\n') +
                                                 std::count(bytes.begin(), bytes.end(), '\r') + 1);
        keyAt.reserve(most);
        keyHash.reserve(most);
        bool eolSeen = false;
        for (size_t pos = 0; pos < bytes.size();) {
            const size_t end = LineEnd(pos), next = NextLine(end);
            if (!eolSeen && end < bytes.size()) {
                defaultEol = bytes.substr(end, next - end);
                eolSeen = true;
            }
            std::string_view t = Trim(std::string_view(bytes).substr(pos, end - pos));
            if (!t.empty() && t[0] == '[') {
                secs.push_back(Sec{pos, uint32_t(keyAt.size()), NameHash(SecName(t))});
            } else if (!secs.empty() && !t.empty() && t[0] != ';') {
                size_t eq = t.find('=');
                if (eq != std::string_view::npos) {
                    keyAt.push_back(pos);
                    keyHash.push_back(NameHash(Trim(t.substr(0, eq))));
                }
            }
            pos = next;
        }
        keyOrder.resize(keyAt.size());
        for (size_t k = 0; k < keyOrder.size(); ++k) keyOrder[k] = uint32_t(k);
        auto byHash = [](const std::vector<uint32_t>& hash) {
            return [&hash](uint32_t a, uint32_t b) { return hash[a] != hash[b] ? hash[a] < hash[b] : a < b; };
        };
        for (size_t s = 0; s < secs.size(); ++s)
            std::sort(keyOrder.begin() + secs[s].firstKey, keyOrder.begin() + long(KeyEnd(s)), byHash(keyHash));
        std::vector<uint32_t> secHash(secs.size());
        for (size_t s = 0; s < secs.size(); ++s) secHash[s] = secs[s].hash;
        secOrder.resize(secs.size());
        for (size_t s = 0; s < secOrder.size(); ++s) secOrder[s] = uint32_t(s);
        std::sort(secOrder.begin(), secOrder.end(), byHash(secHash));
    }

    // The first section of that name, or -1.
    long FindSection(std::string_view name) const {
        name = Trim(name);
        const uint32_t h = NameHash(name);
        auto it = std::lower_bound(secOrder.begin(), secOrder.end(), h,
                                   [this](uint32_t s, uint32_t v) { return secs[s].hash < v; });
        for (; it != secOrder.end() && secs[*it].hash == h; ++it)
            if (SameTextAnsi(SecName(Text(secs[*it].header)), name)) return long(*it);
        return -1;
    }

    // The first key of that name in section s, or -1.
    long FindKey(size_t s, std::string_view key) const {
        key = Trim(key);
        const uint32_t h = NameHash(key);
        auto first = keyOrder.begin() + secs[s].firstKey, last = keyOrder.begin() + long(KeyEnd(s));
        auto it = std::lower_bound(first, last, h, [this](uint32_t k, uint32_t v) { return keyHash[k] < v; });
        for (; it != last && keyHash[*it] == h; ++it)
            if (SameTextAnsi(KeyName(*it), key)) return long(*it);
        return -1;
    }

    // Value of key line k as read: trimmed, one pair of enclosing quotes removed.
    std::string Value(size_t k) const {
        std::string_view t = Trim(Text(keyAt[k]));
        std::string_view v = Trim(t.substr(t.find('=') + 1));
        if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
            v = v.substr(1, v.size() - 2);
        if (v.size() > TIniFile::MaxValueLength) v = v.substr(0, TIniFile::MaxValueLength);
        return std::string(v);
    }

    // Start of the line that ends right before offset `at` (a line start).
    size_t PrevLine(size_t at) const {
        size_t textEnd = at;
        if (at > 0 && (bytes[at - 1] == '\n' || bytes[at - 1] == '\r')) {
            textEnd = at - 1;
            if (bytes[at - 1] == '\n' && textEnd > 0 && bytes[textEnd - 1] == '\r') --textEnd;
        }
        if (textEnd == 0) return 0;
        size_t b = bytes.find_last_of("\r\n", textEnd - 1);
        return b == std::string::npos ? 0 : b + 1;
    }
    bool EndsWithEol() const { return !bytes.empty() && (bytes.back() == '\n' || bytes.back() == '\r'); }

    // The changes a write makes; each returns false when the file stays as it was.
    bool WriteLine(std::string_view section, std::string_view key, const std::string& newLine) {
        long s = FindSection(section);
        if (s >= 0) {
            long k = FindKey(size_t(s), key);
            if (k >= 0) {
                const size_t pos = keyAt[size_t(k)], end = LineEnd(pos);
                if (std::string_view(bytes).substr(pos, end - pos) == newLine) return false;
                bytes.replace(pos, end - pos, newLine);
                Build();
                return true;
            }
            {
                // After the section's last line that is not blank.
                const size_t header = secs[size_t(s)].header;
                size_t at = SecEnd(size_t(s));
                for (size_t prev; at > header && (prev = PrevLine(at)) > header && Trim(Text(prev)).empty();) at = prev;
                std::string insert = newLine + defaultEol;
                const bool atEnd = at == bytes.size() && size_t(s) + 1 == secs.size();
                if (at == bytes.size() && !EndsWithEol()) insert = defaultEol + insert;
                bytes.reserve(bytes.size() + insert.size());  // grown by what is added, not doubled
                bytes.insert(at, insert);
                if (!atEnd) {
                    Build();
                    return true;
                }
                AddKey(bytes.size() - newLine.size() - defaultEol.size(), key);
            }
            return true;
        }
        // A new section at the end: the index grows by its header and its one key.
        const std::string name(Trim(section));
        bytes.reserve(bytes.size() + name.size() + newLine.size() + 3 * defaultEol.size() + 2);
        if (!bytes.empty() && !EndsWithEol()) bytes += defaultEol;
        Room(secs);
        Room(secOrder);
        secs.push_back(Sec{bytes.size(), uint32_t(keyAt.size()), NameHash(name)});
        const uint32_t h = secs.back().hash;
        secOrder.insert(std::upper_bound(secOrder.begin(), secOrder.end(), h,
                                         [this](uint32_t v, uint32_t x) { return v < secs[x].hash; }),
                        uint32_t(secs.size() - 1));
        bytes += "[" + name + "]" + defaultEol;
        const size_t keyPos = bytes.size();
        bytes += newLine + defaultEol;
        AddKey(keyPos, key);
        return true;
    }

    // Makes room for one more element by an eighth, not by doubling: a large index
    // grows a little when a line is added to it.
    template <class V>
    static void Room(V& v) {
        if (v.size() == v.capacity()) v.reserve(v.size() + v.size() / 8 + 16);
    }

    // A key line appended at the end of the last section, added to the index as
    // Build would add it; appending keys one by one stays linear.
    void AddKey(size_t pos, std::string_view key) {
        const uint32_t h = NameHash(Trim(key));
        Room(keyAt);
        Room(keyHash);
        Room(keyOrder);
        keyAt.push_back(pos);
        keyHash.push_back(h);
        auto first = keyOrder.begin() + secs.back().firstKey;
        keyOrder.insert(std::upper_bound(first, keyOrder.end(), h, [this](uint32_t v, uint32_t k) { return v < keyHash[k]; }),
                        uint32_t(keyAt.size() - 1));
    }

    bool Erase(std::string_view section) {
        section = Trim(section);
        std::string kept;
        size_t from = 0;
        bool changed = false;
        for (size_t s = 0; s < secs.size(); ++s) {
            if (!SameTextAnsi(SecName(Text(secs[s].header)), section)) continue;
            if (!changed) kept.reserve(bytes.size());
            kept.append(bytes, from, secs[s].header - from);
            from = SecEnd(s);
            changed = true;
        }
        if (!changed) return false;
        kept.append(bytes, from, std::string::npos);
        bytes = std::move(kept);
        Build();
        return true;
    }
};

bool HasLineBreak(std::string_view s) { return s.find_first_of("\r\n") != std::string_view::npos; }

// A value that would not read back as it stands is written in double quotes.
std::string StoredValue(const std::string& value) {
    const bool quote = Trim(value).size() != value.size() ||
                       (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front());
    return quote ? "\"" + value + "\"" : value;
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
            // A copy that is no longer trusted goes before the file is read again.
            if (it != entries_.end()) entries_.erase(it);
        }
        std::string bytes;
        if (!ReadNative(native, bytes)) return nullptr;
        auto parsed = std::make_shared<const Parsed>(std::move(bytes));
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

    void Forget(const std::string& native) {
        std::lock_guard lock(mutex_);
        entries_.erase(native);
    }

    static bool ReadNative(const std::string& native, std::string& bytes) {
#ifdef _WIN32
        FILE* f = OpenNative(native, L"rb");
#else
        FILE* f = OpenNative(native, "rb");
#endif
        if (!f) return false;
        bytes.clear();
        // Read in place to the size the file has; a file that grows meanwhile is read on.
        Stamp st = StampOf(native);
        if (st.size > 0) bytes.resize(size_t(st.size));
        size_t got = std::fread(bytes.data(), 1, bytes.size(), f);
        bytes.resize(got);
        char buf[65536];
        size_t n;
        while (got == size_t(st.size) && (n = std::fread(buf, 1, sizeof buf, f)) > 0) bytes.append(buf, n);
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

// One change of a file, applied to its parsed form; false when nothing changed.
using Edit = std::function<bool(Parsed&)>;

// Reads the file for a change: a missing file is an empty one; an unreadable one fails.
std::string BytesForChange(const std::string& fileName, const std::string& native) {
    std::string bytes;
    if (StampOf(native).exists && !Cache::ReadNative(native, bytes)) RaiseWrite(fileName);
    return bytes;
}

// The temporary file of a replacement: hidden (its name begins with "."), in the
// same folder, one per file. It is never taken for a topic or a settings file, and
// a file left by a writer that was killed is reused by the next write.
std::string TempName(const std::string& native) {
    size_t slash = native.find_last_of(PathDelim);
    size_t at = slash == std::string::npos ? 0 : slash + 1;
    return native.substr(0, at) + "." + native.substr(at) + ".tmp";
}

#ifdef _WIN32
// Windows: the temporary file opened without sharing is the lock; it is renamed
// onto the file through its own handle, so no other writer can slip in between.
std::shared_ptr<Parsed> Change(const std::string& fileName, const std::string& native, const Edit& edit) {
    const std::wstring target = Wide(native);
    const std::wstring tmp = Wide(TempName(native));
    HANDLE h = INVALID_HANDLE_VALUE;
    for (int tries = 0; tries < 1000; ++tries) {
        h = ::CreateFileW(tmp.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h != INVALID_HANDLE_VALUE || ::GetLastError() != ERROR_SHARING_VIOLATION) break;
        ::Sleep(10);
    }
    if (h == INVALID_HANDLE_VALUE) RaiseWrite(fileName);
    auto p = std::make_shared<Parsed>(BytesForChange(fileName, native));
    const bool changed = edit(*p);
    bool ok = true;
    if (changed) {
        DWORD written = 0;
        LARGE_INTEGER zero{};
        ok = ::SetFilePointerEx(h, zero, nullptr, FILE_BEGIN) && ::SetEndOfFile(h) &&
             ::WriteFile(h, p->bytes.data(), DWORD(p->bytes.size()), &written, nullptr) &&
             written == p->bytes.size() && ::FlushFileBuffers(h);
        if (ok) {
            std::vector<char> buf(sizeof(FILE_RENAME_INFO) + target.size() * sizeof(wchar_t));
            auto* info = reinterpret_cast<FILE_RENAME_INFO*>(buf.data());
            info->ReplaceIfExists = TRUE;
            info->RootDirectory = nullptr;
            info->FileNameLength = DWORD(target.size() * sizeof(wchar_t));
            std::memcpy(info->FileName, target.c_str(), info->FileNameLength);
            ok = ::SetFileInformationByHandle(h, FileRenameInfo, info, DWORD(buf.size()));
        }
    }
    if (!changed || !ok) {
        FILE_DISPOSITION_INFO del{TRUE};
        ::SetFileInformationByHandle(h, FileDispositionInfo, &del, sizeof del);
    }
    ::CloseHandle(h);
    if (!ok) RaiseWrite(fileName);
    return changed ? p : nullptr;
}
#else
bool WriteAll(int fd, const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t w = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (w < 0 && errno == EINTR) continue;
        if (w <= 0) return false;
        done += size_t(w);
    }
    return true;
}

// Opens the temporary file and takes its exclusive lock. The lock serialises the
// writers of one file, so each change is made to the content the previous one left.
// A writer that got the lock after its predecessor renamed the file away holds a
// file of no name: it opens the name again.
int OpenLockedTemp(const std::string& tmp, mode_t mode) {
    for (;;) {
        int fd = ::open(tmp.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, mode);
        if (fd < 0) return -1;
        int rc;
        do rc = ::flock(fd, LOCK_EX);
        while (rc != 0 && errno == EINTR);
        struct stat held {}, named {};
        if (rc != 0 || ::fstat(fd, &held) != 0) {
            ::close(fd);
            return -1;
        }
        if (::stat(tmp.c_str(), &named) == 0 && named.st_dev == held.st_dev && named.st_ino == held.st_ino) return fd;
        ::close(fd);
    }
}

// Writes the changed file through its temporary file, which is renamed onto it once
// the new content is on disk: a reader sees the old file or the new one, never a mix.
std::shared_ptr<Parsed> Change(const std::string& fileName, const std::string& native, const Edit& edit) {
    mode_t mode = 0644;
    struct stat st {};
    if (::stat(native.c_str(), &st) == 0) mode = st.st_mode & 07777;
    const std::string tmp = TempName(native);
    int fd = OpenLockedTemp(tmp, mode);
    if (fd < 0) RaiseWrite(fileName);
    std::shared_ptr<Parsed> p;
    bool changed = false, ok = true;
    try {
        p = std::make_shared<Parsed>(BytesForChange(fileName, native));
        changed = edit(*p);
    } catch (...) {
        ::unlink(tmp.c_str());
        ::close(fd);
        throw;
    }
    if (changed) {
        ok = ::ftruncate(fd, 0) == 0 && ::lseek(fd, 0, SEEK_SET) == 0 && WriteAll(fd, p->bytes) &&
             ::fchmod(fd, mode) == 0 && ::fsync(fd) == 0 && std::rename(tmp.c_str(), native.c_str()) == 0;
    }
    if (!changed || !ok) ::unlink(tmp.c_str());
    ::close(fd);  // releases the lock
    if (!ok) RaiseWrite(fileName);
    return changed ? p : nullptr;
}
#endif

// A path in the program's folders names its file without regard to case.
std::string ExistingOrGiven(const std::string& fileName) {
    std::string real = FindFileNoCase(fileName);
    return NativePath(real.empty() ? fileName : real);
}

std::atomic<uint64_t> replacements{0};

// Applies the edits to the file in one replacement. A change that leaves the file as
// it is writes nothing, so an unchanged file on a read-only drive is no failure.
void Apply(const std::string& fileName, const Edit& edit) {
    const std::string native = ExistingOrGiven(fileName);
    // The file is read afresh for the change; the copy kept for reads would only
    // double the memory a large file takes while it is changed.
    TheCache().Forget(native);
    {
        Parsed now(BytesForChange(fileName, native));
        if (!edit(now)) {
            // Erasing from a file that is missing: a folder that cannot hold it still fails.
            if (!StampOf(native).exists) {
                std::string folder = ExtractFilePath(fileName);
                if (!DirectoryExists(folder.empty() ? "." : folder)) RaiseWrite(fileName);
            }
            return;
        }
    }
    std::shared_ptr<Parsed> p = Change(fileName, native, edit);
    if (!p) return;
    ++replacements;
    Stamp st = StampOf(native);
    if (st.exists) TheCache().Put(native, st, p);
}

// A section, key and value that can be stored as written; anything else would make
// other lines of the file or read back as something else.
bool Storable(std::string_view section, std::string_view key, std::string_view value) {
    if (HasLineBreak(section) || section.find(']') != std::string_view::npos) return false;
    if (HasLineBreak(key) || HasLineBreak(value)) return false;
    std::string_view k = Trim(key);
    return k.find('=') == std::string_view::npos && (k.empty() || (k[0] != '[' && k[0] != ';'));
}

}  // namespace

void ClearProfileCache() { TheCache().Clear(); }

std::string TIniFile::ReadString(const std::string& section, const std::string& key, const std::string& def) const {
    auto p = TheCache().Get(ExistingOrGiven(fileName_));
    if (!p) return def;
    long s = p->FindSection(section);
    if (s < 0) return def;
    long k = p->FindKey(size_t(s), key);
    return k < 0 ? def : p->Value(size_t(k));
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
    long s = p->FindSection(section);
    if (s < 0) return;
    size_t used = 0;
    for (size_t k = p->secs[size_t(s)].firstKey; k < p->KeyEnd(size_t(s)); ++k) {
        std::string_view name = p->KeyName(k);
        // Each name takes its length and a zero byte; one more zero ends the buffer.
        if (used + name.size() + 1 > KeyBufferSize - 1) break;
        used += name.size() + 1;
        keys.emplace_back(name);
    }
}

bool TIniFile::SectionExists(const std::string& section) const {
    auto p = TheCache().Get(ExistingOrGiven(fileName_));
    return p && p->FindSection(section) >= 0;
}

void TIniFile::WriteString(const std::string& section, const std::string& key, const std::string& value) {
    Update({TIniChange::Write(section, key, value)});
}

void TIniFile::WriteInteger(const std::string& section, const std::string& key, int value) {
    WriteString(section, key, std::to_string(value));
}

void TIniFile::WriteBool(const std::string& section, const std::string& key, bool value) {
    WriteString(section, key, value ? "1" : "0");
}

void TIniFile::EraseSection(const std::string& section) { Update({TIniChange::EraseSection(section)}); }

void TIniFile::Update(const std::vector<TIniChange>& changes) {
    for (const TIniChange& c : changes)
        if (!c.Erase && !Storable(c.Section, c.Key, c.Value)) RaiseWrite(fileName_);
    Apply(fileName_, [&changes](Parsed& p) {
        bool changed = false;
        for (const TIniChange& c : changes) {
            if (c.Erase) changed = p.Erase(c.Section) || changed;
            else changed = p.WriteLine(c.Section, c.Key, std::string(Trim(c.Key)) + "=" + StoredValue(c.Value)) || changed;
        }
        return changed;
    });
}

uint64_t ProfileReplacements() { return replacements.load(); }
