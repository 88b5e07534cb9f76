#include "archive/volumes.h"

#include "archive/os.h"
#include "archive/zip_directory.h"

#include <algorithm>
#include <cctype>
#include <optional>

namespace archive {
namespace {

constexpr uint64_t kOffsetMask = (uint64_t{1} << VolumeStream::kOffsetBits) - 1;

// The part of `name` after its last `separator`; all of it when there is none.
std::string PartAfter(const std::string& name, char separator) {
    const size_t at = name.rfind(separator);
    return at == std::string::npos ? name : name.substr(at + 1);
}

// A possible self-extractor: the file's extension contains ".exe", in any case.
bool IsSelfExtractorName(const std::string& path) {
    const size_t folder = path.find_last_of("\\/:");
    const std::string name = folder == std::string::npos ? path : path.substr(folder + 1);
    const size_t dot = name.rfind('.');
    if (dot == std::string::npos) return false;
    std::string extension = name.substr(dot);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension.find(".exe") != std::string::npos;
}

// The disk that holds the end record, counted from 0: its own field, or the Zip64 locator's
// count of disks when that field overflowed.
uint32_t LastDiskOf(Stream& stream, int64_t endRecordPosition, const TEndRecord& record) {
    if (record.DiskNumber != 0xFFFF || endRecordPosition < static_cast<int64_t>(kZip64LocatorSize))
        return record.DiskNumber;
    unsigned char locator[kZip64LocatorSize];
    stream.Seek(endRecordPosition - static_cast<int64_t>(kZip64LocatorSize));
    if (stream.Read(locator, sizeof(locator)) != sizeof(locator) || Get32(locator) != kZip64LocatorSignature)
        return record.DiskNumber;
    const uint32_t disks = Get32(locator + 16);
    return disks > 0 ? disks - 1 : 0;
}

// The disk the end record of `stream` says it is on; nothing when there is no end record.
std::optional<uint32_t> EndRecordDisk(Stream& stream) {
    int64_t position = 0;
    TEndRecord record;
    std::string comment;
    if (!FindEndRecord(stream, kEndRecordSignature, position, record, comment)) return std::nullopt;
    return LastDiskOf(stream, position, record);
}

std::unique_ptr<FileStream> OpenForReading(const std::string& name) {
    auto file = os::OpenFile(name, os::OpenAccess::Read, os::Share::DenyNone);
    return file ? std::make_unique<FileStream>(std::move(file)) : nullptr;
}

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

// ---- SplitVolumeFinder ----

void SplitVolumeFinder::Start(const std::string& fileName, bool zipNaming) {
    preferZipNaming_ = zipNaming_ = zipNaming;
    fileName_ = base_ = lastVolumeName_ = fileName;
    selfExtractor_.clear();
}

bool SplitVolumeFinder::FindEnd(std::unique_ptr<FileStream>& stream, uint32_t& lastDisk,
                                const LastVolumeRequest& requestLast) {
    std::optional<uint32_t> end = EndRecordDisk(*stream);
    if (!end && IsSelfExtractorName(fileName_)) {
        // A self-extractor holds a whole archive, or stands for the first volume of a split one
        // whose last volume, the same name with ".zip" for ".exe", holds the end record.
        std::string name = fileName_.substr(0, fileName_.size() - PartAfter(fileName_, '.').size()) + "zip";
        std::unique_ptr<FileStream> last = requestLast(name);
        if (last && (end = EndRecordDisk(*last))) {
            selfExtractor_ = fileName_;
            base_ = lastVolumeName_ = name;  // its volumes are named after it
            stream = std::move(last);
        }
    }
    lastDisk = 0;
    if (!end && FirstVolumeBeside(VolumeStream::kMaxDisks)) {
        // A split archive whose end record is on an earlier volume than this file.
        if (!FindEndInEarlierVolume(stream, lastDisk)) return false;
        end = EndRecordDisk(*stream);
    }
    if (end && lastDisk == 0) lastDisk = *end;
    return end.has_value();
}

SplitVolumeFinder::Layout SplitVolumeFinder::LayoutOf(bool found, uint32_t lastDisk) {
    if (found && lastDisk == 0) return Layout::Single;
    if (FirstVolumeBeside(lastDisk + 1)) return Layout::Split;
    return found ? Layout::Spanned : Layout::Single;
}

std::string SplitVolumeFinder::VolumeName(uint32_t disk, uint32_t lastDisk, bool zipNaming) const {
    if (disk == lastDisk) return lastVolumeName_;
    const std::string extension = PartAfter(base_, '.');
    const bool hasExtension = extension.size() < base_.size() && extension.find_first_of("\\/") == std::string::npos;
    const std::string base = hasExtension ? base_.substr(0, base_.size() - extension.size()) : base_ + ".";
    std::string number = std::to_string(disk + 1);
    const size_t digits = zipNaming ? 2 : 3;
    if (number.size() < digits) number.insert(0, digits - number.size(), '0');
    const std::string name = base + (zipNaming ? "z" : "") + number;
    if (disk == 0 && !selfExtractor_.empty() && !os::FileExists(name)) return selfExtractor_;
    return name;
}

bool SplitVolumeFinder::FirstVolumeBeside(uint32_t lastDisk) {
    zipNaming_ = preferZipNaming_;
    if (os::FileExists(VolumeName(0, lastDisk, zipNaming_))) return true;
    if (!os::FileExists(VolumeName(0, lastDisk, !zipNaming_))) return false;
    zipNaming_ = !zipNaming_;
    return true;
}

bool SplitVolumeFinder::FindEndInEarlierVolume(std::unique_ptr<FileStream>& stream, uint32_t& lastDisk) {
    // This file follows every volume beside it: look back one volume at a time.
    constexpr uint32_t kUnknown = VolumeStream::kMaxDisks;
    uint32_t beside = 0;
    while (beside + 1 < VolumeStream::kMaxDisks && os::FileExists(VolumeName(beside, kUnknown, zipNaming_))) ++beside;
    for (uint32_t disk = beside; disk-- > 0;) {
        const std::string name = VolumeName(disk, kUnknown, zipNaming_);
        auto volume = OpenForReading(name);
        if (!volume) return false;
        const std::optional<uint32_t> end = EndRecordDisk(*volume);
        if (!end) continue;
        // Only the end record of the volume it says it is on ends the archive.
        if (*end != disk) return false;
        stream = std::move(volume);
        lastDisk = disk;
        lastVolumeName_ = name;
        return true;
    }
    return false;
}

}  // namespace archive
