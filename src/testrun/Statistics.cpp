#include "Statistics.h"

#include "Error.h"
#include "Files.h"

#ifdef _WIN32
#include <windows.h>

#include "CodePage.h"
#else
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

[[noreturn]] void Fail(const std::string& path) { throw Error("Unable to write to " + path); }

}  // namespace

#ifdef _WIN32

// Cuts a part of a record that a killed writer left without its line end (see the
// POSIX branch); `size` becomes the end of the whole lines.
bool CutToWholeLines(HANDLE h, LARGE_INTEGER& size) {
    char buf[4096];
    long long end = size.QuadPart;
    while (end > 0) {
        const long long from = end > static_cast<long long>(sizeof buf) ? end - static_cast<long long>(sizeof buf) : 0;
        LARGE_INTEGER at{};
        at.QuadPart = from;
        DWORD got = 0;
        if (!::SetFilePointerEx(h, at, nullptr, FILE_BEGIN) || !::ReadFile(h, buf, DWORD(end - from), &got, nullptr) ||
            got != DWORD(end - from))
            return true;
        for (DWORD i = got; i > 0; --i) {
            if (buf[i - 1] == '\n') {
                if (from + i == size.QuadPart) return true;
                at.QuadPart = from + i;
                if (!::SetFilePointerEx(h, at, nullptr, FILE_BEGIN) || !::SetEndOfFile(h)) return true;
                size = at;
                return true;
            }
        }
        end = from;
    }
    LARGE_INTEGER zero{};
    if (size.QuadPart != 0 && ::SetFilePointerEx(h, zero, nullptr, FILE_BEGIN) && ::SetEndOfFile(h)) size = zero;
    return true;
}

// Windows: LockFileEx over the whole file; SMB shares honour it.
void AppendStatRecord(const std::string& path, const std::string& header, const std::string& record) {
    std::string existing = FindFileNoCase(path);
    const std::wstring native = AnsiToQString(existing.empty() ? path : existing).toStdWString();
    HANDLE h = ::CreateFileW(native.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) Fail(path);
    bool ok = false;
    OVERLAPPED whole {};
    if (::LockFileEx(h, LOCKFILE_EXCLUSIVE_LOCK, 0, MAXDWORD, MAXDWORD, &whole)) {
        LARGE_INTEGER before {};
        if (::GetFileSizeEx(h, &before) && CutToWholeLines(h, before) && ::SetFilePointerEx(h, before, nullptr, FILE_BEGIN)) {
            std::string bytes;
            if (before.QuadPart == 0) bytes = header + "\r\n";
            bytes += record + "\r\n";
            DWORD written = 0;
            ok = ::WriteFile(h, bytes.data(), DWORD(bytes.size()), &written, nullptr) && written == bytes.size() &&
                 ::FlushFileBuffers(h);
            if (!ok && ::SetFilePointerEx(h, before, nullptr, FILE_BEGIN)) ::SetEndOfFile(h);
        }
        OVERLAPPED unlock {};
        ::UnlockFileEx(h, 0, MAXDWORD, MAXDWORD, &unlock);
    }
    ::CloseHandle(h);
    if (!ok) Fail(path);
}

#else

namespace {

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

// Where the file's whole lines end. A writer killed in the middle of its record can
// leave part of it without a line end (the system may stop a write between pages);
// the next writer, holding the lock, cuts that part off, so every line stays whole.
off_t WholeLinesEnd(int fd, off_t size) {
    char buf[4096];
    off_t end = size;
    while (end > 0) {
        const off_t from = end > off_t(sizeof buf) ? end - off_t(sizeof buf) : 0;
        const ssize_t got = ::pread(fd, buf, size_t(end - from), from);
        if (got != end - from) return size;  // unreadable: leave the file as it is
        for (ssize_t i = got; i > 0; --i) {
            if (buf[i - 1] == '\n') {
                const off_t at = from + i;
                if (at == size) return size;
                return ::ftruncate(fd, at) == 0 ? at : size;
            }
        }
        end = from;
    }
    // No line end at all: the whole file is a remnant of its first, dying writer.
    return size == 0 || ::ftruncate(fd, 0) == 0 ? 0 : size;
}

// Holds a POSIX record lock over the whole file; network file systems honour it.
class FileLock {
public:
    explicit FileLock(int fd) : fd_(fd) {
        struct flock fl {};
        fl.l_type = F_WRLCK;
        fl.l_whence = SEEK_SET;
        int rc;
        do rc = ::fcntl(fd_, F_SETLKW, &fl);
        while (rc != 0 && errno == EINTR);
        locked_ = rc == 0;
    }
    ~FileLock() {
        if (!locked_) return;
        struct flock fl {};
        fl.l_type = F_UNLCK;
        fl.l_whence = SEEK_SET;
        ::fcntl(fd_, F_SETLK, &fl);
    }
    bool Locked() const { return locked_; }

private:
    int fd_;
    bool locked_ = false;
};

}  // namespace

void AppendStatRecord(const std::string& path, const std::string& header, const std::string& record) {
    std::string existing = FindFileNoCase(path);
    const std::string native = NativePath(existing.empty() ? path : existing);
    int fd = ::open(native.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) Fail(path);
    bool ok = false;
    {
        FileLock lock(fd);
        struct stat st {};
        if (lock.Locked() && ::fstat(fd, &st) == 0) {
            const off_t before = WholeLinesEnd(fd, st.st_size);
            std::string bytes;
            if (before == 0) bytes = header + "\r\n";
            bytes += record + "\r\n";
            ok = ::lseek(fd, before, SEEK_SET) == before && WriteAll(fd, bytes) && ::fsync(fd) == 0;
            // A half-written line would spoil the file for every later record.
            if (!ok && ::ftruncate(fd, before) != 0) {
                // Nothing more can be done when the file cannot even be cut back.
            }
        }
    }
    // The record is on disk once fsync succeeded; closing cannot lose it any more.
    ::close(fd);
    if (!ok) Fail(path);
}

#endif
