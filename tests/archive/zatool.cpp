// zatool: lists an archive, or extracts it through TZipArchiver the way Fetchwell does
// (BaseDir = DEST, mask "*.*", attribute filter 63), printing each failure and going on.
//   zatool l ARCHIVE
//   zatool x [--no-flush] ARCHIVE DEST [MASK]
// Exit status: 0 all well, 1 the archive could not be opened, 2 some entries failed.
#include "archive/archiver.h"

#include <cstdio>
#include <cstring>
#include <string>

using namespace archive;

namespace {

int Usage() {
    std::fprintf(stderr, "usage: zatool l ARCHIVE\n       zatool x [--no-flush] ARCHIVE DEST [MASK]\n");
    return 64;
}

int List(const std::string& path) {
    TZipArchiver zip;
    zip.Name = "zip";
    zip.FileName = path;
    zip.OpenArchiveFile(fmOpenRead | fmShareDenyNone);
    TZADirManager& dir = *zip.Directory();
    std::printf("%12s %12s %6s %8s %-19s %s\n", "size", "packed", "method", "crc", "date", "name");
    for (int i = 0; i < dir.Items.Count(); ++i) {
        const TDirItem& item = dir.Items[i];
        const uint32_t d = item.DosDateTime();
        std::printf("%12llu %12llu %6u %08X %04u-%02u-%02u %02u:%02u:%02u %s\n",
                    static_cast<unsigned long long>(item.UncompressedSize()),
                    static_cast<unsigned long long>(item.CompressedSize()), item.Header.Method, item.Header.Crc32,
                    1980 + ((d >> 25) & 0x7F), (d >> 21) & 0xF, (d >> 16) & 0x1F, (d >> 11) & 0x1F, (d >> 5) & 0x3F,
                    (d & 0x1F) * 2, item.Name.c_str());
    }
    std::printf("%d entries\n", dir.Items.Count());
    zip.CloseArchiveFile();
    return 0;
}

int ExtractAll(const std::string& path, const std::string& dest, const std::string& mask, bool flush) {
    TZipArchiver zip;
    zip.Name = "zip";
    zip.FileName = path;
    zip.BaseDir = dest;
    zip.Options.FlushBuffers = flush;
    int failures = 0;
    zip.OnProcessFileFailure = [&](TZABaseArchiver*, const std::string&, TZAProcessOperation, int, int,
                                   const std::string& message, TZAAction& action) {
        std::printf("%s\n", message.c_str());
        ++failures;
        action = fxaIgnore;
    };
    zip.OnPassword = [](TZABaseArchiver*, const std::string&, std::string&, bool& skip) { skip = true; };
    zip.OpenArchiveFile();
    zip.ExtractMatching(mask, 63, "");
    zip.CloseArchiveFile();
    return failures ? 2 : 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) return Usage();
    const std::string command = argv[1];
    try {
        if (command == "l" && argc == 3) return List(argv[2]);
        if (command == "x") {
            int at = 2;
            bool flush = true;
            if (std::strcmp(argv[at], "--no-flush") == 0) {
                flush = false;
                ++at;
            }
            if (argc - at < 2 || argc - at > 3) return Usage();
            return ExtractAll(argv[at], argv[at + 1], argc - at == 3 ? argv[at + 2] : "*.*", flush);
        }
    } catch (const std::exception& e) {
        std::printf("%s\n", e.what());
        return 1;
    }
    return Usage();
}
