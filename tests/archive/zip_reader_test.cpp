// Locating the end record, reading the central directory and placing entries.
#include "archive/errors.h"
#include "archive/zip_directory.h"
#include "support/zip_writer.h"
#include "test_context.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

using archive::EReadError;
using archive::EZAException;
using archive::neInvalidArchive;
using archive::neZip64EndRecordMissing;
using testsupport::BuildZip;
using testsupport::ZipEntry;
using testsupport::ZipLayout;

namespace archivetest {
namespace {

int NativeErrorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const EZAException& e) {
        return e.NativeError();
    }
    return -1;
}

bool Found(const std::string& zip, std::string* comment = nullptr) {
    archive::MemoryStream s(zip.data(), zip.size());
    int64_t at = 0;
    archive::TEndRecord record;
    std::string c;
    const bool found = archive::FindEndRecord(s, archive::kEndRecordSignature, at, record, c);
    if (comment) *comment = c;
    return found;
}

TEST(EndRecord, LongestCommentIsStillFound) {
    const std::string comment(65535, 'c');
    std::string read;
    EXPECT_TRUE(Found(BuildZip({{"a.txt", "abc"}}, ZipLayout().Comment(comment)), &read));
    EXPECT_EQ(read, comment);
}

TEST(EndRecord, CommentLengthMustReachExactlyToTheEnd) {
    EXPECT_FALSE(Found(BuildZip({{"a.txt", "abc"}}, ZipLayout().Trailing("appended"))));
    // The comment itself may hold something that looks like an end record; its comment length
    // does not reach the end, so the real one is taken.
    const std::string fake = BuildZip({}, {}) + "tail";
    std::string read;
    EXPECT_TRUE(Found(BuildZip({{"a.txt", "abc"}}, ZipLayout().Comment(fake)), &read));
    EXPECT_EQ(read, fake);
}

TEST(EndRecord, ShortOrForeignStreamsHaveNone) {
    const std::string whole = BuildZip({});
    for (size_t n = 0; n < whole.size(); ++n) EXPECT_FALSE(Found(whole.substr(0, n))) << n;
    EXPECT_TRUE(Found(whole));
    EXPECT_FALSE(Found("<html><body>Not found</body></html>"));
    // A download cut short loses its end record.
    const std::string zip = BuildZip({{"a.txt", std::string(5000, 'x')}});
    EXPECT_FALSE(Found(zip.substr(0, zip.size() - 10)));
}

TEST(Directory, ReadsNamesAttributesAndComments) {
    ZipEntry folder{"sub/", ""};
    folder.externalAttributes = 0x10;
    ZipEntry file{"sub\\file.txt", "hello"};
    file.comment = "entry comment";
    file.externalAttributes = 0x21;
    MemoryArchive a(BuildZip({folder, file}, ZipLayout().Comment("archive comment")));
    ASSERT_EQ(a.directory.Items.Count(), 2);
    EXPECT_EQ(a.directory.Items[0].Name, "sub/");
    EXPECT_TRUE(a.directory.Items[0].IsFolder());
    EXPECT_EQ(a.directory.Items[1].Name, "sub/file.txt");  // backslashes become slashes
    EXPECT_EQ(a.directory.Items[1].Comment, "entry comment");
    EXPECT_EQ(a.directory.Items[1].Header.ExternalAttributes, 0x21u);
    EXPECT_EQ(a.directory.Comment, "archive comment");
    EXPECT_EQ(a.directory.Displacement, 0);
}

TEST(Directory, OemNamesComeOutInAnsi) {
    // "caf\x82 ma\x84tre.txt" in code page 437 is "café maître.txt"... with 0x84 as "ä".
    MemoryArchive a(BuildZip({{"caf\x82_\x84\x94\x81.txt", "x"}}));
    EXPECT_EQ(a.directory.Items[0].Name, "caf\xE9_\xE4\xF6\xFC.txt");
    // Bit 11 makes them UTF-8: kept natively, in the ANSI code page on Windows, where bytes that
    // are not UTF-8 become "_".
    ZipEntry flagged{"\xC3\x84\x8E.txt", "x"};
    flagged.flags = 0x800;
    MemoryArchive b(BuildZip({flagged}));
#ifdef _WIN32
    EXPECT_EQ(b.directory.Items[0].Name, "\xC4_.txt");
#else
    EXPECT_EQ(b.directory.Items[0].Name, "\xC3\x84\x8E.txt");
#endif
}

TEST(Directory, LongNamesAreReadWholeAndKeptCut) {
    const std::string longName(300, 'n');
    ZipEntry e{longName, "data"};
    e.comment = "after the name";
    MemoryArchive a(BuildZip({e, {"next.txt", "more"}}));
    ASSERT_EQ(a.directory.Items.Count(), 2);
    EXPECT_EQ(a.directory.Items[0].Name, std::string(256, 'n'));
    EXPECT_EQ(a.directory.Items[0].Comment, "after the name");
    EXPECT_EQ(a.directory.Items[1].Name, "next.txt");
    TestContext c;
    EXPECT_EQ(a.Decode(c, 0), "data");
    // A zero byte ends a name.
    MemoryArchive z(BuildZip({{std::string("a.txt\0hidden", 12), "x"}}));
    EXPECT_EQ(z.directory.Items[0].Name, "a.txt");
}

TEST(Directory, ExtraBlocksAreKeptAndCutToTheRemainder) {
    ZipEntry e{"a.txt", "x"};
    e.extra = std::string("\x55\x54\x05\x00\x01\x02\x03\x04\x05", 9) + std::string("\x99\x99\x10\x00\xAA\xBB", 6);
    MemoryArchive a(BuildZip({e}));
    const auto& extra = a.directory.Items[0].Extra;
    ASSERT_EQ(extra.size(), 2u);
    EXPECT_EQ(extra[0].HeaderID, 0x5455);
    EXPECT_EQ(extra[0].Size, 5);
    EXPECT_EQ(extra[1].HeaderID, 0x9999);
    EXPECT_EQ(extra[1].Size, 2);  // claimed 16, only 2 left
    EXPECT_EQ(extra[1].Data, (std::vector<unsigned char>{0xAA, 0xBB}));
}

TEST(Directory, Zip64RecordsAndExtraBlocks) {
    ZipEntry first{"one.txt", "first entry"};
    first.zip64 = true;
    ZipEntry second{"two.txt", std::string(3000, 'z')};
    second.method = 8;
    second.zip64 = true;
    MemoryArchive a(BuildZip({first, second}, ZipLayout().Zip64()));
    EXPECT_TRUE(a.directory.Zip64);
    EXPECT_EQ(a.directory.Zip64EndRecord.TotalEntries, 2u);
    ASSERT_EQ(a.directory.Items.Count(), 2);
    const auto& item = a.directory.Items[1];
    EXPECT_TRUE(item.Zip64);
    EXPECT_EQ(item.UncompressedSize(), 3000u);
    EXPECT_GT(item.LocalHeaderOffset(), 0u);
    TestContext c;
    EXPECT_EQ(a.Decode(c, 0), "first entry");
    EXPECT_EQ(a.Decode(c, 1), std::string(3000, 'z'));
}

TEST(Directory, Zip64LocatorWithoutItsRecordFails) {
    std::string zip = BuildZip({{"a.txt", "x"}}, ZipLayout().Zip64());
    const size_t record = zip.find(std::string("\x50\x4b\x06\x06", 4));
    ASSERT_NE(record, std::string::npos);
    zip[record] = 'X';
    archive::MemoryStream s(zip.data(), zip.size());
    archive::TZADirManager d(s);
    try {
        d.ReadDirectory(false);
        FAIL() << "no error";
    } catch (const EZAException& e) {
        EXPECT_EQ(e.NativeError(), neZip64EndRecordMissing);
        EXPECT_STREQ(e.what(), "Cannot find Zip64 directory end record - Native error: 00040");
    }
}

TEST(Directory, CountsAndSizesBeyondTheStreamFailCleanly) {
    // 65,535 entries claimed, one present: a read error, not a crash or a huge allocation.
    const std::string many = BuildZip({{"a.txt", "x"}}, ZipLayout().TotalEntries(0xFFFF));
    archive::MemoryStream s1(many.data(), many.size());
    archive::TZADirManager d1(s1);
    EXPECT_THROW(d1.ReadDirectory(false), EReadError);
    // A directory larger than everything in front of the end record.
    const std::string big = BuildZip({{"a.txt", "x"}}, ZipLayout().DirectorySize(0x7FFFFFFF));
    archive::MemoryStream s2(big.data(), big.size());
    archive::TZADirManager d2(s2);
    EXPECT_THROW(d2.ReadDirectory(false), EReadError);
    // An entry whose name runs past the end of the archive.
    ZipEntry longName{"a.txt", "x"};
    std::string cut = BuildZip({longName});
    const size_t central = cut.find(std::string("\x50\x4b\x01\x02", 4));
    cut[central + 28] = '\xFF';
    cut[central + 29] = '\xFF';
    archive::MemoryStream s3(cut.data(), cut.size());
    archive::TZADirManager d3(s3);
    EXPECT_THROW(d3.ReadDirectory(false), EReadError);
}

TEST(Displacement, StubInFrontIsSkipped) {
    const std::string stub = "MZ" + std::string(5000, '\x90') + "PK\x03\x04 not a header";
    ZipEntry folder{"dir/", ""};
    folder.externalAttributes = 0x10;
    MemoryArchive a(BuildZip({{"a.txt", "alpha"}, folder, {"dir/b.txt", "beta"}}, ZipLayout().Prefix(stub)));
    EXPECT_EQ(a.directory.Displacement, static_cast<int64_t>(stub.size()));
    EXPECT_EQ(a.directory.Items[1].LocalHeaderOffset(), a.directory.Items[1].Header.LocalHeaderOffset);
    TestContext c;
    EXPECT_EQ(a.Decode(c, 0), "alpha");
    EXPECT_EQ(a.Decode(c, 2), "beta");
}

TEST(Displacement, FirstEntryWithDataDescriptorKeepsRecordedOffsets) {
    ZipEntry first{"first.txt", "described later"};
    first.method = 8;
    first.dataDescriptor = true;
    MemoryArchive a(BuildZip({first, {"second.txt", "plain"}}));
    EXPECT_EQ(a.directory.Displacement, 0);
    TestContext c;
    EXPECT_EQ(a.Decode(c, 0), "described later");
    EXPECT_EQ(a.Decode(c, 1), "plain");
}

TEST(Recovery, LocalHeadersBecomeItemsWhenTheEndRecordIsMissing) {
    std::string zip = BuildZip({{"a.txt", "alpha"}, {"empty/", ""}});
    zip.resize(zip.find(std::string("\x50\x4b\x01\x02", 4)));  // cut off the directory
    MemoryArchive a(zip, true);
    ASSERT_EQ(a.directory.Items.Count(), 2);
    EXPECT_EQ(a.directory.Items[0].Name, "a.txt");
    EXPECT_EQ(a.directory.Items[0].Header.ExternalAttributes, 0x20u);
    EXPECT_EQ(a.directory.Items[1].Header.ExternalAttributes, 0x10u);
    TestContext c;
    EXPECT_EQ(a.Decode(c, 0), "alpha");

    const std::string junk(100000, 'j');
    archive::MemoryStream s(junk.data(), junk.size());
    archive::TZADirManager d(s);
    EXPECT_EQ(NativeErrorOf([&] { d.ReadDirectory(true); }), neInvalidArchive);
}

TEST(Recovery, HeaderOnAWindowBoundaryIsFoundOnce) {
    for (size_t pad : {65531u, 65532u, 65533u, 65534u}) {
        std::string zip = std::string(pad, 'p') + BuildZip({{"a.txt", "alpha"}});
        zip.resize(zip.find(std::string("\x50\x4b\x01\x02", 4)));
        MemoryArchive a(zip, true);
        EXPECT_EQ(a.directory.Items.Count(), 1) << pad;
    }
}

}  // namespace
}  // namespace archivetest
