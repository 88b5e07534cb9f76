// Archives made by real tools extract to exactly the tree `unzip` makes of them.
#include "archive/archiver.h"
#include "archive_fs.h"

#include <gtest/gtest.h>

#include <fstream>
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

}  // namespace
}  // namespace archivetest
