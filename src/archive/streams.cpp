#include "archive/streams.h"

#include "archive/errors.h"

#include <algorithm>
#include <cstring>

namespace archive {

void Stream::ReadBuffer(void* buffer, size_t count) {
    if (count != 0 && Read(buffer, count) != count) throw EReadError();
}

int64_t Stream::Remaining() const {
    const int64_t left = Size() - Position();
    return left > 0 ? left : 0;
}

MemoryStream::MemoryStream(const void* data, size_t size)
    : view_(static_cast<const unsigned char*>(data)), viewSize_(size) {
    // An empty view still counts as a view: it must never be written.
    if (!view_) view_ = reinterpret_cast<const unsigned char*>("");
}

size_t MemoryStream::Read(void* buffer, size_t count) {
    const int64_t size = Size();
    if (position_ >= size) return 0;
    const size_t n = static_cast<size_t>(std::min<int64_t>(static_cast<int64_t>(count), size - position_));
    const unsigned char* base = view_ ? view_ : bytes_.data();
    if (n) std::memcpy(buffer, base + position_, n);
    position_ += static_cast<int64_t>(n);
    return n;
}

size_t MemoryStream::Write(const void* buffer, size_t count) {
    if (view_ || count == 0) return 0;
    const size_t at = static_cast<size_t>(position_);
    if (at >= limit_) return 0;
    const size_t n = std::min(count, limit_ - at);
    if (bytes_.size() < at + n) bytes_.resize(at + n);
    std::memcpy(bytes_.data() + at, buffer, n);
    position_ += static_cast<int64_t>(n);
    return n;
}

FileStream::FileStream(std::unique_ptr<os::File> file) : file_(std::move(file)) {}

size_t FileStream::Read(void* buffer, size_t count) {
    const size_t n = file_->Read(buffer, count);
    position_ += static_cast<int64_t>(n);
    return n;
}

size_t FileStream::Write(const void* buffer, size_t count) {
    const size_t n = file_->Write(buffer, count);
    position_ += static_cast<int64_t>(n);
    return n;
}

void FileStream::Seek(int64_t position) {
    if (position < 0) position = 0;
    file_->Seek(position);
    position_ = position;
}

int64_t FileStream::Size() const { return file_->Size(); }

}  // namespace archive
