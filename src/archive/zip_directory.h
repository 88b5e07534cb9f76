#pragma once
// The in-memory directory of an open ZIP archive: finding the end record, loading the central
// directory, and placing the entries when data stands in front of the archive.
#include "archive/streams.h"

#include <cstdint>
#include <string>
#include <vector>

namespace archive {

constexpr uint32_t kLocalHeaderSignature = 0x04034b50;
constexpr uint32_t kCentralHeaderSignature = 0x02014b50;
constexpr uint32_t kEndRecordSignature = 0x06054b50;
constexpr uint32_t kZip64EndRecordSignature = 0x06064b50;
constexpr uint32_t kZip64LocatorSignature = 0x07064b50;

constexpr size_t kLocalHeaderSize = 30;
constexpr size_t kCentralHeaderSize = 46;
constexpr size_t kEndRecordSize = 22;
constexpr size_t kZip64EndRecordSize = 56;
constexpr size_t kZip64LocatorSize = 20;
// The longest name kept; longer names are read whole and cut.
constexpr size_t kMaxNameLength = 256;

// Little-endian fields of the on-disk records.
inline uint16_t Get16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
inline uint32_t Get32(const unsigned char* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
}
inline uint64_t Get64(const unsigned char* p) { return Get32(p) | (static_cast<uint64_t>(Get32(p + 4)) << 32); }

// The 46-byte central directory file header.
struct TCentralHeader {
    uint32_t Signature = kCentralHeaderSignature;
    uint16_t VersionMadeBy = 0;
    uint16_t VersionNeeded = 0;
    uint16_t Flags = 0;
    uint16_t Method = 0;
    uint16_t Time = 0;
    uint16_t Date = 0;
    uint32_t Crc32 = 0;
    uint32_t CompressedSize = 0;
    uint32_t UncompressedSize = 0;
    uint16_t NameLength = 0;
    uint16_t ExtraLength = 0;
    uint16_t CommentLength = 0;
    uint16_t StartDisk = 0;
    uint16_t InternalAttributes = 0;
    uint32_t ExternalAttributes = 0;
    uint32_t LocalHeaderOffset = 0;

    static TCentralHeader Parse(const unsigned char* p);
};

// The 22 fixed bytes of the end of central directory record.
struct TEndRecord {
    uint32_t Signature = kEndRecordSignature;
    uint16_t DiskNumber = 0;
    uint16_t DirectoryDisk = 0;
    uint16_t EntriesOnDisk = 0;
    uint16_t TotalEntries = 0;
    uint32_t DirectorySize = 0;
    uint32_t DirectoryOffset = 0;
    uint16_t CommentLength = 0;

    static TEndRecord Parse(const unsigned char* p);
    void Store(unsigned char* p) const;
};

struct TZip64EndRecord {
    uint32_t Signature = 0;
    uint64_t RecordSize = 0;
    uint16_t VersionMadeBy = 0;
    uint16_t VersionNeeded = 0;
    uint32_t DiskNumber = 0;
    uint32_t DirectoryDisk = 0;
    uint64_t EntriesOnDisk = 0;
    uint64_t TotalEntries = 0;
    uint64_t DirectorySize = 0;
    uint64_t DirectoryOffset = 0;
};

// One block of an extra field as read.
struct TExtraBlock {
    uint16_t HeaderID = 0;
    uint16_t Size = 0;
    std::vector<unsigned char> Data;
};

struct TDirItem {
    TCentralHeader Header;
    std::string Name;  // ANSI, folders separated by "/"
    std::string Comment;
    std::vector<TExtraBlock> Extra;
    // From a Zip64 extended information block.
    bool Zip64 = false;
    uint64_t Zip64UncompressedSize = 0;
    uint64_t Zip64CompressedSize = 0;
    uint64_t Zip64LocalHeaderOffset = 0;
    uint32_t Zip64StartDisk = 0;
    bool Selected = false;
    // Used only when writing archives.
    std::string NewName;
    std::string Password;
    std::string SourceFileName;
    int CompressionMode = 0;
    int Operation = 0;

    // The sizes and offset in force: the Zip64 value where the 32-bit field holds 0xFFFFFFFF.
    uint64_t UncompressedSize() const;
    uint64_t CompressedSize() const;
    uint64_t LocalHeaderOffset() const;
    void MoveLocalHeader(uint64_t by);
    // Date in the high half, time in the low half.
    uint32_t DosDateTime() const { return (static_cast<uint32_t>(Header.Date) << 16) | Header.Time; }
    bool IsFolder() const { return (Header.ExternalAttributes & 0x10) != 0; }
    bool Encrypted() const { return (Header.Flags & 1) != 0; }
};

class TZADirArray {
public:
    int Count() const { return static_cast<int>(items_.size()); }
    TDirItem& operator[](int index) { return items_[static_cast<size_t>(index)]; }
    const TDirItem& operator[](int index) const { return items_[static_cast<size_t>(index)]; }
    void Add(TDirItem item) { items_.push_back(std::move(item)); }
    void Clear() { items_.clear(); }

private:
    std::vector<TDirItem> items_;
};

// Finds the end record by its signature: the last candidate from the end whose comment length
// reaches exactly to the end of the stream. Sets `position`, `record` and `comment` when found.
bool FindEndRecord(Stream& stream, uint32_t signature, int64_t& position, TEndRecord& record, std::string& comment);

class VolumeStream;

class TZADirManager {
public:
    // The stream is not owned and must outlive the manager.
    explicit TZADirManager(Stream& stream) : stream_(&stream) {}
    // A multi-volume archive: offsets in the directory are taken on the disks it names.
    explicit TZADirManager(VolumeStream& volumes);

    // Loads the directory. Without an end record, `recoverCorrupted` rebuilds the items from the
    // local headers; otherwise the reader throws. Throws EReadError for a directory cut short and
    // EZAException 40 (Zip64 record missing) or 35 (nothing to recover).
    void ReadDirectory(bool recoverCorrupted);

    Stream& ArchiveStream() { return *stream_; }
    bool MultiVolume() const { return volumes_ != nullptr; }
    // Where the entry's local header starts in ArchiveStream().
    uint64_t EntryPosition(const TDirItem& item) const;
    TZADirArray Items;     // the entries as read
    TZADirArray NewItems;  // entries being written
    TEndRecord EndRecord;
    int64_t EndRecordPosition = -1;
    std::string Comment;
    bool Zip64 = false;
    TZip64EndRecord Zip64EndRecord;
    int64_t Displacement = 0;

private:
    void ReadEntries(int64_t position, uint64_t count);
    void ReadMultiVolumeDirectory();
    void ReadZip64EndRecord(int64_t position);
    void ComputeDisplacement();
    void RecoverFromLocalHeaders();

    Stream* stream_;
    VolumeStream* volumes_ = nullptr;
};

// General-purpose flag bit 11: the name and comment are UTF-8.
constexpr uint16_t kUtf8NameFlag = 0x0800;

// Reads a name of `length` bytes at the stream's position: kept up to its first zero byte and
// its first kMaxNameLength bytes, converted from the OEM code page (from UTF-8 when `utf8`,
// flag bit 11), backslashes made slashes. Throws EReadError when the stream holds fewer bytes.
std::string ReadEntryName(Stream& stream, size_t length, bool utf8);

}  // namespace archive
