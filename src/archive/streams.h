#pragma once
// Byte streams the reader and decoder work on: memory for tests and the fuzzer, files otherwise.
#include "archive/os.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace archive {

class Stream {
public:
    virtual ~Stream() = default;
    // Bytes actually read or written; fewer at the end of the stream or on a failure.
    virtual size_t Read(void* buffer, size_t count) = 0;
    virtual size_t Write(const void* buffer, size_t count) = 0;
    // Positions past the end are allowed; reads there return nothing.
    virtual void Seek(int64_t position) = 0;
    virtual int64_t Position() const = 0;
    virtual int64_t Size() const = 0;

    // Reads exactly `count` bytes or throws EReadError.
    void ReadBuffer(void* buffer, size_t count);
    // Bytes from the current position to the end (0 when past it).
    int64_t Remaining() const;
};

// A growable stream in memory; it may also read a block it does not own.
class MemoryStream final : public Stream {
public:
    MemoryStream() = default;
    // A read-only view of `size` bytes at `data`, which must outlive the stream.
    MemoryStream(const void* data, size_t size);

    size_t Read(void* buffer, size_t count) override;
    size_t Write(const void* buffer, size_t count) override;
    void Seek(int64_t position) override { position_ = position < 0 ? 0 : position; }
    int64_t Position() const override { return position_; }
    int64_t Size() const override { return static_cast<int64_t>(view_ ? viewSize_ : bytes_.size()); }

    // The bytes written (only for a stream that owns its bytes).
    const std::vector<unsigned char>& Bytes() const { return bytes_; }
    std::string Text() const { return std::string(bytes_.begin(), bytes_.end()); }
    // Caps what may be written; further writes write nothing. For tests of a full disk.
    void LimitSize(size_t limit) { limit_ = limit; }

private:
    std::vector<unsigned char> bytes_;
    const unsigned char* view_ = nullptr;
    size_t viewSize_ = 0;
    int64_t position_ = 0;
    size_t limit_ = SIZE_MAX;
};

// A stream over an open file; owns the file.
class FileStream final : public Stream {
public:
    explicit FileStream(std::unique_ptr<os::File> file);

    size_t Read(void* buffer, size_t count) override;
    size_t Write(const void* buffer, size_t count) override;
    void Seek(int64_t position) override;
    int64_t Position() const override { return position_; }
    int64_t Size() const override;
    os::File& File() { return *file_; }

private:
    std::unique_ptr<os::File> file_;
    int64_t position_ = 0;
};

}  // namespace archive
