// Decoding throughput of one large Deflate entry, beside plain zlib inflate of the same bytes in
// the same run, and the decoder's peak memory above the process's baseline.
//   decode_bench make ARCHIVE [MiB]   writes a one-entry archive of mixed text and random data
//   decode_bench run ARCHIVE [ROUNDS] measures (medians over ROUNDS, default 7)
#include "archive/errors.h"
#include "archive/os.h"
#include "archive/streams.h"
#include "archive/zip_decode.h"
#include "archive/zip_directory.h"

#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

class Sink final : public archive::Stream {
public:
    size_t Read(void*, size_t) override { return 0; }
    size_t Write(const void*, size_t count) override {
        written += count;
        return count;
    }
    void Seek(int64_t) override {}
    int64_t Position() const override { return static_cast<int64_t>(written); }
    int64_t Size() const override { return static_cast<int64_t>(written); }
    uint64_t written = 0;
};

class Context final : public archive::DecodeContext {
public:
    std::string ArchiverName() const override { return "zip"; }
    bool ExtractCorruptedFiles() const override { return false; }
    std::string& Password() override { return password; }
    bool& SkipFlag() override { return skip; }
    bool RequestPassword(const std::string&) override { return false; }
    bool Progress(uint64_t, uint64_t) override { return false; }
    std::string password;
    bool skip = false;
};

long StatusKb(const char* field) {
    std::ifstream f("/proc/self/status");
    for (std::string line; std::getline(f, line);)
        if (line.rfind(field, 0) == 0) return std::stol(line.substr(std::strlen(field)));
    return -1;
}

void Put(std::string& s, uint64_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) s += static_cast<char>((v >> (8 * i)) & 0xFF);
}

int Make(const char* path, size_t mib) {
    std::mt19937 gen(12345);
    std::string data;
    data.reserve(mib << 20);
    const char* words[] = {"display ", "mode ", "tray ", "update ", "archive ", "quorvex ", "fetchwell ", "\n"};
    while (data.size() < (mib << 20)) {
        if (gen() % 4 == 0) {
            for (int i = 0; i < 4096; ++i) data += static_cast<char>(gen());
        } else {
            for (int i = 0; i < 1024; ++i) data += words[gen() % 8];
        }
    }
    data.resize(mib << 20);
    z_stream zs{};
    deflateInit2(&zs, 6, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
    std::string packed(deflateBound(&zs, data.size()), '\0');
    zs.next_in = reinterpret_cast<Bytef*>(data.data());
    zs.avail_in = static_cast<uInt>(data.size());
    zs.next_out = reinterpret_cast<Bytef*>(packed.data());
    zs.avail_out = static_cast<uInt>(packed.size());
    deflate(&zs, Z_FINISH);
    packed.resize(zs.total_out);
    deflateEnd(&zs);
    const uint32_t crc = static_cast<uint32_t>(crc32(0, reinterpret_cast<Bytef*>(data.data()), data.size()));
    const std::string name = "big.bin";
    std::string zip;
    Put(zip, 0x04034b50, 4), Put(zip, 20, 2), Put(zip, 0, 2), Put(zip, 8, 2), Put(zip, 0, 4);
    Put(zip, crc, 4), Put(zip, packed.size(), 4), Put(zip, data.size(), 4), Put(zip, name.size(), 2), Put(zip, 0, 2);
    zip += name + packed;
    const size_t central = zip.size();
    Put(zip, 0x02014b50, 4), Put(zip, 20, 2), Put(zip, 20, 2), Put(zip, 0, 2), Put(zip, 8, 2), Put(zip, 0, 4);
    Put(zip, crc, 4), Put(zip, packed.size(), 4), Put(zip, data.size(), 4), Put(zip, name.size(), 2);
    Put(zip, 0, 2), Put(zip, 0, 2), Put(zip, 0, 2), Put(zip, 0, 2), Put(zip, 0x20, 4), Put(zip, 0, 4);
    zip += name;
    const size_t centralSize = zip.size() - central;
    Put(zip, 0x06054b50, 4), Put(zip, 0, 4), Put(zip, 1, 2), Put(zip, 1, 2), Put(zip, centralSize, 4);
    Put(zip, central, 4), Put(zip, 0, 2);
    std::ofstream(path, std::ios::binary).write(zip.data(), static_cast<std::streamsize>(zip.size()));
    std::printf("wrote %s: %zu MiB of data, %.1f MiB deflated\n", path, mib, packed.size() / 1048576.0);
    return 0;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

int Run(const char* path, int rounds) {
    // Peak memory: decode from the file, so the archive itself is not in memory.
    {
        auto file = archive::os::OpenFile(path, archive::os::OpenAccess::Read, archive::os::Share::DenyNone);
        archive::FileStream in(std::move(file));
        archive::TZADirManager dir(in);
        dir.ReadDirectory(false);
        Context c;
        Sink sink;
        std::ofstream("/proc/self/clear_refs") << "5";  // resets the peak resident size
        const long baseline = StatusKb("VmRSS:");
        archive::DecodeEntry(c, dir, 0, sink);
        const long peak = StatusKb("VmHWM:");
        std::printf("peak memory above baseline: %.2f MiB (limit: 1 MiB block + %.2f MiB buffer + 1 MiB)\n",
                    (peak - baseline) / 1024.0, archive::kInflateBufferSize / 1048576.0);
    }

    std::ifstream f(path, std::ios::binary);
    const std::string zip((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    archive::MemoryStream in(zip.data(), zip.size());
    archive::TZADirManager dir(in);
    dir.ReadDirectory(false);
    const auto& item = dir.Items[0];
    const size_t dataAt = 30 + item.Header.NameLength;
    const std::string_view packed(zip.data() + dataAt, item.CompressedSize());
    std::vector<unsigned char> out(archive::kInflateBufferSize);

    std::vector<double> plain, plainCrc, decoder;
    for (int r = 0; r < rounds; ++r) {
        for (int withCrc = 0; withCrc < 2; ++withCrc) {
            const auto t0 = Clock::now();
            z_stream zs{};
            inflateInit2(&zs, -15);
            zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(packed.data()));
            zs.avail_in = static_cast<uInt>(packed.size());
            uLong crc = 0;
            int rc = Z_OK;
            while (rc == Z_OK) {
                zs.next_out = out.data();
                zs.avail_out = static_cast<uInt>(out.size());
                rc = inflate(&zs, Z_NO_FLUSH);
                if (withCrc) crc = crc32(crc, out.data(), static_cast<uInt>(out.size() - zs.avail_out));
            }
            const uint64_t total = zs.total_out;
            inflateEnd(&zs);
            const double s = std::chrono::duration<double>(Clock::now() - t0).count();
            if (total != item.UncompressedSize() || (withCrc && crc != item.Header.Crc32)) {
                std::printf("plain inflate went wrong\n");
                return 1;
            }
            (withCrc ? plainCrc : plain).push_back(s);
        }
        Context c;
        Sink sink;
        const auto t0 = Clock::now();
        archive::DecodeEntry(c, dir, 0, sink);
        decoder.push_back(std::chrono::duration<double>(Clock::now() - t0).count());
    }
    const double mib = item.UncompressedSize() / 1048576.0;
    const double p = mib / Median(plain), pc = mib / Median(plainCrc), d = mib / Median(decoder);
    std::printf("plain zlib inflate:        %7.1f MiB/s\n", p);
    std::printf("plain inflate + CRC-32:    %7.1f MiB/s\n", pc);
    std::printf("archive decoder:           %7.1f MiB/s  (%.3f x plain inflate, %.3f x inflate + CRC)\n", d, d / p,
                d / pc);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 3 && std::strcmp(argv[1], "make") == 0) return Make(argv[2], argc > 3 ? std::stoul(argv[3]) : 100);
    if (argc >= 3 && std::strcmp(argv[1], "run") == 0) return Run(argv[2], argc > 3 ? std::stoi(argv[3]) : 7);
    std::fprintf(stderr, "usage: decode_bench make ARCHIVE [MiB] | run ARCHIVE [ROUNDS]\n");
    return 64;
}
