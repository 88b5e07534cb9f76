#include "archive/zip_decode.h"

#include "archive/crc32.h"
#include "archive/errors.h"

#include <bzlib.h>
#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <vector>

namespace archive {
namespace {

constexpr size_t kOwnHeaderSize = 50;
constexpr uint16_t kNoCipher = 0xFFFF;
constexpr size_t kChunk = 256 * 1024;

std::string WithBackslashes(std::string name) {
    std::replace(name.begin(), name.end(), '/', '\\');
    return name;
}

// The keys of traditional PKWARE encryption.
class PkwareKeys {
public:
    explicit PkwareKeys(const std::string& password) {
        for (unsigned char c : password) Update(c);
    }
    void Decrypt(unsigned char* data, size_t n) {
        for (size_t i = 0; i < n; ++i) {
            const uint32_t t = (keys_[2] | 2) & 0xFFFF;
            const unsigned char plain = static_cast<unsigned char>(data[i] ^ ((t * (t ^ 1)) >> 8));
            data[i] = plain;
            Update(plain);
        }
    }

private:
    static uint32_t CrcByte(uint32_t crc, unsigned char b) { return Table()[(crc ^ b) & 0xFF] ^ (crc >> 8); }
    static const std::array<uint32_t, 256>& Table() {
        static const std::array<uint32_t, 256> table = [] {
            std::array<uint32_t, 256> t{};
            for (uint32_t n = 0; n < 256; ++n) {
                uint32_t c = n;
                for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
                t[n] = c;
            }
            return t;
        }();
        return table;
    }
    void Update(unsigned char c) {
        keys_[0] = CrcByte(keys_[0], c);
        keys_[1] = (keys_[1] + (keys_[0] & 0xFF)) * 134775813u + 1;
        keys_[2] = CrcByte(keys_[2], static_cast<unsigned char>(keys_[1] >> 24));
    }
    uint32_t keys_[3] = {0x12345678u, 0x23456789u, 0x34567890u};
};

struct Buffer {
    std::unique_ptr<unsigned char[]> data;
    size_t size = 0;
};

// One entry's decoding run: counts, CRC and the cap on output.
class EntryDecoder {
public:
    EntryDecoder(DecodeContext& context, Stream& in, const TDirItem& item, uint64_t position, Stream& out)
        : context_(context), in_(in), item_(item), position_(position), out_(out), limit_(item.UncompressedSize()) {}

    // Decodes the data; false when it failed (the checks then fail too).
    bool Run();
    uint64_t Written() const { return written_; }
    uint32_t Crc() const { return crc_; }

private:
    bool BlockPath(const unsigned char* local);
    bool OwnBlockFormat();
    bool InflateBlock(z_stream& zs, unsigned char* data, size_t size, Buffer& buffer, bool& ended);
    bool InflateInput(z_stream& zs, Buffer& buffer, bool& ended);
    bool DecompressOwnBlock(uint32_t length, unsigned char compressor, bool compressed);
    // Writes output within the recorded uncompressed size; false once that would be exceeded
    // or the output stream takes fewer bytes.
    bool Emit(const unsigned char* data, size_t size);
    bool Cancelled() { return context_.Progress(consumed_, compressed_); }

    DecodeContext& context_;
    Stream& in_;
    const TDirItem& item_;
    const uint64_t position_;  // of the local header in `in_`
    Stream& out_;
    const uint64_t limit_;
    uint64_t compressed_ = 0;
    uint64_t consumed_ = 0;
    uint64_t written_ = 0;
    uint32_t crc_ = 0;
};

bool EntryDecoder::Emit(const unsigned char* data, size_t size) {
    if (size == 0) return true;
    bool within = true;
    if (written_ + size > limit_) {
        size = static_cast<size_t>(limit_ - written_);
        within = false;
    }
    const size_t put = out_.Write(data, size);
    crc_ = Crc32(crc_, data, put);
    written_ += put;
    return within && put == size;
}

bool EntryDecoder::Run() {
    context_.SkipFlag() = false;
    const int64_t streamSize = in_.Size();
    const uint64_t offset = position_;
    if (offset > static_cast<uint64_t>(streamSize) || streamSize - static_cast<int64_t>(offset) < 30) return false;
    unsigned char local[kLocalHeaderSize];
    in_.Seek(static_cast<int64_t>(offset));
    if (in_.Read(local, sizeof(local)) != sizeof(local)) return false;
    const uint64_t dataStart = offset + kLocalHeaderSize + Get16(local + 26) + Get16(local + 28);
    if (dataStart > static_cast<uint64_t>(streamSize)) return false;
    in_.Seek(static_cast<int64_t>(dataStart));
    compressed_ = item_.CompressedSize();

    if (item_.Header.Method == 0 || item_.Header.Method == 8) return BlockPath(local);
    if (item_.Header.VersionNeeded <= 10) return false;
    return OwnBlockFormat();
}

bool EntryDecoder::BlockPath(const unsigned char* local) {
    const bool encrypted = item_.Encrypted();
    PkwareKeys keys(std::string{});
    if (encrypted) {
        if (compressed_ < 12) return false;
        compressed_ -= 12;
        unsigned char header[12];
        if (in_.Read(header, sizeof(header)) != sizeof(header)) return false;
        const unsigned char check = (item_.Header.Flags & 8) ? local[11] : local[17];
        for (;;) {
            keys = PkwareKeys(context_.Password());
            unsigned char plain[12];
            std::memcpy(plain, header, sizeof(plain));
            keys.Decrypt(plain, sizeof(plain));
            if (plain[11] == check) break;
            if (!context_.RequestPassword(WithBackslashes(item_.Name))) return false;
        }
    }

    const bool deflated = item_.Header.Method == 8;
    // Buffers are sized for the entry (a small entry does not need a whole block) and left
    // uninitialised: many small files must not each pay for clearing megabytes.
    const size_t inputSize = static_cast<size_t>(std::min<uint64_t>(kDecodeBlockSize, compressed_)) + 2;
    std::unique_ptr<unsigned char[]> input(new unsigned char[inputSize]);
    Buffer output;
    z_stream zs{};
    if (deflated) {
        if (inflateInit(&zs) != Z_OK) return false;
        // The zlib checksum never arrives, so computing it would be wasted work.
        inflateValidate(&zs, 0);
        output.size = static_cast<size_t>(std::max<uint64_t>(4096, std::min<uint64_t>(kInflateBufferSize, limit_ + 1)));
        output.data.reset(new unsigned char[output.size]);
    }
    bool ok = true, first = true, ended = false;
    while (ok && consumed_ < compressed_) {
        if (Cancelled()) break;
        const size_t want = static_cast<size_t>(std::min<uint64_t>(kDecodeBlockSize, compressed_ - consumed_));
        unsigned char* data = input.get() + 2;
        const size_t got = in_.Read(data, want);
        if (encrypted) keys.Decrypt(data, got);
        if (!deflated) {
            ok = Emit(data, got);
        } else if (!ended) {
            size_t size = got;
            if (first) {
                // A zlib header in front lets the raw Deflate data through the zlib-wrapped
                // inflater; the stream ends without its checksum, which is never asked for.
                data -= 2;
                data[0] = 0x78;
                data[1] = 0x01;
                size += 2;
                first = false;
            }
            ok = InflateBlock(zs, data, size, output, ended);
        }
        consumed_ += got;
        if (got < want) ok = false;  // the archive ends inside the entry's data
    }
    if (deflated) inflateEnd(&zs);
    return ok;
}

bool EntryDecoder::InflateBlock(z_stream& zs, unsigned char* data, size_t size, Buffer& buffer, bool& ended) {
    zs.next_in = data;
    zs.avail_in = static_cast<uInt>(size);
    return InflateInput(zs, buffer, ended);
}

bool EntryDecoder::InflateInput(z_stream& zs, Buffer& buffer, bool& ended) {
    // A full buffer is written out rather than grown, so memory stays at one buffer; a call that
    // filled it may have more output pending, so the inflater is asked again.
    while (!ended && (zs.avail_in > 0 || zs.avail_out == 0)) {
        zs.next_out = buffer.data.get();
        zs.avail_out = static_cast<uInt>(buffer.size);
        const int r = inflate(&zs, Z_NO_FLUSH);
        if (r == Z_BUF_ERROR && zs.avail_in == 0) break;  // nothing pending: it wants more input
        if (r < 0 || r == Z_NEED_DICT) return false;
        if (r == Z_STREAM_END) ended = true;
        if (!Emit(buffer.data.get(), buffer.size - zs.avail_out)) return false;
    }
    zs.avail_out = 1;  // the next input starts a fresh round
    return true;
}

bool EntryDecoder::OwnBlockFormat() {
    unsigned char header[kOwnHeaderSize];
    if (in_.Read(header, sizeof(header)) != sizeof(header)) return false;
    consumed_ += sizeof(header);
    const uint32_t blocks = Get32(header + 16);
    const unsigned char compressor = header[20];
    const bool compressed = header[21] != 0;
    // The component's own cipher library and its PPM compressor are not carried.
    if (Get16(header + 22) != kNoCipher) return false;
    if (compressed && compressor > 1) return false;
    for (uint32_t b = 0; b < blocks; ++b) {
        if (Cancelled()) return true;
        unsigned char raw[4];
        if (in_.Read(raw, sizeof(raw)) != sizeof(raw)) return false;
        consumed_ += 4;
        const uint32_t length = Get32(raw);
        if (length > compressed_ - std::min(consumed_, compressed_) ||
            static_cast<uint64_t>(in_.Remaining()) < length)
            return false;
        if (!DecompressOwnBlock(length, compressor, compressed)) return false;
        consumed_ += length;
    }
    return true;
}

bool EntryDecoder::DecompressOwnBlock(uint32_t length, unsigned char compressor, bool compressed) {
    std::vector<unsigned char> in(std::min<size_t>(length, kChunk));
    Buffer out;
    if (compressed) {
        out.size = kChunk;
        out.data.reset(new unsigned char[kChunk]);
    }
    const uint64_t before = written_;
    uint32_t left = length;
    bool ok = true, ended = false;
    z_stream zs{};
    bz_stream bs{};
    if (compressed) {
        if (compressor == 0 ? inflateInit(&zs) != Z_OK : BZ2_bzDecompressInit(&bs, 0, 0) != BZ_OK) return false;
    }
    while (ok && left > 0 && !ended) {
        const size_t n = std::min<size_t>(left, in.size());
        if (in_.Read(in.data(), n) != n) {
            ok = false;
            break;
        }
        left -= static_cast<uint32_t>(n);
        if (!compressed) {
            ok = Emit(in.data(), n);
            continue;
        }
        if (compressor == 0) {
            zs.next_in = in.data();
            zs.avail_in = static_cast<uInt>(n);
            ok = InflateInput(zs, out, ended);
        } else {
            bs.next_in = reinterpret_cast<char*>(in.data());
            bs.avail_in = static_cast<unsigned>(n);
            bs.avail_out = 1;
            while (ok && !ended && (bs.avail_in > 0 || bs.avail_out == 0)) {
                bs.next_out = reinterpret_cast<char*>(out.data.get());
                bs.avail_out = static_cast<unsigned>(out.size);
                const int r = BZ2_bzDecompress(&bs);
                if (r != BZ_OK && r != BZ_STREAM_END) ok = false;
                if (r == BZ_STREAM_END) ended = true;
                if (ok) ok = Emit(out.data.get(), out.size - bs.avail_out);
            }
        }
    }
    if (compressed) {
        if (compressor == 0)
            inflateEnd(&zs);
        else
            BZ2_bzDecompressEnd(&bs);
    }
    // Skip what a finished stream left unread, so the next block's length is where it belongs.
    if (left > 0) in_.Seek(in_.Position() + left);
    return ok && written_ > before;
}

}  // namespace

bool DecodeEntry(DecodeContext& context, TZADirManager& directory, int index, Stream& output) {
    if (index < 0 || index >= directory.Items.Count()) throw EZAException(neIndexOutOfBounds, context.ArchiverName());
    const TDirItem& item = directory.Items[index];
    EntryDecoder decoder(context, directory.ArchiveStream(), item, directory.EntryPosition(item), output);
    const bool decoded = decoder.Run();
    const bool passed = decoded && decoder.Written() == item.UncompressedSize() && decoder.Crc() == item.Header.Crc32;
    if (!passed && !context.ExtractCorruptedFiles() && !context.SkipFlag())
        throw EZAException(neInvalidSizeOrCheckSum, context.ArchiverName());
    return passed;
}

}  // namespace archive
