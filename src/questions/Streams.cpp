#include "Streams.h"

#include "CodePage.h"
#include "Files.h"
#include "Format.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <filesystem>

#ifdef _WIN32
#define KV_FSEEK _fseeki64
#define KV_FTELL _ftelli64
#else
#define KV_FSEEK fseeko
#define KV_FTELL ftello
#endif

EReadError::EReadError() : Error(A("Ошибка чтения потока")) {}

std::string WriteErrorText() { return A("Ошибка записи потока"); }

void TStream::ReadBufferSlow(void* buffer, size_t count) {
    if (count != 0 && Read(buffer, count) != count) throw EReadError();
}

// ---- files

namespace {
std::FILE* OpenNative(const std::string& ansiPath, const char* mode) {
#ifdef _WIN32
    std::filesystem::path p(NativePath(ansiPath));
    std::wstring wmode(mode, mode + std::strlen(mode));
    return _wfopen(p.c_str(), wmode.c_str());
#else
    return std::fopen(NativePath(ansiPath).c_str(), mode);
#endif
}
}  // namespace

TFileStream::TFileStream(const std::string& fileName, TFileMode mode) : mode_(mode) {
    if (mode == TFileMode::OpenRead) {
        file_ = OpenNative(fileName, "rb");
        if (file_ && (KV_FSEEK(file_, 0, SEEK_END) != 0 || (size_ = KV_FTELL(file_)) < 0 ||
                      KV_FSEEK(file_, 0, SEEK_SET) != 0)) {
            std::fclose(file_);  // a folder or a device: not a file to read
            file_ = nullptr;
        }
        if (!file_) throw Error(Format(A("Не могу открыть файл %s"), {fileName}));
    } else {
        file_ = OpenNative(fileName, "wb");
        if (!file_) throw Error(Format(A("Не могу создать файл %s"), {fileName}));
    }
}

TFileStream::~TFileStream() {
    if (file_) std::fclose(file_);
}

size_t TFileStream::Read(void* buffer, size_t count) {
    if (!file_ || mode_ != TFileMode::OpenRead || count == 0) return 0;
    size_t got = std::fread(buffer, 1, count, file_);
    if (got < count && std::ferror(file_)) throw EReadError();
    position_ += int64_t(got);
    return got;
}

void TFileStream::Write(const void* buffer, size_t count) {
    if (count == 0) return;
    if (!file_ || mode_ != TFileMode::Create || std::fwrite(buffer, 1, count, file_) != count)
        throw Error(WriteErrorText());
    position_ += int64_t(count);
    size_ = std::max(size_, position_);
}

void TFileStream::Close() {
    if (!file_) return;
    std::FILE* f = file_;
    file_ = nullptr;
    if (std::fclose(f) != 0 && mode_ == TFileMode::Create) throw Error(WriteErrorText());
}

// ---- memory

size_t TMemoryStream::Read(void* buffer, size_t count) {
    size_t n = std::min(count, data_.size() - position_);
    if (n) std::memcpy(buffer, data_.data() + position_, n);
    position_ += n;
    return n;
}

void TMemoryStream::Write(const void* buffer, size_t count) {
    if (count == 0) return;
    if (position_ + count > data_.size()) data_.resize(position_ + count);
    std::memcpy(data_.data() + position_, buffer, count);
    position_ += count;
}

// ---- zlib

namespace {
std::string CompressionErrorText() { return A("Ошибка сжатия данных"); }
std::string DecompressionErrorText() { return A("Ошибка распаковки данных"); }
}  // namespace

int ZlibLevel(int level) {
    switch (level) {
        case 0: return Z_NO_COMPRESSION;
        case 1: return Z_BEST_SPEED;
        case 2: return Z_DEFAULT_COMPRESSION;
        default: return Z_BEST_COMPRESSION;
    }
}

struct TCompressionStream::State {
    z_stream z{};
};

TCompressionStream::TCompressionStream(TStream& dest, int level)
    : z_(std::make_unique<State>()), dest_(dest), in_(new unsigned char[ZBufferSize]),
      out_(new unsigned char[ZBufferSize]) {
    if (deflateInit(&z_->z, ZlibLevel(level)) != Z_OK) throw Error(CompressionErrorText());
    z_->z.next_out = out_.get();
    z_->z.avail_out = uInt(ZBufferSize);
}

TCompressionStream::~TCompressionStream() {
    if (!closed_) {
        try {
            Close();
        } catch (...) {
            // An error has already been raised by the caller's failure; keep that one.
        }
    }
    deflateEnd(&z_->z);
}

size_t TCompressionStream::Read(void*, size_t) { throw Error(CompressionErrorText()); }

void TCompressionStream::Deflate(const unsigned char* data, size_t count, bool finish) {
    if (count == 0 && !finish) return;
    z_stream& z = z_->z;
    z.next_in = const_cast<unsigned char*>(data);
    z.avail_in = uInt(count);
    for (;;) {
        int ret = deflate(&z, finish ? Z_FINISH : Z_NO_FLUSH);
        if (ret == Z_STREAM_ERROR || (ret == Z_BUF_ERROR && z.avail_out != 0)) throw Error(CompressionErrorText());
        if (z.avail_out == 0) {
            dest_.WriteBuffer(out_.get(), ZBufferSize);
            z.next_out = out_.get();
            z.avail_out = uInt(ZBufferSize);
            continue;
        }
        if (finish ? ret == Z_STREAM_END : z.avail_in == 0) break;
    }
}

void TCompressionStream::Write(const void* buffer, size_t count) {
    if (closed_) throw Error(WriteErrorText());
    if (count == 0) return;
    const unsigned char* p = static_cast<const unsigned char*>(buffer);
    written_ += int64_t(count);
    // Small writes (the record fields) are gathered; deflate sees large blocks.
    if (inUsed_ + count <= ZBufferSize) {
        std::memcpy(in_.get() + inUsed_, p, count);
        inUsed_ += count;
        return;
    }
    if (inUsed_) {
        Deflate(in_.get(), inUsed_, false);
        inUsed_ = 0;
    }
    if (count >= ZBufferSize) {
        while (count) {
            size_t n = std::min<size_t>(count, 1u << 30);
            Deflate(p, n, false);
            p += n;
            count -= n;
        }
    } else {
        std::memcpy(in_.get(), p, count);
        inUsed_ = count;
    }
}

void TCompressionStream::Close() {
    if (closed_) return;
    closed_ = true;
    size_t n = inUsed_;
    inUsed_ = 0;
    Deflate(in_.get(), n, true);
    size_t rest = ZBufferSize - z_->z.avail_out;
    if (rest) dest_.WriteBuffer(out_.get(), rest);
    z_->z.next_out = out_.get();
    z_->z.avail_out = uInt(ZBufferSize);
}

struct TDecompressionStream::State {
    z_stream z{};
};

TDecompressionStream::TDecompressionStream(TStream& source)
    : z_(std::make_unique<State>()), source_(source), in_(new unsigned char[ZBufferSize]),
      out_(new unsigned char[ZBufferSize]) {
    if (inflateInit(&z_->z) != Z_OK) throw Error(DecompressionErrorText());
}

TDecompressionStream::~TDecompressionStream() { inflateEnd(&z_->z); }

void TDecompressionStream::Write(const void*, size_t) { throw Error(DecompressionErrorText()); }

size_t TDecompressionStream::Inflate(unsigned char* dest, size_t count) {
    z_stream& z = z_->z;
    z.next_out = dest;
    z.avail_out = uInt(count);
    while (z.avail_out > 0 && !finished_) {
        if (z.avail_in == 0) {
            if (sourceEnd_) break;  // the data stops short of the end of the stream
            size_t got = source_.Read(in_.get(), ZBufferSize);
            if (got == 0) {
                sourceEnd_ = true;
                break;
            }
            z.next_in = in_.get();
            z.avail_in = uInt(got);
        }
        int ret = inflate(&z, Z_NO_FLUSH);
        if (ret == Z_STREAM_END) {
            finished_ = true;  // whatever follows in the source is not read
        } else if (ret != Z_OK && !(ret == Z_BUF_ERROR && z.avail_in == 0)) {
            throw Error(DecompressionErrorText());
        }
    }
    return count - z.avail_out;
}

size_t TDecompressionStream::Read(void* buffer, size_t count) {
    unsigned char* p = static_cast<unsigned char*>(buffer);
    size_t done = 0;
    while (done < count) {
        if (readPos_ < readEnd_) {
            size_t n = std::min(count - done, size_t(readEnd_ - readPos_));
            std::memcpy(p + done, readPos_, n);
            readPos_ += n;
            done += n;
            continue;
        }
        if (finished_ || sourceEnd_) break;
        size_t want = count - done;
        if (want >= ZBufferSize) {
            size_t n = Inflate(p + done, std::min<size_t>(want, 1u << 30));
            produced_ += int64_t(n);
            done += n;
            if (n == 0) break;
        } else {
            size_t n = Inflate(out_.get(), ZBufferSize);
            produced_ += int64_t(n);
            readPos_ = out_.get();
            readEnd_ = readPos_ + n;
            if (n == 0) break;
        }
    }
    return done;
}
