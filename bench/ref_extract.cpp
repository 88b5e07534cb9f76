// A minimal reference extractor for the benchmarks: walk the central directory, raw inflate or
// copy, CRC-32, write. No options, no safety checks: the limit for a zlib-based extractor.
//   ref_extract ARCHIVE DEST
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

uint16_t U16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t U32(const unsigned char* p) { return U16(p) | (static_cast<uint32_t>(U16(p + 2)) << 16); }

void MakeDirs(const std::string& path) {
    for (size_t i = 1; i < path.size(); ++i)
        if (path[i] == '/') mkdir(path.substr(0, i).c_str(), 0777);
    mkdir(path.c_str(), 0777);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) return 64;
    const int fd = open(argv[1], O_RDONLY);
    struct stat st;
    if (fd < 0 || fstat(fd, &st) != 0) return 1;
    const size_t size = static_cast<size_t>(st.st_size);
    auto* zip = static_cast<const unsigned char*>(mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0));
    size_t end = size - 22;
    while (end > 0 && U32(zip + end) != 0x06054b50) --end;
    const std::string dest = std::string(argv[2]) + "/";
    MakeDirs(dest);
    const unsigned char* entry = zip + U32(zip + end + 16);
    std::vector<unsigned char> out(1 << 18);
    int failures = 0;
    for (unsigned n = U16(zip + end + 10); n > 0; --n) {
        const std::string name(reinterpret_cast<const char*>(entry + 46), U16(entry + 28));
        const uint16_t method = U16(entry + 10);
        const uint32_t crc = U32(entry + 16), csize = U32(entry + 20);
        const unsigned char* local = zip + U32(entry + 42);
        const unsigned char* data = local + 30 + U16(local + 26) + U16(local + 28);
        entry += 46 + U16(entry + 28) + U16(entry + 30) + U16(entry + 32);
        const std::string path = dest + name;
        if (!name.empty() && name.back() == '/') {
            MakeDirs(path);
            continue;
        }
        const size_t slash = path.rfind('/');
        MakeDirs(path.substr(0, slash));
        const int o = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
        uLong sum = 0;
        if (method == 0) {
            sum = crc32(0, data, csize);
            if (write(o, data, csize) != static_cast<ssize_t>(csize)) ++failures;
        } else {
            z_stream zs{};
            inflateInit2(&zs, -15);
            zs.next_in = const_cast<Bytef*>(data);
            zs.avail_in = csize;
            int rc = Z_OK;
            while (rc == Z_OK) {
                zs.next_out = out.data();
                zs.avail_out = static_cast<uInt>(out.size());
                rc = inflate(&zs, Z_NO_FLUSH);
                const size_t got = out.size() - zs.avail_out;
                sum = crc32(sum, out.data(), static_cast<uInt>(got));
                if (write(o, out.data(), got) != static_cast<ssize_t>(got)) ++failures;
            }
            inflateEnd(&zs);
        }
        close(o);
        if (sum != crc) ++failures;
    }
    if (failures) std::fprintf(stderr, "%d failures\n", failures);
    return failures ? 2 : 0;
}
