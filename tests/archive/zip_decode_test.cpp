// Decoding entries: stored and Deflate data, checks, encryption and the component's block format.
#include "archive/errors.h"
#include "archive/zip_decode.h"
#include "support/zip_writer.h"
#include "test_context.h"

#include <bzlib.h>
#include <gtest/gtest.h>

#include <random>
#include <string>

using archive::EZAException;
using archive::neArchiveDamaged;
using archive::neCannotCreateFile;
using archive::neFileNotFound;
using archive::neIndexOutOfBounds;
using archive::neInvalidSizeOrCheckSum;
using testsupport::BuildZip;
using testsupport::ZipEntry;
using testsupport::ZipLayout;

namespace archivetest {
namespace {

std::string RandomBytes(size_t n, unsigned seed) {
    std::mt19937 gen(seed);
    std::string s(n, '\0');
    for (char& c : s) c = static_cast<char>(gen());
    return s;
}

// Decodes and returns the native error, 0 when the entry passed.
int DecodeError(MemoryArchive& a, TestContext& c, int index, std::string* out = nullptr) {
    try {
        const std::string text = a.Decode(c, index);
        if (out) *out = text;
        return 0;
    } catch (const EZAException& e) {
        return e.NativeError();
    }
}

TEST(Decode, StoredDeflatedAndEmptyEntries) {
    ZipEntry deflated{"d.txt", std::string(10000, 'd') + "tail"};
    deflated.method = 8;
    ZipEntry emptyDeflated{"e.txt", ""};
    emptyDeflated.method = 8;
    MemoryArchive a(BuildZip({{"s.txt", "stored data"}, deflated, {"zero.txt", ""}, emptyDeflated}));
    TestContext c;
    bool passed = false;
    EXPECT_EQ(a.Decode(c, 0, &passed), "stored data");
    EXPECT_TRUE(passed);
    EXPECT_EQ(a.Decode(c, 1), deflated.data);
    EXPECT_EQ(a.Decode(c, 2, &passed), "");
    EXPECT_TRUE(passed);
    EXPECT_EQ(a.Decode(c, 3), "");
}

TEST(Decode, DeflateAcrossSeveralBlocks) {
    // Random data does not compress: well over 1 MiB of Deflate input, one zlib stream.
    ZipEntry big{"big.bin", RandomBytes(2600000, 7)};
    big.method = 8;
    MemoryArchive a(BuildZip({big}));
    ASSERT_GT(a.directory.Items[0].CompressedSize(), 2 * archive::kDecodeBlockSize);
    TestContext c;
    EXPECT_EQ(a.Decode(c, 0), big.data);
    ASSERT_EQ(c.progress.size(), 3u);  // one report before each 1 MiB block
    EXPECT_EQ(c.progress[1].first, archive::kDecodeBlockSize);
}

TEST(Decode, OutputFillingTheBufferExactlyIsNotLost) {
    // Highly compressible data: the inflater's output buffer fills many times per block.
    ZipEntry e{"z.bin", std::string(archive::kInflateBufferSize * 3, '\0')};
    e.method = 8;
    MemoryArchive a(BuildZip({e}));
    TestContext c;
    EXPECT_EQ(a.Decode(c, 0).size(), e.data.size());
}

TEST(Decode, FailedChecksRaiseNativeEightWithThePrefix) {
    ZipEntry badCrc{"crc.txt", "content"};
    badCrc.crc = 0x12345678;
    ZipEntry badSize{"size.txt", "content"};
    badSize.uncompressedSize = 6;
    ZipEntry corrupt{"corrupt.txt", "x"};
    corrupt.method = 8;
    corrupt.raw = std::string("\xFF\xFF\xFF\xFF\xFF", 5);
    ZipEntry oldMethod{"implode.txt", "x"};
    oldMethod.method = 6;
    oldMethod.versionNeeded = 10;
    oldMethod.raw = "x";
    ZipEntry bzip2Standard{"bzip2.txt", "x"};
    bzip2Standard.method = 12;
    bzip2Standard.versionNeeded = 46;
    bzip2Standard.raw = std::string(60, 'q');
    MemoryArchive a(BuildZip({badCrc, badSize, corrupt, oldMethod, bzip2Standard, {"good.txt", "fine"}}));
    TestContext c;
    for (int i = 0; i < 5; ++i) EXPECT_EQ(DecodeError(a, c, i), neInvalidSizeOrCheckSum) << i;
    std::string good;
    EXPECT_EQ(DecodeError(a, c, 5, &good), 0);
    EXPECT_EQ(good, "fine");

    try {
        a.Decode(c, 0);
    } catch (const EZAException& e) {
        EXPECT_EQ(e.ErrorCode(), 4);
        EXPECT_STREQ(e.what(),
                     "zip: Invalid size or check sum of file or unsupported compression format - Native error: 00008");
    }
    c.name.clear();
    try {
        a.Decode(c, 0);
    } catch (const EZAException& e) {
        EXPECT_STREQ(e.what(), "Invalid size or check sum of file or unsupported compression format - Native error: 00008");
    }
}

TEST(Decode, CorruptedFilesAreKeptWhenAsked) {
    ZipEntry badCrc{"crc.txt", "content"};
    badCrc.crc = 1;
    MemoryArchive a(BuildZip({badCrc}));
    TestContext c;
    c.extractCorrupted = true;
    bool passed = true;
    EXPECT_EQ(a.Decode(c, 0, &passed), "content");
    EXPECT_FALSE(passed);
}

TEST(Decode, IndexOutsideTheDirectory) {
    MemoryArchive a(BuildZip({{"a.txt", "x"}}));
    TestContext c;
    EXPECT_EQ(DecodeError(a, c, 1), neIndexOutOfBounds);
    EXPECT_EQ(DecodeError(a, c, -1), neIndexOutOfBounds);
}

TEST(Decode, EntryRunningPastTheEndFailsAndEarlierEntriesDecode) {
    ZipEntry tooLong{"long.bin", "short"};
    tooLong.compressedSize = 5000000;
    ZipEntry offsetOut{"away.bin", "x"};
    offsetOut.localOffset = 0x7FFFFFF0;
    MemoryArchive a(BuildZip({{"first.txt", "first"}, tooLong, offsetOut}));
    TestContext c;
    std::string first;
    EXPECT_EQ(DecodeError(a, c, 0, &first), 0);
    EXPECT_EQ(first, "first");
    EXPECT_EQ(DecodeError(a, c, 1), neInvalidSizeOrCheckSum);
    EXPECT_EQ(DecodeError(a, c, 2), neInvalidSizeOrCheckSum);
    // A local header cut short at the very end.
    std::string cut = BuildZip({{"a.txt", "x"}});
    archive::MemoryStream whole(cut.data(), cut.size());
    archive::TZADirManager d(whole);
    d.ReadDirectory(false);
    d.Items[0].Header.LocalHeaderOffset = static_cast<uint32_t>(cut.size() - 12);
    archive::MemoryStream out;
    EXPECT_THROW(archive::DecodeEntry(c, d, 0, out), EZAException);
}

TEST(Decode, BombStopsAtTheRecordedSize) {
    ZipEntry bomb{"bomb.bin", std::string(20 * 1024 * 1024, '\0')};
    bomb.method = 8;
    bomb.uncompressedSize = 1000;
    bomb.crc = testsupport::ZipCrc(std::string(1000, '\0'));
    MemoryArchive a(BuildZip({bomb}));
    TestContext c;
    archive::MemoryStream out;
    EXPECT_THROW(archive::DecodeEntry(c, a.directory, 0, out), EZAException);
    EXPECT_LE(out.Size(), 1000);
    // Stored data longer than recorded is cut the same way.
    ZipEntry stored{"s.bin", std::string(5000, 's')};
    stored.uncompressedSize = 10;
    MemoryArchive b(BuildZip({stored}));
    archive::MemoryStream out2;
    EXPECT_THROW(archive::DecodeEntry(c, b.directory, 0, out2), EZAException);
    EXPECT_EQ(out2.Size(), 10);
}

TEST(Decode, OutputThatCannotBeWrittenFails) {
    MemoryArchive a(BuildZip({{"a.txt", std::string(100, 'a')}}));
    TestContext c;
    archive::MemoryStream full;
    full.LimitSize(40);
    EXPECT_THROW(archive::DecodeEntry(c, a.directory, 0, full), EZAException);
}

TEST(Decode, CancelEndsTheLoopAndTheSizeCheckFails) {
    ZipEntry big{"big.bin", RandomBytes(1500000, 3)};
    MemoryArchive a(BuildZip({big}));
    TestContext c;
    c.cancelAfter = 1;
    archive::MemoryStream out;
    EXPECT_THROW(archive::DecodeEntry(c, a.directory, 0, out), EZAException);
    EXPECT_EQ(out.Size(), static_cast<int64_t>(archive::kDecodeBlockSize));
}

TEST(Encryption, RightPasswordDecodes) {
    ZipEntry stored{"secret.txt", "top secret"};
    stored.password = "pass";
    ZipEntry deflated{"deflated.txt", std::string(4000, 'q')};
    deflated.method = 8;
    deflated.password = "pass";
    ZipEntry described{"described.txt", "checked against the time"};
    described.password = "pass";
    described.dataDescriptor = true;
    MemoryArchive a(BuildZip({stored, deflated, described}));
    TestContext c;
    c.password = "pass";
    EXPECT_EQ(a.Decode(c, 0), "top secret");
    EXPECT_EQ(a.Decode(c, 1), deflated.data);
    EXPECT_EQ(a.Decode(c, 2), described.data);
    EXPECT_TRUE(c.passwordRequests.empty());
}

TEST(Encryption, WrongPasswordAsksAgainFromTheSameHeader) {
    ZipEntry e{"dir/secret.txt", "top secret"};
    e.password = "right";
    MemoryArchive a(BuildZip({e}));
    TestContext c;
    c.password = "wrong";
    c.passwordAnswers = {"still wrong", "right"};
    EXPECT_EQ(a.Decode(c, 0), "top secret");
    EXPECT_EQ(c.passwordRequests, (std::vector<std::string>{"dir\\secret.txt", "dir\\secret.txt"}));
    EXPECT_EQ(c.password, "right");
}

TEST(Encryption, DeclinedPasswordFailsWithoutError) {
    ZipEntry e{"secret.txt", "top secret"};
    e.password = "right";
    MemoryArchive a(BuildZip({e, {"plain.txt", "plain"}}));
    TestContext c;
    bool passed = true;
    EXPECT_EQ(a.Decode(c, 0, &passed), "");
    EXPECT_FALSE(passed);
    EXPECT_TRUE(c.skip);
    EXPECT_EQ(a.Decode(c, 1), "plain");  // the skip flag is cleared for the next entry
    EXPECT_FALSE(c.skip);
}

// The component's own block format: a 50-byte header, then length-prefixed blocks.
std::string OwnFormat(const std::vector<std::string>& blocks, uint32_t perBlock, uint32_t total, unsigned char compressor,
                      bool compressed, uint16_t cipher = 0xFFFF) {
    std::string h(50, '\0');
    auto put32 = [](std::string& s, size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) s[at + i] = static_cast<char>(v >> (8 * i));
    };
    put32(h, 0, perBlock);
    put32(h, 8, total);
    put32(h, 16, static_cast<uint32_t>(blocks.size()));
    h[20] = static_cast<char>(compressor);
    h[21] = compressed ? 1 : 0;
    h[22] = static_cast<char>(cipher & 0xFF);
    h[23] = static_cast<char>(cipher >> 8);
    for (const std::string& b : blocks) {
        std::string len(4, '\0');
        put32(len, 0, static_cast<uint32_t>(b.size()));
        h += len + b;
    }
    return h;
}

std::string Bzip2(const std::string& data) {
    unsigned int size = static_cast<unsigned int>(data.size() + data.size() / 100 + 600);
    std::string out(size, '\0');
    BZ2_bzBuffToBuffCompress(out.data(), &size, const_cast<char*>(data.data()), static_cast<unsigned int>(data.size()),
                             9, 0, 0);
    out.resize(size);
    return out;
}

ZipEntry OwnEntry(const std::string& name, const std::string& data, const std::string& body) {
    ZipEntry e{name, data};
    e.method = 0x5A41;
    e.versionNeeded = 20;
    e.raw = body;
    return e;
}

TEST(OwnBlockFormat, ZlibBzip2AndStoredBlocks) {
    const std::string part1(70000, 'a'), part2 = "the rest";
    const std::string all = part1 + part2;
    const auto total = static_cast<uint32_t>(all.size());
    MemoryArchive a(BuildZip({
        OwnEntry("zlib.bin", all,
                 OwnFormat({testsupport::ZlibCompress(part1), testsupport::ZlibCompress(part2)}, 70000, total, 0, true)),
        OwnEntry("bzip2.bin", all, OwnFormat({Bzip2(part1), Bzip2(part2)}, 70000, total, 1, true)),
        OwnEntry("stored.bin", all, OwnFormat({part1, part2}, 70000, total, 0, false)),
    }));
    TestContext c;
    EXPECT_EQ(a.Decode(c, 0), all);
    EXPECT_EQ(a.Decode(c, 1), all);
    EXPECT_EQ(a.Decode(c, 2), all);
}

TEST(OwnBlockFormat, UnsupportedOrDamagedBlocksFail) {
    const std::string data = "payload";
    const auto n = static_cast<uint32_t>(data.size());
    MemoryArchive a(BuildZip({
        OwnEntry("ppm.bin", data, OwnFormat({data}, n, n, 2, true)),
        OwnEntry("cipher.bin", data, OwnFormat({data}, n, n, 0, false, 3)),
        OwnEntry("empty-block.bin", data, OwnFormat({testsupport::ZlibCompress("")}, n, n, 0, true)),
        OwnEntry("garbage.bin", data, OwnFormat({"not zlib at all"}, n, n, 0, true)),
        OwnEntry("short.bin", data, OwnFormat({data}, n, n, 0, false).substr(0, 52)),
        OwnEntry("huge-length.bin", data, OwnFormat({}, n, n, 0, false) + std::string("\xFF\xFF\xFF\x7F", 4)),
    }));
    TestContext c;
    for (int i = 0; i < a.directory.Items.Count(); ++i)
        EXPECT_EQ(DecodeError(a, c, i), neInvalidSizeOrCheckSum) << a.directory.Items[i].Name;
}

TEST(ErrorTexts, CodesAndMessages) {
    struct Case {
        int native;
        int code;
        const char* message;
    } cases[] = {
        {neInvalidSizeOrCheckSum, 4, "zip: Invalid size or check sum of file or unsupported compression format - Native error: 00008"},
        {neIndexOutOfBounds, 1, "zip: Index out of bounds - Native error: 00016"},
        {neArchiveDamaged, 27, "zip: Archive is damaged. Open failed - Native error: 00048"},
        {neFileNotFound, 6, "zip: File \"C:\\a.zip\" not found - Native error: 00012"},
        {neCannotCreateFile, 9, "zip: Cannot create file \"C:\\a.zip\" - Native error: 00019"},
        {34, 17, "zip: Invalid compressed size, rfs.size = C:\\a.zip, count =  - Native error: 00034"},
        {37, 20, "zip: Archive is open. You should close it beore performing this operation. - Native error: 00037"},
        {53, 0, "zip: Unknown error - Native error: 00053"},
    };
    for (const Case& c : cases) {
        const EZAException e(c.native, "zip", {"C:\\a.zip"});
        EXPECT_EQ(e.NativeError(), c.native);
        EXPECT_EQ(e.ErrorCode(), c.code) << c.native;
        EXPECT_STREQ(e.what(), c.message);
    }
}

}  // namespace
}  // namespace archivetest
