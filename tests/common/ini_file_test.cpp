// The INI accessor against the system's real private-profile functions.
#include "common/exception.h"
#include "common/ini_file.h"
#include "common/profile.h"
#include "common/text.h"
#include "support/files.h"

#include <windows.h>

#include <gtest/gtest.h>


namespace {

using testsupport::FileText;
using testsupport::WriteFile;

TEST(IniFile, IntegersAreReadByTheValueRules) {
    const std::string path = common::ProgramDirectory() + "integers.ini";
    WriteFile(path,
              "[Screen]\r\nhex=0x400\r\nspaced= 1024\r\ntrailing=1024abc\r\ndollar=$FF\r\nneg=-5\r\nplus=+7\r\n"
              "ninehex=0x123456789\r\neighthex=0xFFFFFFFF\r\ntoobig=2147483648\r\nmax=2147483647\r\n"
              "min=-2147483648\r\nx=x10\r\nempty=\r\nsign=-\r\nnegdollar=-$10\r\n");
    common::IniFile ini(path);
    struct Case {
        const char* key;
        int32_t expected;
    } cases[] = {
        {"hex", 1024},      {"spaced", 1024}, {"trailing", -1}, {"dollar", 255},    {"neg", -5},
        {"plus", 7},        {"ninehex", -1},  {"toobig", -1},   {"max", 2147483647},
        {"min", INT32_MIN}, {"x", 16},        {"empty", -1},    {"sign", -1},       {"negdollar", -16},
        {"missing", -1},
    };
    for (const Case& c : cases) EXPECT_EQ(ini.ReadInteger("screen", c.key, -1), c.expected) << c.key;
    // A default other than -1 shows the all-ones pattern is really read, not defaulted.
    EXPECT_EQ(ini.ReadInteger("Screen", "eighthex", 42), -1);
    EXPECT_EQ(ini.ReadInteger("Screen", "ninehex", 42), 42);
    EXPECT_EQ(ini.ReadInteger("Other", "hex", 42), 42);
}

TEST(IniFile, ValuesAreReadUpTo2047Characters) {
    const std::string path = common::ProgramDirectory() + "long.ini";
    WriteFile(path, "[s]\r\nk=" + std::string(3000, 'a') + "\r\nn=" + std::string(2050, '1') + "\r\n");
    common::IniFile ini(path);
    EXPECT_EQ(ini.ReadString("s", "k", "").size(), 2047u);
    EXPECT_EQ(ini.ReadInteger("s", "n", 9), 9);
    EXPECT_EQ(ini.ReadString("s", "none", "fallback"), "fallback");
}

TEST(IniFile, WritesGoStraightToTheFileAndAreSeenByEveryAccessor) {
    const std::string path = common::ProgramDirectory() + "shared.ini";
    common::IniFile a(path);
    common::IniFile b(path);
    a.WriteInteger("Screen", "oldX", 1024);
    a.WriteInteger("Screen", "X", -5);
    EXPECT_EQ(b.ReadInteger("SCREEN", "oldx", 0), 1024);
    b.WriteString("Screen", "oldX", "800");
    EXPECT_EQ(a.ReadInteger("Screen", "oldX", 0), 800);
    a.Close();
    EXPECT_EQ(FileText(path), "[Screen]\r\noldX=800\r\nX=-5\r\n");
}

TEST(IniFile, ARefusedWriteNamesTheFile) {
    // A folder where the file should be refuses every write, also to an administrator (tests run
    // as root under Wine, where read-only attributes do not stop writes).
    const std::string path = common::ProgramDirectory() + "refused.ini";
    CreateDirectoryA(path.c_str(), nullptr);
    common::IniFile ini(path);
    try {
        ini.WriteInteger("Screen", "X", 1);
        FAIL() << "the write went through";
    } catch (const common::Exception& e) {
        EXPECT_EQ(std::string(e.what()), "Unable to write to " + path);
    }
    RemoveDirectoryA(path.c_str());
}

TEST(Profile, UsersDirectoryIsCreatedOnceAndAFileInItsPlaceIsAnIoError) {
    const std::string users = common::ProgramDirectory() + "Users";
    RemoveDirectoryA(users.c_str());
    DeleteFileA(users.c_str());
    common::EnsureUsersDirectory();
    common::EnsureUsersDirectory();
    EXPECT_NE(GetFileAttributesA(users.c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
    EXPECT_EQ(common::ProfilePath("JOHN"), common::ProgramDirectory() + "Users\\JOHN");

    RemoveDirectoryA(users.c_str());
    WriteFile(users, "in the way");
    try {
        common::EnsureUsersDirectory();
        FAIL() << "no error";
    } catch (const common::InOutError& e) {
        EXPECT_EQ(e.Code(), ERROR_ALREADY_EXISTS);
        EXPECT_EQ(std::string(e.what()), "I/O error 183");
    }
    DeleteFileA(users.c_str());
}

TEST(Text, IoErrorTextsAndAsciiUpperCase) {
    EXPECT_EQ(common::IoErrorText(5), "File access denied");
    EXPECT_EQ(common::IoErrorText(2), "File not found");
    EXPECT_EQ(common::IoErrorText(106), "Invalid numeric input");
    EXPECT_EQ(common::IoErrorText(32), "I/O error 32");
    EXPECT_EQ(common::AsciiUpper("john\xe9z-1"), "JOHN\xe9Z-1");  // é stays as it is
    const std::string dir = common::ProgramDirectory();
    ASSERT_FALSE(dir.empty());
    EXPECT_EQ(dir.back(), '\\');
}

}  // namespace
