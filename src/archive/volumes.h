#pragma once
// A multi-volume archive seen as one stream. Every volume has its own stretch of positions:
// volume d (0-based) starts at d * 2^40, so a (disk, offset) pair from the directory is one
// position, and volumes are opened only when a read reaches them. A read that runs off the end
// of a volume goes on at the start of the next one; a read past the last volume, or one whose
// volume cannot be had, ends short.
#include "archive/streams.h"

#include <cstdint>
#include <memory>
#include <string>

namespace archive {

// Where the volumes come from: files beside each other, disks the user inserts, or memory.
class VolumeSource {
public:
    virtual ~VolumeSource() = default;
    // Volume `disk` (0-based) of `lastDisk + 1`; nullptr when it cannot be had (missing, or the
    // user cancelled).
    virtual std::unique_ptr<Stream> OpenVolume(uint32_t disk, uint32_t lastDisk) = 0;
};

class VolumeStream final : public Stream {
public:
    static constexpr int kOffsetBits = 40;
    // More volumes than this are not taken for an archive (the positions must fit).
    static constexpr uint32_t kMaxDisks = 1u << 20;

    // `last` is the last volume, already open (the file that holds the end record); nullptr
    // makes it empty.
    VolumeStream(VolumeSource& source, uint32_t lastDisk, std::unique_ptr<Stream> last);

    // The position of `offset` on volume `disk`; past the end for a disk or offset out of range.
    int64_t Address(uint64_t disk, uint64_t offset) const;
    uint32_t LastDisk() const { return lastDisk_; }
    // The volume of `disk` itself, opened if needed; nullptr when it cannot be had.
    Stream* Volume(uint32_t disk);
    // Whether a volume could not be had since the last ClearFailure.
    bool VolumeMissing() const { return missing_; }
    void ClearFailure() { missing_ = false; }

    size_t Read(void* buffer, size_t count) override;
    size_t Write(const void*, size_t) override { return 0; }
    void Seek(int64_t position) override { position_ = position < 0 ? 0 : position; }
    int64_t Position() const override { return position_; }
    int64_t Size() const override {
        return static_cast<int64_t>((static_cast<uint64_t>(lastDisk_) << kOffsetBits) | static_cast<uint64_t>(lastSize_));
    }

private:
    VolumeSource& source_;
    const uint32_t lastDisk_;
    const int64_t lastSize_;
    std::unique_ptr<Stream> current_;
    uint32_t currentDisk_;
    int64_t currentSize_;
    int64_t position_ = 0;
    bool missing_ = false;
};

}  // namespace archive
