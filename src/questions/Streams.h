#pragma once
// Byte streams of the question bank: files, memory, and the zlib compressing and
// decompressing streams of compiled question files.
#include "Error.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

// Raised when a stream cannot deliver the bytes asked for. Reading a compiled
// question file always ends with it at the end of the data.
class EReadError : public Error {
public:
    EReadError();
};

class TStream {
public:
    virtual ~TStream() = default;
    // Reads up to `count` bytes; fewer only at the end of the data.
    virtual size_t Read(void* buffer, size_t count) = 0;
    // Writes `count` bytes or raises the write error.
    virtual void Write(const void* buffer, size_t count) = 0;
    // Bytes read or written so far.
    virtual int64_t Position() const = 0;
    // Total bytes, or -1 when the stream cannot tell.
    virtual int64_t Size() const = 0;
    // Bytes a Read can deliver at once from memory (a hint; 0 when unknown).
    virtual size_t ReadAhead() const { return 0; }

    // Exactly `count` bytes or EReadError.
    void ReadBuffer(void* buffer, size_t count) {
        if (size_t(readEnd_ - readPos_) >= count) {
            if (count) std::memcpy(buffer, readPos_, count);
            readPos_ += count;
            return;
        }
        ReadBufferSlow(buffer, count);
    }
    void WriteBuffer(const void* buffer, size_t count) { Write(buffer, count); }

protected:
    // A stream that reads through a buffer of its own shows its unread part here, so
    // that small exact reads are served without a call.
    const unsigned char* readPos_ = nullptr;
    const unsigned char* readEnd_ = nullptr;

private:
    void ReadBufferSlow(void* buffer, size_t count);
};

// "Ошибка записи потока"
std::string WriteErrorText();

enum class TFileMode { OpenRead, Create };

// A file opened for reading, or created anew (emptied when it exists).
// Opening raises "Не могу открыть файл %s" or "Не могу создать файл %s".
class TFileStream : public TStream {
public:
    TFileStream(const std::string& fileName, TFileMode mode);
    ~TFileStream() override;
    TFileStream(const TFileStream&) = delete;
    TFileStream& operator=(const TFileStream&) = delete;

    size_t Read(void* buffer, size_t count) override;
    void Write(const void* buffer, size_t count) override;
    int64_t Position() const override { return position_; }
    int64_t Size() const override { return size_; }
    size_t ReadAhead() const override { return size_t(size_ - position_); }
    // Closes the file, raising the write error when written data could not be kept.
    void Close();

private:
    std::FILE* file_ = nullptr;
    TFileMode mode_;
    int64_t position_ = 0;
    int64_t size_ = 0;
};

class TMemoryStream : public TStream {
public:
    TMemoryStream() = default;
    explicit TMemoryStream(std::string bytes) : data_(std::move(bytes)) {}
    size_t Read(void* buffer, size_t count) override;
    void Write(const void* buffer, size_t count) override;
    int64_t Position() const override { return int64_t(position_); }
    int64_t Size() const override { return int64_t(data_.size()); }
    size_t ReadAhead() const override { return data_.size() - position_; }
    void SetPosition(size_t position) { position_ = position < data_.size() ? position : data_.size(); }
    const std::string& Bytes() const { return data_; }

private:
    std::string data_;
    size_t position_ = 0;
};

inline constexpr size_t ZBufferSize = 65536;

// Levels 0..3: none, fastest, library default, maximum (zlib 0, 1, -1, 9).
int ZlibLevel(int level);

// Write-only: bytes go through deflate without flushing; Close finishes the zlib
// stream and writes what remains into the destination. A zlib failure raises an error.
class TCompressionStream : public TStream {
public:
    TCompressionStream(TStream& dest, int level);
    ~TCompressionStream() override;  // finishes the stream when Close was not called
    TCompressionStream(const TCompressionStream&) = delete;
    TCompressionStream& operator=(const TCompressionStream&) = delete;

    size_t Read(void* buffer, size_t count) override;  // raises: write-only
    void Write(const void* buffer, size_t count) override;
    int64_t Position() const override { return written_; }
    int64_t Size() const override { return written_; }
    void Close();

private:
    struct State;
    void Deflate(const unsigned char* data, size_t count, bool finish);
    std::unique_ptr<State> z_;
    TStream& dest_;
    std::unique_ptr<unsigned char[]> in_, out_;
    size_t inUsed_ = 0;
    int64_t written_ = 0;
    bool closed_ = false;
};

// Read-only: inflates the source stream; a read past the end of the data returns
// fewer bytes. Bytes after the end of the zlib stream are ignored. Damaged data
// raises an error.
class TDecompressionStream : public TStream {
public:
    explicit TDecompressionStream(TStream& source);
    ~TDecompressionStream() override;
    TDecompressionStream(const TDecompressionStream&) = delete;
    TDecompressionStream& operator=(const TDecompressionStream&) = delete;

    size_t Read(void* buffer, size_t count) override;
    void Write(const void* buffer, size_t count) override;  // raises: read-only
    int64_t Position() const override { return produced_ - int64_t(readEnd_ - readPos_); }
    int64_t Size() const override { return -1; }
    size_t ReadAhead() const override { return size_t(readEnd_ - readPos_); }
    // True once the end of the zlib stream has been reached.
    bool Finished() const { return finished_; }

private:
    struct State;
    size_t Inflate(unsigned char* dest, size_t count);
    std::unique_ptr<State> z_;
    TStream& source_;
    std::unique_ptr<unsigned char[]> in_, out_;
    int64_t produced_ = 0;  // bytes inflated so far
    bool sourceEnd_ = false;
    bool finished_ = false;
};
