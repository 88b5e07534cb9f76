// The archiver: opening, selecting, extracting, overwrite rules, failures and prompts, closing.
#include "archive/archiver.h"
#include "archive/os.h"
#include "archive_fs.h"
#include "support/zip_writer.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

using namespace archive;
using testsupport::BuildZip;
using testsupport::ZipEntry;
using testsupport::ZipLayout;

namespace archivetest {
namespace {

struct Failure {
    std::string name;
    int native;
    int code;
    std::string message;
};

// Answers the default prompts from a script and records them.
class ScriptedPrompts final : public os::Prompts {
public:
    ScriptedPrompts() { os::SetPrompts(this); }
    ~ScriptedPrompts() override { os::SetPrompts(nullptr); }
    std::deque<os::OverwriteAnswer> overwrite;
    std::deque<os::FailureAnswer> failure;
    std::vector<std::pair<std::string, std::string>> shown;  // text, caption

    os::OverwriteAnswer ConfirmOverwrite(const std::string& text, const std::string& caption) override {
        shown.emplace_back(text, caption);
        const auto a = overwrite.empty() ? os::OverwriteAnswer::No : overwrite.front();
        if (!overwrite.empty()) overwrite.pop_front();
        return a;
    }
    os::FailureAnswer ProcessFailure(const std::string& text, const std::string& caption) override {
        shown.emplace_back(text, caption);
        const auto a = failure.empty() ? os::FailureAnswer::Ignore : failure.front();
        if (!failure.empty()) failure.pop_front();
        return a;
    }
    bool InputPassword(const std::string& caption, const std::string& prompt, std::string& value) override {
        shown.emplace_back(prompt, caption);
        value = "typed";
        return false;
    }
    bool RequestVolume(const std::string& text, const std::string& caption) override {
        shown.emplace_back(text, caption);
        return false;
    }
};

// An archiver named like Fetchwell's, extracting into out/ of a scratch folder; failures are
// recorded and ignored unless a test says otherwise.
class Harness {
public:
    Harness() {
        zip.Name = "zip";
        zip.OnProcessFileFailure = [this](TZABaseArchiver*, const std::string& name, TZAProcessOperation, int native,
                                          int code, const std::string& message, TZAAction& action) {
            failures.push_back({name, native, code, message});
            action = fxaIgnore;
        };
    }
    void Open(const std::string& bytes) {
        WriteBytes(ArchivePath(), bytes);
        zip.FileName = ArchivePath();
        zip.BaseDir = Out();
        zip.OpenArchiveFile();
    }
    void Extract(const std::string& mask = "*.*", uint16_t filter = 63) { zip.ExtractMatching(mask, filter, ""); }
    std::string ArchivePath() const { return scratch.Path("a.zip"); }
    std::string Out(const std::string& rel = std::string()) const { return scratch.Path("out/" + rel); }
    std::set<std::string> OutTree() const { return Tree(scratch.Path("out")); }

    Scratch scratch;
    TZipArchiver zip;
    std::vector<Failure> failures;
};

ZipEntry Folder(const std::string& name) {
    ZipEntry e{name, ""};
    e.externalAttributes = 0x10;
    return e;
}

TEST(Properties, DefaultsAfterConstruction) {
    TZipArchiver zip;
    EXPECT_EQ(zip.CurrentVersion(), "2.06 ");
    zip.SetCurrentVersion("9.99");
    EXPECT_EQ(zip.CurrentVersion(), "2.06 ");
    EXPECT_EQ(zip.CompressionLevel(), clFastest);
    EXPECT_EQ(zip.CompressionMode(), 1);
    EXPECT_EQ(zip.Zip64Mode(), zmDisabled);
    EXPECT_EQ(zip.SpanningMode(), smNone);
    EXPECT_FALSE(zip.OpenCorruptedArchives);
    EXPECT_FALSE(zip.ExtractCorruptedFiles);
    EXPECT_TRUE(zip.Options.Recurse);
    EXPECT_EQ(zip.Options.OverwriteMode, omAlways);
    EXPECT_TRUE(zip.Options.CreateDirs && zip.Options.ReplaceReadOnly && zip.Options.SetAttributes);
    EXPECT_EQ(zip.Options.SearchAttr, 63);
    EXPECT_TRUE(zip.Options.FlushBuffers);
    EXPECT_TRUE(zip.SpanningOptions.AdvancedNaming);
    EXPECT_EQ(zip.SpanningOptions.VolumeSize, vsAutoDetect);
}

TEST(Properties, CompressionLevelAndModeMoveTogether) {
    TZipArchiver zip;
    zip.Name = "zip";
    const struct {
        int mode;
        TZACompressionLevel level;
    } modes[] = {{0, clNone}, {1, clFastest}, {3, clFastest}, {4, clNormal}, {6, clNormal}, {7, clMax}, {9, clMax}};
    for (const auto& m : modes) {
        zip.SetCompressionMode(m.mode);
        EXPECT_EQ(zip.CompressionLevel(), m.level) << m.mode;
        EXPECT_EQ(zip.CompressionMethod(), m.mode ? 8 : 0);
    }
    const struct {
        TZACompressionLevel level;
        int mode;
    } levels[] = {{clNone, 0}, {clFastest, 1}, {clNormal, 6}, {clMax, 9}};
    for (const auto& l : levels) {
        zip.SetCompressionLevel(l.level);
        EXPECT_EQ(zip.CompressionMode(), l.mode);
    }
    try {
        zip.SetCompressionMode(10);
        FAIL();
    } catch (const EZAException& e) {
        EXPECT_EQ(e.NativeError(), neInvalidCompressionMode);
        EXPECT_STREQ(e.what(), "zip: Invalid compression mode. Mode must be in [0-9] range - Native error: 00005");
    }
    EXPECT_EQ(zip.CompressionMode(), 9);
    zip.SpanningOptions.SetCustomVolumeSize(100);
    EXPECT_EQ(zip.SpanningOptions.CustomVolumeSize(), 65536);
}

TEST(Open, SpanningModeCannotChangeWhileOpen) {
    Harness h;
    h.Open(BuildZip({{"a.txt", "x"}}));
    try {
        h.zip.SetSpanningMode(smSplitting);
        FAIL();
    } catch (const EZAException&) {
        FAIL() << "a plain exception is expected";
    } catch (const Exception& e) {
        EXPECT_STREQ(e.what(), "Cannot set spanning mode on open archive");
    }
}

TEST(Open, FailuresThatLeaveTheComponentClosed) {
    Harness h;
    auto nativeOf = [&](const std::function<void()>& f) {
        try {
            f();
        } catch (const EZAException& e) {
            EXPECT_FALSE(h.zip.Active());
            return std::make_pair(e.NativeError(), e.ErrorCode());
        }
        return std::make_pair(-1, -1);
    };
    h.zip.FileName = h.scratch.Path();
    EXPECT_EQ(nativeOf([&] { h.zip.OpenArchiveFile(); }).first, neBlankFileName);
    EXPECT_EQ(nativeOf([&] { h.zip.OpenArchiveFile(fmOpenRead); }).first, neBlankFileNameForMode);
    h.zip.FileName = h.scratch.Path("missing.zip");
    EXPECT_EQ(nativeOf([&] { h.zip.OpenArchiveFile(fmOpenRead); }).first, neFileNotFound);
    WriteBytes(h.scratch.Path("page.zip"), "<html><head><title>404</title></head><body>Not Found</body></html>\n");
    h.zip.FileName = h.scratch.Path("page.zip");
    EXPECT_EQ(nativeOf([&] { h.zip.OpenArchiveFile(); }), (std::pair<int, int>(neArchiveDamaged, 27)));
    h.zip.InMemory = true;
    EXPECT_EQ(nativeOf([&] { h.zip.OpenArchiveFile(fmOpenRead); }).first, neInMemoryCreateOnly);
    h.zip.InMemory = false;
    WriteBytes(h.scratch.Path("empty.zip"), "");
    h.zip.FileName = h.scratch.Path("empty.zip");
    EXPECT_EQ(nativeOf([&] { h.zip.OpenArchiveFile(); }).first, neArchiveDamaged);
    WriteBytes(h.scratch.Path("appended.zip"), BuildZip({{"a.txt", "x"}}, ZipLayout().Trailing("junk")));
    h.zip.FileName = h.scratch.Path("appended.zip");
    EXPECT_EQ(nativeOf([&] { h.zip.OpenArchiveFile(); }).first, neArchiveDamaged);
    const std::string whole = BuildZip({{"a.txt", std::string(3000, 'a')}});
    WriteBytes(h.scratch.Path("cut.zip"), whole.substr(0, whole.size() / 2));
    h.zip.FileName = h.scratch.Path("cut.zip");
    EXPECT_EQ(nativeOf([&] { h.zip.OpenArchiveFile(); }).first, neArchiveDamaged);
    EXPECT_EQ(nativeOf([&] { h.zip.ExtractMatching("*.*", 63, ""); }).first, neArchiveNotOpen);
}

TEST(Open, MissingFileBecomesAnEmptyArchive) {
    Harness h;
    int afterOpen = 0;
    h.zip.AfterOpen = [&](TZABaseArchiver*) { ++afterOpen; };
    h.zip.FileName = h.scratch.Path("new.zip");
    h.zip.BaseDir = h.Out();
    h.zip.OpenArchiveFile();
    EXPECT_TRUE(h.zip.Active());
    EXPECT_EQ(afterOpen, 1);
    h.zip.ExtractMatching("*.*", 63, "");
    h.zip.CloseArchiveFile();
    h.zip.CloseArchiveFile();  // safe when closed
    EXPECT_EQ(ReadBytes(h.scratch.Path("new.zip")), std::string("PK\x05\x06", 4) + std::string(18, '\0'));
    EXPECT_TRUE(h.failures.empty());
}

TEST(Open, ExtractingLeavesTheArchiveUnchanged) {
    Harness h;
    const std::string bytes = BuildZip({{"a.txt", "x"}});
    h.Open(bytes);
    h.Extract();
    h.zip.CloseArchiveFile();
    EXPECT_EQ(ReadBytes(h.ArchivePath()), bytes);
}

TEST(Open, PendingUpdateBlocksExtraction) {
    Harness h;
    h.Open(BuildZip({{"a.txt", "x"}}));
    h.zip.BeginUpdate();
    try {
        h.Extract();
        FAIL();
    } catch (const EZAException& e) {
        EXPECT_EQ(e.NativeError(), neUpdateNotEnded);
    }
}

TEST(Extract, FoldersFilesAndEmptyFolderItems) {
    Harness h;
    h.Open(BuildZip({{"top.txt", "top"}, Folder("sub/"), {"sub/deeper/file.txt", "deep"}, Folder("empty/"),
                     Folder("empty/nested/")}));
    h.Extract();
    EXPECT_TRUE(h.failures.empty());
    EXPECT_EQ(h.OutTree(), (std::set<std::string>{"top.txt", "sub/", "sub/deeper/", "sub/deeper/file.txt", "empty/",
                                                  "empty/nested/"}));
    EXPECT_EQ(ReadBytes(h.Out("sub/deeper/file.txt")), "deep");
    EXPECT_EQ(h.zip.ProcessedCount(), 5);
}

TEST(Extract, WithoutCreateDirsFilesLandFlat) {
    Harness h;
    h.zip.Options.CreateDirs = false;
    fs::create_directories(h.Out());
    h.Open(BuildZip({{"a/b/c.txt", "c"}}));
    h.Extract();
    EXPECT_EQ(h.OutTree(), (std::set<std::string>{"c.txt"}));
}

TEST(Extract, FolderItemWithoutFolderBitFailsWithNineteen) {
    Harness h;
    ZipEntry notMarked{"docs/", ""};
    notMarked.externalAttributes = 0;
    h.Open(BuildZip({notMarked, {"after.txt", "after"}}));
    h.Extract();
    ASSERT_EQ(h.failures.size(), 1u);
    EXPECT_EQ(h.failures[0].native, neCannotCreateFile);
    EXPECT_EQ(h.failures[0].name, "docs\\");
    EXPECT_EQ(ReadBytes(h.Out("after.txt")), "after");
}

TEST(Extract, ReadOnlyTargets) {
    for (bool replace : {true, false}) {
        Harness h;
        fs::create_directories(h.Out());
        WriteBytes(h.Out("ro.txt"), "old");
        ASSERT_TRUE(os::SetAttributes(h.Out("ro.txt"), os::kAttrReadOnly));
        h.zip.Options.ReplaceReadOnly = replace;
        h.Open(BuildZip({{"ro.txt", "new"}}));
        h.Extract();
        EXPECT_TRUE(h.failures.empty());
        EXPECT_EQ(ReadBytes(h.Out("ro.txt")), replace ? "new" : "old");
    }
}

TEST(Extract, DateAndAttributesAreRestored) {
    Harness h;
    ZipEntry e{"dated.txt", "when"};
    e.date = 0x4B7C;  // 2017-11-28
    e.time = 0x7A4F;  // 15:18:30
    e.externalAttributes = 0x21;
    h.Open(BuildZip({e, {"plain.txt", "plain"}}));
    h.Extract();
    EXPECT_EQ(os::FileDosDateTime(h.Out("dated.txt")), static_cast<int32_t>(0x4B7C7A4F));
    EXPECT_TRUE(os::GetAttributes(h.Out("dated.txt")) & os::kAttrReadOnly);
    EXPECT_FALSE(os::GetAttributes(h.Out("plain.txt")) & os::kAttrReadOnly);
}

TEST(Extract, OnlyWindowsAttributeBitsAndReadOnlyFromTheUnixMode) {
    constexpr uint16_t kMadeOnUnix = 0x031E, kMadeOnDos = 0x0014;
    const struct {
        const char* name;
        uint16_t madeBy;
        uint32_t external;
        bool readOnly;
    } rows[] = {
        {"unix-rw.txt", kMadeOnUnix, 0100644u << 16, false},
        {"unix-ro.txt", kMadeOnUnix, 0100444u << 16, true},
        {"unix-ro-bit-but-writable.txt", kMadeOnUnix, (0100644u << 16) | 0x01, false},
        {"unix-no-mode-ro-bit.txt", kMadeOnUnix, 0x21, true},
        {"dos-mode-bits-ignored.txt", kMadeOnDos, 0x81A40021u, true},
    };
    std::vector<ZipEntry> entries;
    for (const auto& r : rows) {
        ZipEntry e{r.name, "x"};
        e.versionMadeBy = r.madeBy;
        e.externalAttributes = r.external;
        entries.push_back(e);
    }
    Harness h;
    h.Open(BuildZip(entries));
    h.Extract();
    EXPECT_TRUE(h.failures.empty());
    for (const auto& r : rows) {
        const uint32_t got = os::GetAttributes(h.Out(r.name));
        ASSERT_NE(got, os::kNoAttributes) << r.name;
        EXPECT_EQ((got & os::kAttrReadOnly) != 0, r.readOnly) << r.name;
#ifdef _WIN32
        // Nothing from the Unix mode may reach Windows: no folder, device or cloud-file bits.
        EXPECT_EQ(got & ~static_cast<uint32_t>(0x01 | 0x20 | 0x80), 0u) << r.name << " " << std::hex << got;
#endif
    }
}

TEST(Extract, WrongCrcKeepsTheOldTargetAndGoesOn) {
    Harness h;
    fs::create_directories(h.Out());
    WriteBytes(h.Out("bad.txt"), "good old content");
    ZipEntry bad{"bad.txt", "damaged"};
    bad.crc = 0xDEADBEEF;
    ZipEntry fresh{"fresh.txt", "damaged too"};
    fresh.crc = 0xDEADBEEF;
    h.Open(BuildZip({bad, fresh, {"next.txt", "next"}}));
    h.Extract();
    ASSERT_EQ(h.failures.size(), 2u);
    EXPECT_EQ(h.failures[0].native, neInvalidSizeOrCheckSum);
    EXPECT_EQ(h.failures[0].code, 4);
    EXPECT_EQ(h.failures[0].message,
              "zip: Invalid size or check sum of file or unsupported compression format - Native error: 00008");
    EXPECT_EQ(ReadBytes(h.Out("bad.txt")), "good old content");
    EXPECT_EQ(ReadBytes(h.Out("next.txt")), "next");
    EXPECT_EQ(h.OutTree(), (std::set<std::string>{"bad.txt", "next.txt"}));  // no temporary left
}

TEST(Extract, CorruptedFilesKeptWhenAsked) {
    Harness h;
    h.zip.ExtractCorruptedFiles = true;
    ZipEntry bad{"bad.txt", "damaged"};
    bad.crc = 0xDEADBEEF;
    h.Open(BuildZip({bad}));
    h.Extract();
    EXPECT_TRUE(h.failures.empty());
    EXPECT_EQ(ReadBytes(h.Out("bad.txt")), "damaged");
}

TEST(Extract, BombInflatingPastItsRecordedSize) {
    Harness h;
    ZipEntry bomb{"bomb.bin", std::string(20 << 20, '\0')};
    bomb.method = 8;
    bomb.uncompressedSize = 4096;
    h.Open(BuildZip({bomb, {"after.txt", "after"}}));
    h.Extract();
    ASSERT_EQ(h.failures.size(), 1u);
    EXPECT_EQ(h.failures[0].native, neInvalidSizeOrCheckSum);
    EXPECT_EQ(h.OutTree(), (std::set<std::string>{"after.txt"}));
}

TEST(Extract, NamesThatWouldLeaveTheDestination) {
    const char* const attacks[] = {
        "../dotdot-slash.txt",  "..\\dotdot-backslash.txt", "sub/../../climb.txt", "C:drive-relative.txt",
        "C:\\drive-absolute.txt", "\\\\server\\share\\unc.txt", "/leading-slash.txt", "\\leading-backslash.txt",
        "CON",                  "nul.txt",                   "sub/com1.log",        "LPT9",
        "aux .txt",             "sub/.. /trailing-space.txt", "sub/.../three-dots.txt", "sub/..",
    };
    for (const char* attack : attacks) {
        Harness h;
        h.Open(BuildZip({{attack, "evil"}, {"ok.txt", "fine"}}));
        h.Extract();
        ASSERT_EQ(h.failures.size(), 1u) << attack;
        EXPECT_EQ(h.failures[0].native, neCannotCreateFile) << attack;
        std::string shown = attack;
        for (char& c : shown)
            if (c == '/') c = '\\';
        EXPECT_EQ(h.failures[0].name, shown);
        EXPECT_NE(h.failures[0].message.find(shown), std::string::npos) << h.failures[0].message;
        EXPECT_EQ(h.OutTree(), (std::set<std::string>{"ok.txt"})) << attack;
        // Nothing beside the destination either.
        EXPECT_EQ(Tree(h.scratch.Path()), (std::set<std::string>{"a.zip", "out/", "out/ok.txt"})) << attack;
    }
    // Superscript port numbers are devices too: stored in the OEM code page (0xFD is the
    // superscript two) or flagged UTF-8, however they arrive.
    const struct {
        ZipEntry entry;
        const char* shown;
    } superscripts[] = {{{"COM\xFD", "evil"}, "COM\xB2"},
#ifdef _WIN32
                        {{"sub/lpt\xC2\xB9.txt", "evil", 0, {}, kUtf8NameFlag}, "sub\\lpt\xB9.txt"},
                        {{"COM\xC2\xB3.log", "evil", 0, {}, kUtf8NameFlag}, "COM\xB3.log"},
#else
                        {{"sub/lpt\xC2\xB9.txt", "evil", 0, {}, kUtf8NameFlag}, "sub\\lpt\xC2\xB9.txt"},
                        {{"COM\xC2\xB3.log", "evil", 0, {}, kUtf8NameFlag}, "COM\xC2\xB3.log"},
#endif
    };
    for (const auto& s : superscripts) {
        Harness h;
        h.Open(BuildZip({s.entry, {"ok.txt", "fine"}}));
        h.Extract();
        ASSERT_EQ(h.failures.size(), 1u) << s.shown;
        EXPECT_EQ(h.failures[0].native, neCannotCreateFile) << s.shown;
        EXPECT_EQ(h.failures[0].name, s.shown);
        EXPECT_EQ(h.OutTree(), (std::set<std::string>{"ok.txt"})) << s.shown;
    }
    EXPECT_TRUE(IsSafeEntryName("COM\xB4"));  // an acute accent is no digit
    EXPECT_TRUE(IsSafeEntryName("dir\\file.txt"));
    EXPECT_TRUE(IsSafeEntryName(".\\file..txt"));
    EXPECT_TRUE(IsSafeEntryName("console.txt"));
    EXPECT_TRUE(IsSafeEntryName("COM10"));
}

TEST(Overwrite, ModesAndDates) {
    struct Case {
        TZAOverwriteMode mode;
        uint32_t existing;  // DOS date-time of the file on disk
        bool replaced;
    };
    const uint32_t entry = 0x4B7C7A4F;
    const Case cases[] = {
        {omAlways, entry, true},       {omNever, entry, false},
        {omIfNewer, entry - 1, true},  {omIfNewer, entry, false}, {omIfNewer, entry + 1, false},
        {omIfOlder, entry + 1, true},  {omIfOlder, entry, false}, {omIfOlder, entry - 1, false},
    };
    for (const Case& c : cases) {
        Harness h;
        fs::create_directories(h.Out());
        WriteBytes(h.Out("f.txt"), "old");
        {
            auto file = os::OpenFile(h.Out("f.txt"), os::OpenAccess::ReadWrite, os::Share::DenyNone);
            ASSERT_TRUE(file && file->SetDosDateTime(c.existing));
        }
        ASSERT_EQ(os::FileDosDateTime(h.Out("f.txt")), static_cast<int32_t>(c.existing));
        h.zip.Options.OverwriteMode = c.mode;
        ZipEntry e{"f.txt", "new"};
        e.date = static_cast<uint16_t>(entry >> 16);
        e.time = static_cast<uint16_t>(entry);
        h.Open(BuildZip({e}));
        h.Extract();
        EXPECT_EQ(ReadBytes(h.Out("f.txt")), c.replaced ? "new" : "old") << c.mode << " " << c.existing;
    }
}

TEST(Overwrite, EventMayRedirectOrDecline) {
    Harness h;
    fs::create_directories(h.Out());
    WriteBytes(h.Out("a.txt"), "old a");
    WriteBytes(h.Out("b.txt"), "old b");
    h.zip.Options.OverwriteMode = omPrompt;
    std::vector<std::string> asked;
    h.zip.OnConfirmOverwrite = [&](TZABaseArchiver*, const std::string& source, std::string& dest, bool& confirm) {
        asked.push_back(source + " -> " + dest);
        if (source == "a.txt")
            dest = h.Out("renamed.txt");
        else
            confirm = false;
    };
    h.Open(BuildZip({{"a.txt", "new a"}, {"b.txt", "new b"}, {"c.txt", "new c"}}));
    h.Extract();
    EXPECT_EQ(asked, (std::vector<std::string>{"a.txt -> " + h.Out("a.txt"), "b.txt -> " + h.Out("b.txt")}));
    EXPECT_EQ(ReadBytes(h.Out("a.txt")), "old a");
    EXPECT_EQ(ReadBytes(h.Out("renamed.txt")), "new a");
    EXPECT_EQ(ReadBytes(h.Out("b.txt")), "old b");
    EXPECT_EQ(ReadBytes(h.Out("c.txt")), "new c");
}

TEST(Overwrite, DefaultPromptWithNoToAllAndYesToAll) {
    for (auto answer : {os::OverwriteAnswer::NoToAll, os::OverwriteAnswer::YesToAll}) {
        Harness h;
        ScriptedPrompts prompts;
        prompts.overwrite = {answer};
        fs::create_directories(h.Out());
        for (const char* n : {"1.txt", "2.txt", "3.txt"}) WriteBytes(h.Out(n), "old");
        h.zip.Options.OverwriteMode = omPrompt;
        h.Open(BuildZip({{"1.txt", "new"}, {"2.txt", "new"}, {"new.txt", "new"}, {"3.txt", "new"}}));
        h.Extract();
        ASSERT_EQ(prompts.shown.size(), 1u);  // asked once only
        EXPECT_EQ(prompts.shown[0].first, "Overwrite file \"" + h.Out("1.txt") + "\" with \"1.txt\"");
        EXPECT_EQ(prompts.shown[0].second, "Confirm");
        const std::string expected = answer == os::OverwriteAnswer::NoToAll ? "old" : "new";
        for (const char* n : {"1.txt", "2.txt", "3.txt"}) EXPECT_EQ(ReadBytes(h.Out(n)), expected) << n;
        EXPECT_EQ(ReadBytes(h.Out("new.txt")), "new");
        EXPECT_EQ(h.zip.Options.OverwriteMode, answer == os::OverwriteAnswer::NoToAll ? omNever : omAlways);
    }
}

TEST(Failures, DefaultPromptRetryIgnoreAbort) {
    Harness h;
    h.zip.OnProcessFileFailure = nullptr;
    ScriptedPrompts prompts;
    prompts.failure = {os::FailureAnswer::Retry, os::FailureAnswer::Ignore, os::FailureAnswer::Abort};
    ZipEntry bad{"bad.txt", "x"};
    bad.crc = 1;
    ZipEntry bad2 = bad;
    bad2.name = "bad2.txt";
    std::vector<TZAProgressPhase> overall;
    h.zip.OnOverallProgress = [&](TZABaseArchiver*, double, TZAProcessOperation, TZAProgressPhase phase, bool&) {
        if (phase != ppProcess) overall.push_back(phase);
    };
    h.Open(BuildZip({bad, {"ok.txt", "ok"}, bad2, {"late.txt", "never"}}));
    h.Extract();
    ASSERT_EQ(prompts.shown.size(), 3u);  // bad.txt twice (retry), then bad2.txt
    EXPECT_EQ(prompts.shown[0].first,
              "zip: Invalid size or check sum of file or unsupported compression format - Native error: 00008. File "
              "processing error, possibly disk is full");
    EXPECT_EQ(prompts.shown[0].second, "Confirm");
    EXPECT_EQ(h.OutTree(), (std::set<std::string>{"ok.txt"}));  // aborted before late.txt
    EXPECT_EQ(overall, (std::vector<TZAProgressPhase>{ppStart, ppEnd}));
}

TEST(Failures, RetryThatSucceedsWritesOnce) {
    Harness h;
    int confirmations = 0;
    h.zip.OnConfirmProcessFile = [&](TZABaseArchiver*, const std::string& name, TZAProcessOperation, bool&) {
        if (name == "a.txt") ++confirmations;
    };
    bool blocked = true;
    fs::create_directories(h.Out("a.txt"));  // a folder stands where the file goes
    h.zip.OnProcessFileFailure = [&](TZABaseArchiver*, const std::string&, TZAProcessOperation, int native, int,
                                     const std::string&, TZAAction& action) {
        EXPECT_EQ(native, neCannotCreateFile);
        fs::remove(h.Out("a.txt"));
        blocked = false;
        action = fxaRetry;
    };
    h.Open(BuildZip({{"a.txt", "content"}, {"b.txt", "b"}}));
    h.Extract();
    EXPECT_FALSE(blocked);
    EXPECT_EQ(confirmations, 2);
    EXPECT_EQ(ReadBytes(h.Out("a.txt")), "content");
    EXPECT_EQ(h.zip.ProcessedCount(), 2);
}

TEST(Events, ProgressPhasesAndCancel) {
    Harness h;
    std::vector<std::string> events;
    h.zip.OnFileProgress = [&](TZABaseArchiver*, const std::string& name, double p, TZAProcessOperation op,
                               TZAProgressPhase phase, bool&) {
        EXPECT_EQ(op, poExtract);
        events.push_back("file " + name + " " + std::to_string(phase) + " " + std::to_string(static_cast<int>(p)));
    };
    h.zip.OnOverallProgress = [&](TZABaseArchiver*, double p, TZAProcessOperation, TZAProgressPhase phase, bool&) {
        events.push_back("all " + std::to_string(phase) + " " + std::to_string(static_cast<int>(p)));
    };
    h.zip.OnConfirmProcessFile = [&](TZABaseArchiver*, const std::string& name, TZAProcessOperation, bool& confirm) {
        confirm = name != "skip.txt";
    };
    h.Open(BuildZip({{"d/a.txt", "aaaa"}, {"skip.txt", "s"}}));
    h.Extract();
    EXPECT_EQ(events, (std::vector<std::string>{"all 0 0", "file d\\a.txt 0 0", "file d\\a.txt 1 0", "all 1 0",
                                                "file d\\a.txt 2 100", "all 2 100"}));
    EXPECT_EQ(h.OutTree(), (std::set<std::string>{"d/", "d/a.txt"}));

    Harness c;
    int files = 0;
    c.zip.OnOverallProgress = [&](TZABaseArchiver*, double, TZAProcessOperation, TZAProgressPhase phase, bool& cancel) {
        if (phase == ppStart) cancel = true;
        EXPECT_NE(phase, ppEnd);
    };
    c.zip.OnFileProgress = [&](TZABaseArchiver*, const std::string&, double, TZAProcessOperation, TZAProgressPhase,
                               bool&) { ++files; };
    c.Open(BuildZip({{"a.txt", "a"}}));
    c.Extract();
    EXPECT_EQ(files, 0);
    EXPECT_TRUE(c.OutTree().empty());
}

TEST(Selection, MasksRecurseAndAttributeFilter) {
    ZipEntry hidden{"hidden.txt", "h"};
    hidden.externalAttributes = 0x22;
    ZipEntry readOnly{"ro.txt", "r"};
    readOnly.externalAttributes = 0x21;
    const std::string archiveBytes =
        BuildZip({{"top.txt", "t"}, {"sub/inner.txt", "i"}, {"sub/inner.doc", "d"}, hidden, readOnly, Folder("dir/")});
    struct Case {
        std::string mask;
        bool recurse;
        uint16_t filter;
        std::set<std::string> tree;
    } cases[] = {
        {"", true, 63, {}},
        {"*", true, 63, {"top.txt", "sub/", "sub/inner.txt", "sub/inner.doc", "hidden.txt", "ro.txt", "dir/"}},
        {"*.TXT", true, 63, {"top.txt", "sub/", "sub/inner.txt", "hidden.txt", "ro.txt"}},
        {"*.txt", false, 63, {"top.txt", "hidden.txt", "ro.txt"}},
        {"sub\\*.doc", false, 63, {"sub/", "sub/inner.doc"}},
        {"C:sub/*.doc", false, 63, {"sub/", "sub/inner.doc"}},
        {"*.txt", true, 0, {"top.txt", "sub/", "sub/inner.txt", "ro.txt"}},  // 0x01 and 0x20 never exclude
        {"*.*", true, 0, {"top.txt", "sub/", "sub/inner.txt", "sub/inner.doc", "ro.txt"}},  // nor do folders get in
    };
    for (const Case& c : cases) {
        Harness h;
        h.zip.Options.Recurse = c.recurse;
        fs::create_directories(h.Out());
        h.Open(archiveBytes);
        h.Extract(c.mask, c.filter);
        EXPECT_EQ(h.OutTree(), c.tree) << c.mask << " recurse " << c.recurse << " filter " << c.filter;
    }
}

TEST(Destination, EmptyBaseDirFollowsTheCurrentDirectory) {
    Harness h;
    h.Open(BuildZip({{"here.txt", "x"}}));
    h.zip.BaseDir.clear();
    fs::create_directories(h.scratch.Path("later"));
    const std::string before = os::CurrentDirectory();
    ASSERT_TRUE(os::ChangeDirectory(h.scratch.Path("later")));
    h.Extract();
    os::ChangeDirectory(before);
    EXPECT_EQ(ReadBytes(h.scratch.Path("later/here.txt")), "x");
}

TEST(Passwords, EventAnswersAndDeclining) {
    ZipEntry secret{"secret.txt", "classified"};
    secret.password = "open sesame";
    {
        Harness h;
        std::vector<std::string> asked;
        h.zip.OnPassword = [&](TZABaseArchiver*, const std::string& name, std::string& password, bool&) {
            asked.push_back(name);
            password = "open sesame";
        };
        h.Open(BuildZip({secret}));
        h.Extract();
        EXPECT_EQ(asked, (std::vector<std::string>{"secret.txt"}));
        EXPECT_EQ(ReadBytes(h.Out("secret.txt")), "classified");
        EXPECT_EQ(h.zip.Password, "open sesame");
    }
    {
        Harness h;
        ScriptedPrompts prompts;  // the default prompt: declined
        fs::create_directories(h.Out());
        WriteBytes(h.Out("secret.txt"), "existing");
        h.Open(BuildZip({secret, {"plain.txt", "plain"}}));
        h.Extract();
        ASSERT_EQ(prompts.shown.size(), 1u);
        EXPECT_EQ(prompts.shown[0], std::make_pair(std::string("Enter password: "),
                                                   std::string("Password for \"secret.txt\"")));
        EXPECT_TRUE(h.failures.empty());
        EXPECT_EQ(ReadBytes(h.Out("secret.txt")), "existing");
        EXPECT_EQ(ReadBytes(h.Out("plain.txt")), "plain");
    }
}

#ifdef _WIN32
TEST(Windows, TargetHeldOpenFailsUntilReleased) {
    Harness h;
    fs::create_directories(h.Out());
    WriteBytes(h.Out("busy.exe"), "running program");
    HANDLE held = CreateFileA(h.Out("busy.exe").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                              nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    int attempts = 0;
    h.zip.OnProcessFileFailure = [&](TZABaseArchiver*, const std::string&, TZAProcessOperation, int native, int,
                                     const std::string& message, TZAAction& action) {
        ++attempts;
        EXPECT_EQ(native, neCannotCreateFile);
        EXPECT_NE(message.find(h.Out("busy.exe")), std::string::npos) << message;
        CloseHandle(held);
        action = fxaRetry;
    };
    h.Open(BuildZip({{"busy.exe", "new program"}}));
    h.Extract();
    EXPECT_EQ(attempts, 1);
    EXPECT_EQ(ReadBytes(h.Out("busy.exe")), "new program");
    EXPECT_EQ(h.OutTree(), (std::set<std::string>{"busy.exe"}));
}
#endif

}  // namespace
}  // namespace archivetest
