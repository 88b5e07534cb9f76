#include "archive/volumes.h"

#include <algorithm>

namespace archive {
namespace {

constexpr uint64_t kOffsetMask = (uint64_t{1} << VolumeStream::kOffsetBits) - 1;

}  // namespace

VolumeStream::VolumeStream(VolumeSource& source, uint32_t lastDisk, std::unique_ptr<Stream> last)
    : source_(source),
      lastDisk_(std::min(lastDisk, kMaxDisks - 1)),
      lastSize_(last ? std::min<int64_t>(last->Size(), static_cast<int64_t>(kOffsetMask)) : 0),
      current_(std::move(last)),
      currentDisk_(lastDisk_),
      currentSize_(lastSize_) {}

int64_t VolumeStream::Address(uint64_t disk, uint64_t offset) const {
    // Past everything: reads there return nothing.
    if (disk > lastDisk_ || offset > kOffsetMask) return Size() + 1;
    return static_cast<int64_t>((disk << kOffsetBits) | offset);
}

Stream* VolumeStream::Volume(uint32_t disk) {
    if (disk > lastDisk_) return nullptr;
    if (current_ && currentDisk_ == disk) return current_.get();
    // One volume is open at a time: a spanned archive has only one drive to put disks into.
    current_.reset();
    current_ = source_.OpenVolume(disk, lastDisk_);
    if (!current_) {
        missing_ = true;
        return nullptr;
    }
    currentDisk_ = disk;
    currentSize_ = std::min<int64_t>(current_->Size(), static_cast<int64_t>(kOffsetMask));
    return current_.get();
}

size_t VolumeStream::Read(void* buffer, size_t count) {
    size_t done = 0;
    while (done < count) {
        const uint64_t disk = static_cast<uint64_t>(position_) >> kOffsetBits;
        const int64_t offset = static_cast<int64_t>(static_cast<uint64_t>(position_) & kOffsetMask);
        if (disk > lastDisk_) break;
        Stream* volume = Volume(static_cast<uint32_t>(disk));
        if (!volume) break;
        if (offset >= currentSize_) {
            // Runs off this volume: the rest is at the start of the next one.
            if (disk == lastDisk_) break;
            position_ = static_cast<int64_t>(((disk + 1) << kOffsetBits) | static_cast<uint64_t>(offset - currentSize_));
            continue;
        }
        const size_t want = static_cast<size_t>(std::min<int64_t>(static_cast<int64_t>(count - done), currentSize_ - offset));
        volume->Seek(offset);
        const size_t got = volume->Read(static_cast<unsigned char*>(buffer) + done, want);
        done += got;
        position_ += static_cast<int64_t>(got);
        if (got < want) break;
    }
    return done;
}

}  // namespace archive
