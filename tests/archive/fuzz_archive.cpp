// libFuzzer entry: the input is an archive in memory. Its directory is read and every entry is
// decoded into memory; nothing may crash, hang, over-read or allocate without bound.
//
// The last byte picks options. With bit 2 set the rest is a multi-volume archive: its volumes
// one after another, separated by kVolumeMark; with bit 3 also set, the second volume is
// missing.
#include "archive/errors.h"
#include "archive/masks.h"
#include "archive/streams.h"
#include "archive/volumes.h"
#include "archive/zip_decode.h"
#include "archive/zip_directory.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

class FuzzContext final : public archive::DecodeContext {
public:
    bool extractCorrupted = false;
    std::string password = "fuzz";
    bool skip = false;
    int passwordsLeft = 1;

    std::string ArchiverName() const override { return "zip"; }
    bool ExtractCorruptedFiles() const override { return extractCorrupted; }
    std::string& Password() override { return password; }
    bool& SkipFlag() override { return skip; }
    bool RequestPassword(const std::string&) override {
        if (passwordsLeft-- > 0) {
            password = "other";
            return true;
        }
        skip = true;
        return false;
    }
    bool Progress(uint64_t, uint64_t) override { return false; }
};

constexpr char kVolumeMark[] = "\n--volume--\n";
constexpr size_t kMaxVolumes = 32;

// The volumes are pieces of the fuzz input.
class PieceVolumes final : public archive::VolumeSource {
public:
    std::vector<std::pair<const uint8_t*, size_t>> pieces;
    bool secondMissing = false;

    std::unique_ptr<archive::Stream> OpenVolume(uint32_t disk, uint32_t) override {
        if (disk >= pieces.size() || (secondMissing && disk == 1)) return nullptr;
        return std::make_unique<archive::MemoryStream>(pieces[disk].first, pieces[disk].second);
    }
};

void DecodeAll(archive::TZADirManager& directory, uint8_t options) {
    FuzzContext context;
    context.extractCorrupted = (options & 2) != 0;
    for (int i = 0; i < directory.Items.Count() && i < 64; ++i) {
        archive::MemoryStream out;
        out.LimitSize(8 << 20);
        try {
            archive::DecodeEntry(context, directory, i, out);
        } catch (const archive::EZAException&) {
        }
        // Entry names are what masks are tested against.
        const std::string& name = directory.Items[i].Name;
        archive::MaskMatch(name.c_str(), "*.T?T", true);
        archive::MaskMatch(name.c_str(), name.c_str(), true);
    }
}

int MultiVolume(const uint8_t* data, size_t size, uint8_t options) {
    PieceVolumes volumes;
    volumes.secondMissing = (options & 8) != 0;
    const size_t mark = sizeof(kVolumeMark) - 1;
    size_t start = 0;
    for (size_t i = 0; i + mark <= size && volumes.pieces.size() + 1 < kMaxVolumes;) {
        if (std::memcmp(data + i, kVolumeMark, mark) == 0) {
            volumes.pieces.emplace_back(data + start, i - start);
            i += mark;
            start = i;
        } else {
            ++i;
        }
    }
    volumes.pieces.emplace_back(data + start, size - start);
    const uint32_t lastDisk = static_cast<uint32_t>(volumes.pieces.size() - 1);
    archive::VolumeStream stream(volumes, lastDisk, volumes.OpenVolume(lastDisk, lastDisk));
    archive::TZADirManager directory(stream);
    try {
        directory.ReadDirectory(false);
    } catch (const archive::Exception&) {
        return 0;
    }
    DecodeAll(directory, options);
    return 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The last byte, when there is one, picks the reader's options; the archive stays whole.
    const uint8_t options = size ? data[size - 1] : 0;
    if (options & 4) return MultiVolume(data, size - 1, options);
    archive::MemoryStream stream(data, size);
    archive::TZADirManager directory(stream);
    try {
        directory.ReadDirectory((options & 1) != 0);
    } catch (const archive::Exception&) {
        return 0;
    }
    DecodeAll(directory, options);
    return 0;
}
