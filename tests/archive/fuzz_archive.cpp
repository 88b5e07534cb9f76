// libFuzzer entry: the input is an archive in memory. Its directory is read and every entry is
// decoded into memory; nothing may crash, hang, over-read or allocate without bound.
#include "archive/errors.h"
#include "archive/masks.h"
#include "archive/streams.h"
#include "archive/zip_decode.h"
#include "archive/zip_directory.h"

#include <cstddef>
#include <cstdint>
#include <string>

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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The last byte, when there is one, picks the reader's options; the archive stays whole.
    const uint8_t options = size ? data[size - 1] : 0;
    archive::MemoryStream stream(data, size);
    archive::TZADirManager directory(stream);
    try {
        directory.ReadDirectory((options & 1) != 0);
    } catch (const archive::Exception&) {
        return 0;
    }
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
    return 0;
}
