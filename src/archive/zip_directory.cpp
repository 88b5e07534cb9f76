#include "archive/zip_directory.h"

#include "archive/errors.h"
#include "archive/os.h"
#include "archive/volumes.h"

#include <algorithm>
#include <cstring>
#include <climits>
#include <functional>

namespace archive {
namespace {

constexpr size_t kEndSearchWindow = 65600;
constexpr size_t kScanWindow = 65535;
constexpr size_t kScanOverlap = 4;

// Calls `hit` with the position of every occurrence of `signature` from `start` on, in order,
// until it returns true. Reads the stream in overlapping windows; `hit` may move the stream.
void ScanForSignature(Stream& stream, int64_t start, uint32_t signature, const std::function<bool(int64_t)>& hit) {
    const int64_t size = stream.Size();
    std::vector<unsigned char> window(kScanWindow);
    int64_t at = start;
    while (at < size) {
        stream.Seek(at);
        const size_t got = stream.Read(window.data(), window.size());
        if (got < 4) return;
        for (size_t i = 0; i + 4 <= got; ++i) {
            if (Get32(window.data() + i) == signature && hit(at + static_cast<int64_t>(i))) return;
        }
        if (got < window.size()) return;
        at += static_cast<int64_t>(got - kScanOverlap + 1);
    }
}

}  // namespace

TCentralHeader TCentralHeader::Parse(const unsigned char* p) {
    TCentralHeader h;
    h.Signature = Get32(p);
    h.VersionMadeBy = Get16(p + 4);
    h.VersionNeeded = Get16(p + 6);
    h.Flags = Get16(p + 8);
    h.Method = Get16(p + 10);
    h.Time = Get16(p + 12);
    h.Date = Get16(p + 14);
    h.Crc32 = Get32(p + 16);
    h.CompressedSize = Get32(p + 20);
    h.UncompressedSize = Get32(p + 24);
    h.NameLength = Get16(p + 28);
    h.ExtraLength = Get16(p + 30);
    h.CommentLength = Get16(p + 32);
    h.StartDisk = Get16(p + 34);
    h.InternalAttributes = Get16(p + 36);
    h.ExternalAttributes = Get32(p + 38);
    h.LocalHeaderOffset = Get32(p + 42);
    return h;
}

TEndRecord TEndRecord::Parse(const unsigned char* p) {
    TEndRecord r;
    r.Signature = Get32(p);
    r.DiskNumber = Get16(p + 4);
    r.DirectoryDisk = Get16(p + 6);
    r.EntriesOnDisk = Get16(p + 8);
    r.TotalEntries = Get16(p + 10);
    r.DirectorySize = Get32(p + 12);
    r.DirectoryOffset = Get32(p + 16);
    r.CommentLength = Get16(p + 20);
    return r;
}

void TEndRecord::Store(unsigned char* p) const {
    auto put16 = [](unsigned char* q, uint16_t v) {
        q[0] = static_cast<unsigned char>(v);
        q[1] = static_cast<unsigned char>(v >> 8);
    };
    auto put32 = [&](unsigned char* q, uint32_t v) {
        put16(q, static_cast<uint16_t>(v));
        put16(q + 2, static_cast<uint16_t>(v >> 16));
    };
    put32(p, Signature);
    put16(p + 4, DiskNumber);
    put16(p + 6, DirectoryDisk);
    put16(p + 8, EntriesOnDisk);
    put16(p + 10, TotalEntries);
    put32(p + 12, DirectorySize);
    put32(p + 16, DirectoryOffset);
    put16(p + 20, CommentLength);
}

uint64_t TDirItem::UncompressedSize() const {
    return Header.UncompressedSize == 0xFFFFFFFFu ? Zip64UncompressedSize : Header.UncompressedSize;
}

uint64_t TDirItem::CompressedSize() const {
    return Header.CompressedSize == 0xFFFFFFFFu ? Zip64CompressedSize : Header.CompressedSize;
}

uint64_t TDirItem::LocalHeaderOffset() const {
    return Header.LocalHeaderOffset == 0xFFFFFFFFu ? Zip64LocalHeaderOffset : Header.LocalHeaderOffset;
}

void TDirItem::MoveLocalHeader(uint64_t by) {
    const uint64_t moved = LocalHeaderOffset() + by;
    if (Header.LocalHeaderOffset != 0xFFFFFFFFu && moved < 0xFFFFFFFFu) {
        Header.LocalHeaderOffset = static_cast<uint32_t>(moved);
    } else {
        Header.LocalHeaderOffset = 0xFFFFFFFFu;
        Zip64LocalHeaderOffset = moved;
    }
}

std::string ReadEntryName(Stream& stream, size_t length, bool utf8) {
    if (static_cast<uint64_t>(stream.Remaining()) < length) throw EReadError();
    std::string raw(length, '\0');
    stream.ReadBuffer(raw.data(), length);
    const size_t zero = raw.find('\0');
    if (zero != std::string::npos) raw.resize(zero);
    if (raw.size() > kMaxNameLength) raw.resize(kMaxNameLength);
    std::string name = utf8 ? os::Utf8ToAnsiText(raw) : os::OemToAnsiText(raw);
    std::replace(name.begin(), name.end(), '\\', '/');
    return name;
}

bool FindEndRecord(Stream& stream, uint32_t signature, int64_t& position, TEndRecord& record, std::string& comment) {
    const int64_t size = stream.Size();
    const size_t windowSize = static_cast<size_t>(std::min<int64_t>(size, kEndSearchWindow));
    if (windowSize < 4) return false;
    const int64_t windowStart = size - static_cast<int64_t>(windowSize);
    std::vector<unsigned char> window(windowSize);
    stream.Seek(windowStart);
    stream.ReadBuffer(window.data(), windowSize);
    for (size_t i = windowSize - 4 + 1; i-- > 0;) {
        if (Get32(window.data() + i) != signature) continue;
        const int64_t at = windowStart + static_cast<int64_t>(i);
        const int64_t after = size - at;
        if (after < static_cast<int64_t>(kEndRecordSize)) continue;
        const TEndRecord candidate = TEndRecord::Parse(window.data() + i);
        if (candidate.CommentLength != after - static_cast<int64_t>(kEndRecordSize)) continue;
        position = at;
        record = candidate;
        // The window always holds the comment: 65,600 bytes cover the record and 65,535 more.
        comment.assign(reinterpret_cast<const char*>(window.data() + i + kEndRecordSize), candidate.CommentLength);
        return true;
    }
    return false;
}

TZADirManager::TZADirManager(VolumeStream& volumes) : stream_(&volumes), volumes_(&volumes) {}

uint64_t TZADirManager::EntryPosition(const TDirItem& item) const {
    if (!volumes_) return item.LocalHeaderOffset();
    const uint32_t disk = item.Header.StartDisk == 0xFFFF ? item.Zip64StartDisk : item.Header.StartDisk;
    return static_cast<uint64_t>(volumes_->Address(disk, item.LocalHeaderOffset()));
}

void TZADirManager::ReadZip64EndRecord(int64_t position) {
    unsigned char record[kZip64EndRecordSize] = {};
    bool found = false;
    if (position >= 0 && position <= stream_->Size()) {
        stream_->Seek(position);
        found = stream_->Read(record, sizeof(record)) == sizeof(record) && Get32(record) == kZip64EndRecordSignature;
    }
    if (!found) throw EZAException(neZip64EndRecordMissing, std::string());
    Zip64 = true;
    Zip64EndRecord.Signature = Get32(record);
    Zip64EndRecord.RecordSize = Get64(record + 4);
    Zip64EndRecord.VersionMadeBy = Get16(record + 12);
    Zip64EndRecord.VersionNeeded = Get16(record + 14);
    Zip64EndRecord.DiskNumber = Get32(record + 16);
    Zip64EndRecord.DirectoryDisk = Get32(record + 20);
    Zip64EndRecord.EntriesOnDisk = Get64(record + 24);
    Zip64EndRecord.TotalEntries = Get64(record + 32);
    Zip64EndRecord.DirectorySize = Get64(record + 40);
    Zip64EndRecord.DirectoryOffset = Get64(record + 48);
}

void TZADirManager::ReadDirectory(bool recoverCorrupted) {
    Items.Clear();
    Displacement = 0;
    Zip64 = false;
    Zip64EndRecord = TZip64EndRecord();
    Comment.clear();
    if (volumes_) {
        ReadMultiVolumeDirectory();
        return;
    }
    if (!FindEndRecord(*stream_, kEndRecordSignature, EndRecordPosition, EndRecord, Comment)) {
        EndRecordPosition = -1;
        if (!recoverCorrupted) throw EReadError();
        RecoverFromLocalHeaders();
        return;
    }

    int64_t directoryEnd = EndRecordPosition;
    uint64_t directorySize = EndRecord.DirectorySize;
    uint64_t count = EndRecord.TotalEntries;
    if (EndRecordPosition >= static_cast<int64_t>(kZip64LocatorSize)) {
        unsigned char locator[kZip64LocatorSize];
        stream_->Seek(EndRecordPosition - static_cast<int64_t>(kZip64LocatorSize));
        stream_->ReadBuffer(locator, sizeof(locator));
        if (Get32(locator) == kZip64LocatorSignature) {
            const uint64_t at = Get64(locator + 8);
            ReadZip64EndRecord(at > static_cast<uint64_t>(INT64_MAX) ? -1 : static_cast<int64_t>(at));
            directoryEnd = static_cast<int64_t>(at);
            directorySize = Zip64EndRecord.DirectorySize;
            count = Zip64EndRecord.TotalEntries;
        }
    }
    // The directory ends where the end record starts; its recorded offset is not trusted, so
    // archives with data in front of them still read.
    if (directorySize > static_cast<uint64_t>(directoryEnd)) throw EReadError();
    ReadEntries(directoryEnd - static_cast<int64_t>(directorySize), count);
    ComputeDisplacement();
}

void TZADirManager::ReadMultiVolumeDirectory() {
    // Volumes are numbered, so offsets are exact: the directory starts where the end record
    // says, on the disk it names, and there is nothing in front of the first volume to allow for.
    const uint32_t last = volumes_->LastDisk();
    Stream* lastVolume = volumes_->Volume(last);
    int64_t at = -1;
    if (!lastVolume || !FindEndRecord(*lastVolume, kEndRecordSignature, at, EndRecord, Comment)) throw EReadError();
    EndRecordPosition = volumes_->Address(last, static_cast<uint64_t>(at));
    uint64_t directoryDisk = EndRecord.DirectoryDisk;
    uint64_t directoryOffset = EndRecord.DirectoryOffset;
    uint64_t count = EndRecord.TotalEntries;
    if (at >= static_cast<int64_t>(kZip64LocatorSize)) {
        unsigned char locator[kZip64LocatorSize];
        stream_->Seek(volumes_->Address(last, static_cast<uint64_t>(at) - kZip64LocatorSize));
        stream_->ReadBuffer(locator, sizeof(locator));
        if (Get32(locator) == kZip64LocatorSignature) {
            ReadZip64EndRecord(volumes_->Address(Get32(locator + 4), Get64(locator + 8)));
            directoryDisk = Zip64EndRecord.DirectoryDisk;
            directoryOffset = Zip64EndRecord.DirectoryOffset;
            count = Zip64EndRecord.TotalEntries;
        }
    }
    ReadEntries(volumes_->Address(directoryDisk, directoryOffset), count);
}

void TZADirManager::ReadEntries(int64_t position, uint64_t count) {
    stream_->Seek(position);
    unsigned char raw[kCentralHeaderSize];
    // Every entry takes at least 46 bytes, so a count the stream cannot hold ends in a read error
    // long before memory runs out.
    for (uint64_t n = 0; n < count; ++n) {
        stream_->ReadBuffer(raw, sizeof(raw));
        TDirItem item;
        item.Header = TCentralHeader::Parse(raw);
        // A start disk kept in a Zip64 block that is missing: a disk no archive has.
        if (item.Header.StartDisk == 0xFFFF) item.Zip64StartDisk = 0xFFFFFFFFu;
        item.Name = ReadEntryName(*stream_, item.Header.NameLength, (item.Header.Flags & kUtf8NameFlag) != 0);

        if (static_cast<uint64_t>(stream_->Remaining()) < item.Header.ExtraLength) throw EReadError();
        std::vector<unsigned char> extra(item.Header.ExtraLength);
        stream_->ReadBuffer(extra.data(), extra.size());
        size_t at = 0;
        while (extra.size() - at >= 4) {
            TExtraBlock block;
            block.HeaderID = Get16(extra.data() + at);
            const size_t left = extra.size() - at - 4;
            block.Size = static_cast<uint16_t>(std::min<size_t>(Get16(extra.data() + at + 2), left));
            block.Data.assign(extra.begin() + static_cast<long>(at + 4),
                              extra.begin() + static_cast<long>(at + 4 + block.Size));
            at += 4 + block.Size;
            if (block.HeaderID == 1) {
                item.Zip64 = true;
                const unsigned char* p = block.Data.data();
                size_t have = block.Data.size();
                auto take64 = [&](uint64_t& to) {
                    if (have < 8) return;
                    to = Get64(p);
                    p += 8;
                    have -= 8;
                };
                if (item.Header.UncompressedSize == 0xFFFFFFFFu) take64(item.Zip64UncompressedSize);
                if (item.Header.CompressedSize == 0xFFFFFFFFu) take64(item.Zip64CompressedSize);
                if (item.Header.LocalHeaderOffset == 0xFFFFFFFFu) take64(item.Zip64LocalHeaderOffset);
                if (item.Header.StartDisk == 0xFFFF && have >= 4) item.Zip64StartDisk = Get32(p);
            }
            item.Extra.push_back(std::move(block));
        }

        if (static_cast<uint64_t>(stream_->Remaining()) < item.Header.CommentLength) throw EReadError();
        item.Comment.resize(item.Header.CommentLength);
        stream_->ReadBuffer(item.Comment.data(), item.Comment.size());
        Items.Add(std::move(item));
    }
}

void TZADirManager::ComputeDisplacement() {
    if (Items.Count() == 0) {
        Displacement = EndRecordPosition;
        return;
    }
    const TDirItem& first = Items[0];
    const uint64_t recorded = first.LocalHeaderOffset();
    if (recorded >= static_cast<uint64_t>(stream_->Size())) return;
    int64_t found = -1;
    ScanForSignature(*stream_, static_cast<int64_t>(recorded), kLocalHeaderSignature, [&](int64_t at) {
        unsigned char local[kLocalHeaderSize];
        stream_->Seek(at);
        if (stream_->Read(local, sizeof(local)) != sizeof(local)) return false;
        if (stream_->Remaining() < Get16(local + 26)) return false;
        const TCentralHeader& h = first.Header;
        if (Get16(local + 4) != h.VersionNeeded || Get16(local + 6) != h.Flags || Get16(local + 8) != h.Method ||
            Get16(local + 10) != h.Time || Get16(local + 12) != h.Date || Get32(local + 14) != h.Crc32 ||
            Get32(local + 18) != h.CompressedSize || Get32(local + 22) != h.UncompressedSize)
            return false;
        found = at;
        return true;
    });
    if (found < 0) return;
    Displacement = found - static_cast<int64_t>(recorded);
    if (Displacement == 0) return;
    for (int i = 0; i < Items.Count(); ++i)
        if (!Items[i].IsFolder()) Items[i].MoveLocalHeader(static_cast<uint64_t>(Displacement));
}

void TZADirManager::RecoverFromLocalHeaders() {
    bool any = false;
    ScanForSignature(*stream_, 0, kLocalHeaderSignature, [&](int64_t at) {
        any = true;
        unsigned char local[kLocalHeaderSize];
        stream_->Seek(at);
        if (stream_->Read(local, sizeof(local)) != sizeof(local)) return false;
        TDirItem item;
        TCentralHeader& h = item.Header;
        h.VersionMadeBy = h.VersionNeeded = Get16(local + 4);
        h.Flags = Get16(local + 6);
        h.Method = Get16(local + 8);
        h.Time = Get16(local + 10);
        h.Date = Get16(local + 12);
        h.Crc32 = Get32(local + 14);
        h.CompressedSize = Get32(local + 18);
        h.UncompressedSize = Get32(local + 22);
        h.NameLength = Get16(local + 26);
        h.ExtraLength = Get16(local + 28);
        h.ExternalAttributes = h.UncompressedSize != 0 ? 0x20 : 0x10;
        h.LocalHeaderOffset = static_cast<uint32_t>(std::min<int64_t>(at, 0xFFFFFFFF));
        if (at >= 0xFFFFFFFF) item.Zip64LocalHeaderOffset = static_cast<uint64_t>(at);
        if (stream_->Remaining() < h.NameLength) return false;
        item.Name = ReadEntryName(*stream_, h.NameLength, (h.Flags & kUtf8NameFlag) != 0);
        Items.Add(std::move(item));
        return false;
    });
    if (!any) throw EZAException(neInvalidArchive, std::string());
}

}  // namespace archive
