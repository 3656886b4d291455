#include "Statistics.h"

#include "Error.h"
#include "Files.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

[[noreturn]] void Fail(const std::string& path) { throw Error("Unable to write to " + path); }

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
    int fd = ::open(native.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) Fail(path);
    bool ok = false;
    {
        FileLock lock(fd);
        struct stat st {};
        if (lock.Locked() && ::fstat(fd, &st) == 0) {
            const off_t before = st.st_size;
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
