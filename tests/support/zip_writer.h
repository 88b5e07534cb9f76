#pragma once
// A small ZIP writer for tests that need exact byte layouts: every field can be set or spoiled.
// Header-only, so both the Windows and the native test programs can use it.
#include <zlib.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace testsupport {

inline uint32_t ZipCrc(const std::string& data) {
    return static_cast<uint32_t>(
        crc32(0, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size())));
}

// Raw Deflate data (no zlib header or checksum), as ZIP stores it.
inline std::string RawDeflate(const std::string& data, int level = 6) {
    z_stream zs{};
    deflateInit2(&zs, level, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&zs, static_cast<uLong>(data.size())) + 16, '\0');
    zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    zs.avail_in = static_cast<uInt>(data.size());
    zs.next_out = reinterpret_cast<Bytef*>(out.data());
    zs.avail_out = static_cast<uInt>(out.size());
    deflate(&zs, Z_FINISH);
    out.resize(zs.total_out);
    deflateEnd(&zs);
    return out;
}

// A zlib stream with its header and checksum.
inline std::string ZlibCompress(const std::string& data) {
    uLongf size = compressBound(static_cast<uLong>(data.size()));
    std::string out(size, '\0');
    compress(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(data.data()),
             static_cast<uLong>(data.size()));
    out.resize(size);
    return out;
}

struct ZipEntry {
    std::string name;  // bytes as stored
    std::string data;  // the uncompressed content
    uint16_t method = 0;  // 0 stored, 8 deflated here; anything else stores `raw`
    std::optional<std::string> raw;  // the stored data bytes, instead of compressing `data`
    uint16_t flags = 0;
    uint16_t versionNeeded = 20;
    uint16_t versionMadeBy = 20;
    uint16_t time = 0x5A2B;  // 11:17:22
    uint16_t date = 0x5A21;  // 2025-01-01
    uint32_t externalAttributes = 0x20;
    std::string extra;
    std::string comment;
    std::string password;  // non-empty: traditional PKWARE encryption (sets flag bit 0)
    bool dataDescriptor = false;  // flag bit 3: zero CRC and sizes in the local header
    bool zip64 = false;  // 0xFFFFFFFF in the central fields and a Zip64 extra block
    // Central values that differ from the truth.
    std::optional<uint32_t> crc, compressedSize, uncompressedSize, localOffset;
};

struct ZipLayout {
    std::string prefix;    // bytes in front (a self-extractor stub); offsets stay relative to the ZIP
    std::string comment;
    std::string trailing;  // bytes after the end record
    bool zip64 = false;    // Zip64 end record and locator
    std::optional<uint16_t> totalEntries;
    std::optional<uint32_t> directorySize;

    ZipLayout& Prefix(std::string v) { prefix = std::move(v); return *this; }
    ZipLayout& Comment(std::string v) { comment = std::move(v); return *this; }
    ZipLayout& Trailing(std::string v) { trailing = std::move(v); return *this; }
    ZipLayout& Zip64() { zip64 = true; return *this; }
    ZipLayout& TotalEntries(uint16_t v) { totalEntries = v; return *this; }
    ZipLayout& DirectorySize(uint32_t v) { directorySize = v; return *this; }
};

namespace detail {
inline void Put16(std::string& s, uint32_t v) {
    s += static_cast<char>(v & 0xFF);
    s += static_cast<char>((v >> 8) & 0xFF);
}
inline void Put32(std::string& s, uint32_t v) {
    Put16(s, v & 0xFFFF);
    Put16(s, v >> 16);
}
inline void Put64(std::string& s, uint64_t v) {
    Put32(s, static_cast<uint32_t>(v));
    Put32(s, static_cast<uint32_t>(v >> 32));
}

class Pkware {
public:
    explicit Pkware(const std::string& password) {
        for (unsigned char c : password) Update(c);
    }
    unsigned char Encrypt(unsigned char plain) {
        const uint32_t t = (keys_[2] | 2) & 0xFFFF;
        const unsigned char c = static_cast<unsigned char>(plain ^ ((t * (t ^ 1)) >> 8));
        Update(plain);
        return c;
    }

private:
    static uint32_t CrcByte(uint32_t crc, unsigned char b) {
        uint32_t c = (crc ^ b) & 0xFF;
        for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        return c ^ (crc >> 8);
    }
    void Update(unsigned char c) {
        keys_[0] = CrcByte(keys_[0], c);
        keys_[1] = (keys_[1] + (keys_[0] & 0xFF)) * 134775813u + 1;
        keys_[2] = CrcByte(keys_[2], static_cast<unsigned char>(keys_[1] >> 24));
    }
    uint32_t keys_[3] = {0x12345678u, 0x23456789u, 0x34567890u};
};
}  // namespace detail

inline std::string BuildZip(const std::vector<ZipEntry>& entries, const ZipLayout& layout = {}) {
    using namespace detail;
    std::string zip, central;
    for (const ZipEntry& e : entries) {
        const uint32_t crc = ZipCrc(e.data);
        std::string body = e.raw ? *e.raw : (e.method == 8 ? RawDeflate(e.data) : e.data);
        uint16_t flags = e.flags;
        if (!e.password.empty()) {
            flags |= 1;
            Pkware keys(e.password);
            std::string header(12, '\0');
            for (int i = 0; i < 11; ++i) header[i] = static_cast<char>(i * 37 + 11);
            header[11] = static_cast<char>(e.dataDescriptor ? (e.time >> 8) : (crc >> 24));
            std::string sealed;
            for (char c : header + body) sealed += static_cast<char>(keys.Encrypt(static_cast<unsigned char>(c)));
            body = sealed;
        }
        if (e.dataDescriptor) flags |= 8;
        const uint32_t offset = static_cast<uint32_t>(zip.size());
        const uint32_t csize = static_cast<uint32_t>(body.size());
        const uint32_t usize = static_cast<uint32_t>(e.data.size());

        std::string local;
        Put32(local, 0x04034b50);
        Put16(local, e.versionNeeded);
        Put16(local, flags);
        Put16(local, e.method);
        Put16(local, e.time);
        Put16(local, e.date);
        Put32(local, e.dataDescriptor ? 0 : crc);
        Put32(local, e.dataDescriptor ? 0 : csize);
        Put32(local, e.dataDescriptor ? 0 : usize);
        Put16(local, static_cast<uint32_t>(e.name.size()));
        Put16(local, static_cast<uint32_t>(e.extra.size()));
        zip += local + e.name + e.extra + body;
        if (e.dataDescriptor) {
            Put32(zip, 0x08074b50);
            Put32(zip, crc);
            Put32(zip, csize);
            Put32(zip, usize);
        }

        std::string extra = e.extra;
        if (e.zip64) {
            Put16(extra, 1);
            Put16(extra, 24);
            Put64(extra, e.uncompressedSize.value_or(usize));
            Put64(extra, e.compressedSize.value_or(csize));
            Put64(extra, e.localOffset.value_or(offset));
        }
        Put32(central, 0x02014b50);
        Put16(central, e.versionMadeBy);
        Put16(central, e.versionNeeded);
        Put16(central, flags);
        Put16(central, e.method);
        Put16(central, e.time);
        Put16(central, e.date);
        Put32(central, e.crc.value_or(crc));
        Put32(central, e.zip64 ? 0xFFFFFFFFu : e.compressedSize.value_or(csize));
        Put32(central, e.zip64 ? 0xFFFFFFFFu : e.uncompressedSize.value_or(usize));
        Put16(central, static_cast<uint32_t>(e.name.size()));
        Put16(central, static_cast<uint32_t>(extra.size()));
        Put16(central, static_cast<uint32_t>(e.comment.size()));
        Put16(central, 0);
        Put16(central, 0);
        Put32(central, e.externalAttributes);
        Put32(central, e.zip64 ? 0xFFFFFFFFu : e.localOffset.value_or(offset));
        central += e.name + extra + e.comment;
    }
    const uint32_t directoryOffset = static_cast<uint32_t>(zip.size());
    zip += central;
    if (layout.zip64) {
        const uint64_t recordAt = zip.size();
        Put32(zip, 0x06064b50);
        Put64(zip, 44);
        Put16(zip, 45);
        Put16(zip, 45);
        Put32(zip, 0);
        Put32(zip, 0);
        Put64(zip, entries.size());
        Put64(zip, entries.size());
        Put64(zip, central.size());
        Put64(zip, directoryOffset);
        Put32(zip, 0x07064b50);
        Put32(zip, 0);
        Put64(zip, recordAt);
        Put32(zip, 1);
    }
    Put32(zip, 0x06054b50);
    Put16(zip, 0);
    Put16(zip, 0);
    const uint16_t count = layout.totalEntries.value_or(static_cast<uint16_t>(entries.size()));
    Put16(zip, layout.zip64 ? 0xFFFF : count);
    Put16(zip, layout.zip64 ? 0xFFFF : count);
    Put32(zip, layout.directorySize.value_or(static_cast<uint32_t>(central.size())));
    Put32(zip, directoryOffset);
    Put16(zip, static_cast<uint32_t>(layout.comment.size()));
    zip += layout.comment;
    return layout.prefix + zip + layout.trailing;
}

}  // namespace testsupport
