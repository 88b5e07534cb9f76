// Archives made by real tools extract to exactly the tree `unzip` makes of them.
#include "archive/archiver.h"
#include "archive/os.h"
#include "archive_fs.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#endif

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

using namespace archive;

namespace archivetest {
namespace {

std::string Fixture(const std::string& name) { return std::string(QV_ARCHIVE_FIXTURES) + "/" + name; }

// The archives the fixture script could make on this machine.
std::vector<std::string> MadeArchives() {
    std::ifstream stamp(Fixture("stamp"));
    std::vector<std::string> names;
    for (std::string line; std::getline(stamp, line);)
        if (!line.empty()) names.push_back(line);
    return names;
}

std::vector<std::string> Extract(const std::string& archivePath, const std::string& out, const std::string& password = "") {
    std::vector<std::string> failures;
    TZipArchiver zip;
    zip.Name = "zip";
    zip.Password = password;
    zip.OnProcessFileFailure = [&](TZABaseArchiver*, const std::string& name, TZAProcessOperation, int, int,
                                   const std::string& message, TZAAction& action) {
        failures.push_back(name + ": " + message);
        action = fxaIgnore;
    };
    zip.OnPassword = [](TZABaseArchiver*, const std::string&, std::string&, bool& skip) { skip = true; };
    zip.FileName = archivePath;
    zip.BaseDir = out;
    zip.OpenArchiveFile();
    zip.ExtractMatching("*.*", 63, "");
    zip.CloseArchiveFile();
    return failures;
}

void ExpectSameTree(const std::string& got, const std::string& expected, const std::string& label) {
    const auto tree = Tree(got);
    EXPECT_EQ(tree, Tree(expected)) << label;
    for (const std::string& rel : tree) {
        if (rel.back() != '/') {
            EXPECT_TRUE(ReadBytes(got + "/" + rel) == ReadBytes(expected + "/" + rel)) << label << " " << rel;
        }
    }
}

TEST(ToolArchives, ExtractLikeUnzip) {
    const auto names = MadeArchives();
    ASSERT_FALSE(names.empty()) << "fixture script did not run";
    for (const std::string& name : names) {
        Scratch scratch;
        const auto failures = Extract(Fixture(name + ".zip"), scratch.Path("out"));
        for (const std::string& failure : failures) {
            // bsdtar marks folders only in their Unix mode, not with the 0x10 attribute: such an
            // item is taken for a file, which cannot be created where its folder now stands.
            const bool folderWithoutBit = failure.find("\\: ") != std::string::npos &&
                                          failure.find("Native error: 00019") != std::string::npos;
            EXPECT_TRUE(name == "bsdtar" && folderWithoutBit) << name << ": " << failure;
        }
        ExpectSameTree(scratch.Path("out"), Fixture("expected-" + name), name);
    }
    for (const char* tool : {"infozip", "bsdtar", "7z"}) {
        bool made = false;
        for (const auto& n : names) made = made || n == tool;
        if (!made) std::printf("note: %s is not installed; its archive was not tested\n", tool);
    }
}

TEST(ToolArchives, EncryptedWithRightAndWrongPassword) {
    std::ifstream probe(Fixture("infozip-encrypted.zip"));
    if (!probe) GTEST_SKIP() << "Info-ZIP zip is not installed";
    {
        Scratch scratch;
        EXPECT_TRUE(Extract(Fixture("infozip-encrypted.zip"), scratch.Path("out"), "secret").empty());
        EXPECT_EQ(ReadBytes(scratch.Path("out/readme.txt")), ReadBytes(Fixture("source/readme.txt")));
        EXPECT_EQ(ReadBytes(scratch.Path("out/docs/guide/chapter1.txt")), ReadBytes(Fixture("source/docs/guide/chapter1.txt")));
    }
    {
        Scratch scratch;
        // Declined passwords: no error, and no file is left behind.
        EXPECT_TRUE(Extract(Fixture("infozip-encrypted.zip"), scratch.Path("out"), "wrong").empty());
        for (const std::string& rel : Tree(scratch.Path("out"))) EXPECT_EQ(rel.back(), '/') << rel;
    }
}

std::vector<std::string> StampLines(const std::string& stamp) {
    std::ifstream f(Fixture(stamp));
    std::vector<std::string> lines;
    for (std::string line; std::getline(f, line);)
        if (!line.empty()) lines.push_back(line);
    return lines;
}

// Split and spanned archives from Info-ZIP's zip -s (64 KiB volumes, entries running across
// them), in both namings and with Zip64 records; one with its second volume missing.
TEST(ToolArchives, MultiVolumeArchives) {
    if (StampLines("split-stamp").empty()) GTEST_SKIP() << "Info-ZIP zip is not installed";
    const int disks = static_cast<int>(std::stoi(StampLines("split-stamp")[3].substr(12)));
    const struct {
        const char* archive;
        bool advancedNaming;
        TZASpanningMode mode;
        bool missingVolume;
    } rows[] = {
        {"split-z/archive.zip", true, smSplitting, false},
        {"split-numbered/archive.zip", false, smSplitting, false},
        {"split-numbered/archive.zip", true, smSplitting, false},  // the other naming is tried too
        {"split-zip64/archive.zip", true, smSplitting, false},
        {"spanned/disk%d/archive.zip", true, smSpanning, false},
        {"split-missing/archive.zip", true, smSplitting, true},
        {"split-sfx/archive.exe", true, smSplitting, false},
        {"split-extra-volume/archive.zip", true, smSplitting, false},
    };
    for (const auto& row : rows) {
        char path[256];
        std::snprintf(path, sizeof(path), row.archive, disks);
        const std::string label = std::string(path) + (row.advancedNaming ? "" : " (numbered naming chosen)");
        Scratch scratch;
        TZipArchiver zip;
        zip.Name = "zip";
        zip.SpanningOptions.AdvancedNaming = row.advancedNaming;
        std::vector<std::string> failures, requests;
        zip.OnProcessFileFailure = [&](TZABaseArchiver*, const std::string& name, TZAProcessOperation, int native, int,
                                       const std::string&, TZAAction& action) {
            failures.push_back(name + " " + std::to_string(native));
            action = fxaIgnore;
        };
        // The disks of a spanned archive are the folders disk1 ... diskN; a split archive's
        // missing volume is not to be found.
        auto disk = [&](int number) { return Fixture("spanned/disk" + std::to_string(number) + "/archive.zip"); };
        zip.OnRequestFirstVolume = [&](TZABaseArchiver*, std::string& name, bool& cancel) {
            requests.push_back("first " + name);
            if (row.mode == smSpanning) name = disk(1); else cancel = true;
        };
        zip.OnRequestMiddleVolume = [&](TZABaseArchiver*, int number, std::string& name, bool& cancel) {
            requests.push_back(std::to_string(number) + " " + name);
            if (row.mode == smSpanning) name = disk(number); else cancel = true;
        };
        zip.OnRequestLastVolume = [&](TZABaseArchiver*, std::string& name, bool& cancel) {
            requests.push_back("last " + name);
            if (row.mode == smSpanning) name = disk(disks); else cancel = true;
        };
        zip.FileName = Fixture(path);
        zip.BaseDir = scratch.Path("out");
        zip.OpenArchiveFile();
        EXPECT_EQ(zip.SpanningMode(), row.mode) << label;
        zip.ExtractMatching("*.*", 63, "");
        zip.CloseArchiveFile();
        if (!row.missingVolume) {
            EXPECT_TRUE(failures.empty()) << label << ": " << failures.front();
            ExpectSameTree(scratch.Path("out"), Fixture("split-source"), label);
            if (Tree(Fixture("expected-7z-split")).size() > 0)
                ExpectSameTree(scratch.Path("out"), Fixture("expected-7z-split"), label + " against 7z");
            if (row.mode == smSplitting) {
                EXPECT_TRUE(requests.empty()) << label << ": " << requests.front();
            } else {
                EXPECT_GE(requests.size(), static_cast<size_t>(disks - 1)) << label;
            }
            continue;
        }
        // The entries in the missing volume fail as an aborted opening, each once, and leave
        // nothing behind; everything else is extracted whole.
        ASSERT_FALSE(failures.empty()) << label;
        for (const std::string& f : failures) EXPECT_EQ(f.substr(f.size() - 3), " 45") << f;
        std::string asked = "2 " + Fixture("split-missing/archive.z02");
        std::replace(asked.begin(), asked.end(), '/', '\\');  // events see backslashes
        EXPECT_EQ(requests, std::vector<std::string>{asked}) << label;
        for (const std::string& rel : Tree(scratch.Path("out"))) {
            if (rel.back() != '/') {
                EXPECT_EQ(ReadBytes(scratch.Path("out/" + rel)), ReadBytes(Fixture("split-source/" + rel))) << rel;
            }
        }
        EXPECT_EQ(Tree(scratch.Path("out")).size() + failures.size(), Tree(Fixture("split-source")).size()) << label;
        for (const std::string& rel : Tree(scratch.Path())) EXPECT_EQ(rel.substr(0, 4), "out/") << rel;
    }
}

// Names flagged UTF-8 (bit 11): kept as they are natively, in the ANSI code page on Windows,
// where a character it lacks becomes "_".
TEST(ToolArchives, Utf8Names) {
    const auto archives = StampLines("utf8-stamp");
    ASSERT_FALSE(archives.empty());
#ifdef _WIN32
    if (GetACP() != 1252) GTEST_SKIP() << "the ANSI code page is " << GetACP() << ", not 1252";
    const char* const expected[] = {"caf\xE9.txt", "_mega.txt", "docs\\na\xEFve\\\xFC.txt"};
#else
    const char* const expected[] = {"caf\xC3\xA9.txt", "\xCE\xA9mega.txt", "docs/na\xC3\xAFve/\xC3\xBC.txt"};
#endif
    const char* const sources[] = {"caf\xC3\xA9.txt", "\xCE\xA9mega.txt", "docs/na\xC3\xAFve/\xC3\xBC.txt"};
    for (const std::string& name : archives) {
        Scratch scratch;
        EXPECT_TRUE(Extract(Fixture(name + ".zip"), scratch.Path("out")).empty()) << name;
        for (size_t i = 0; i < 3; ++i) {
            const std::string got = scratch.Path("out/") + expected[i];
            EXPECT_TRUE(os::FileExists(got)) << name << ": " << expected[i];
            std::ifstream f(got, std::ios::binary);
            std::string text((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
            EXPECT_EQ(text, std::string("content of ") + sources[i] + "\n") << name << ": " << expected[i];
        }
    }
}

}  // namespace
}  // namespace archivetest
