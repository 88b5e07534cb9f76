#pragma once
// A multi-volume archive seen as one stream. Every volume has its own stretch of positions:
// volume d (0-based) starts at d * 2^40, so a (disk, offset) pair from the directory is one
// position, and volumes are opened only when a read reaches them. A read that runs off the end
// of a volume goes on at the start of the next one; a read past the last volume, or one whose
// volume cannot be had, ends short.
#include "archive/streams.h"

#include <cstdint>
#include <functional>
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

// How opening finds the volumes of an archive named by one file. A split archive's volumes are
// files beside each other: volume d (0-based) of "name.zip" is "name.z01", "name.z02", ... (zip
// naming) or "name.001", "name.002", ...; the last one keeps the archive's own name and holds the
// end record. A spanned archive has the same name on every disk.
class SplitVolumeFinder {
public:
    enum class Layout { Single, Split, Spanned };
    // Gives the last volume of the split archive a self-extractor begins, opened (beside it or
    // asked for); `name` is where it is looked for first and ends as the file opened.
    using LastVolumeRequest = std::function<std::unique_ptr<FileStream>(std::string& name)>;

    // Starts over for the archive file `fileName`; `zipNaming` is the naming tried first.
    void Start(const std::string& fileName, bool zipNaming);

    // Finds the end record: in `stream` (the file itself); for a self-extractor (".exe" in its
    // extension, in any case), on the last volume `requestLast` gives; else on the split volumes
    // before the file, the nearest first (a writer that filled a volume to the byte may have started
    // one it then had nothing to put on). On success `stream` is the file that holds the end record
    // and `lastDisk` its volume number.
    bool FindEnd(std::unique_ptr<FileStream>& stream, uint32_t& lastDisk, const LastVolumeRequest& requestLast);

    // How the volumes of an archive whose end record is on `lastDisk` are had: split when the first
    // volume lies beside the file, spanned when not. Without an end record (`found` false) it is
    // split when a first volume lies beside the file, a single file when not.
    Layout LayoutOf(bool found, uint32_t lastDisk);

    // The file of volume `disk` (0-based) of a split archive of `lastDisk + 1` volumes, by the
    // naming found. A self-extractor stands for the first volume when no such file is beside it.
    std::string VolumeName(uint32_t disk, uint32_t lastDisk) const { return VolumeName(disk, lastDisk, zipNaming_); }

private:
    std::string VolumeName(uint32_t disk, uint32_t lastDisk, bool zipNaming) const;
    // Whether the first volume is beside the file, in either naming (the one found is kept).
    bool FirstVolumeBeside(uint32_t lastDisk);
    bool FindEndInEarlierVolume(std::unique_ptr<FileStream>& stream, uint32_t& lastDisk);

    bool preferZipNaming_ = true;
    bool zipNaming_ = true;       // the naming found
    std::string fileName_;        // the file opened
    std::string base_;            // the name split volume names are made from
    std::string lastVolumeName_;  // the file that holds the end record
    std::string selfExtractor_;   // a self-extractor that stands for its split archive's first volume
};

}  // namespace archive
