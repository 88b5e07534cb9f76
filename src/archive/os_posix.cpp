// The operating-system layer on POSIX systems, for the native build (tests, fuzzer, tools).
#include "archive/os.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <mutex>
#include <vector>

namespace archive::os {
namespace {

std::string SystemPath(const std::string& path) {
    std::string p = path;
    for (char& c : p)
        if (c == '\\') c = '/';
    return p;
}

class PosixFile final : public File {
public:
    explicit PosixFile(int fd) : fd_(fd) {}
    ~PosixFile() override { ::close(fd_); }
    PosixFile(const PosixFile&) = delete;
    PosixFile& operator=(const PosixFile&) = delete;

    size_t Read(void* buffer, size_t count) override {
        size_t done = 0;
        while (done < count) {
            const ssize_t n = ::read(fd_, static_cast<char*>(buffer) + done, count - done);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            done += static_cast<size_t>(n);
        }
        return done;
    }
    size_t Write(const void* buffer, size_t count) override {
        size_t done = 0;
        while (done < count) {
            const ssize_t n = ::write(fd_, static_cast<const char*>(buffer) + done, count - done);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            done += static_cast<size_t>(n);
        }
        return done;
    }
    bool Seek(int64_t position) override { return ::lseek(fd_, position, SEEK_SET) == position; }
    int64_t Position() override { return ::lseek(fd_, 0, SEEK_CUR); }
    int64_t Size() override {
        struct stat st;
        return ::fstat(fd_, &st) == 0 ? st.st_size : 0;
    }
    bool Flush() override { return ::fsync(fd_) == 0; }
    bool SetDosDateTime(uint32_t dos) override {
        struct tm t = {};
        t.tm_year = static_cast<int>((dos >> 25) & 0x7F) + 80;
        t.tm_mon = static_cast<int>((dos >> 21) & 0x0F) - 1;
        t.tm_mday = static_cast<int>((dos >> 16) & 0x1F);
        t.tm_hour = static_cast<int>((dos >> 11) & 0x1F);
        t.tm_min = static_cast<int>((dos >> 5) & 0x3F);
        t.tm_sec = static_cast<int>(dos & 0x1F) * 2;
        t.tm_isdst = -1;
        const time_t when = mktime(&t);
        if (when == static_cast<time_t>(-1)) return false;
        struct timespec times[2];
        times[0].tv_sec = when;
        times[0].tv_nsec = 0;
        times[1] = times[0];
        return ::futimens(fd_, times) == 0;
    }

private:
    int fd_;
};

mode_t ProcessUmask() {
    static const mode_t mask = [] {
        const mode_t m = ::umask(0);
        ::umask(m);
        return m;
    }();
    return mask;
}

std::unique_ptr<File> Wrap(int fd) {
    if (fd < 0) return nullptr;
    return std::make_unique<PosixFile>(fd);
}

// Code page 437 (upper half) in code page 1252; characters 1252 lacks become "_".
const unsigned char kOemToAnsi[128] = {
    0xC7, 0xFC, 0xE9, 0xE2, 0xE4, 0xE0, 0xE5, 0xE7, 0xEA, 0xEB, 0xE8, 0xEF, 0xEE, 0xEC, 0xC4, 0xC5,
    0xC9, 0xE6, 0xC6, 0xF4, 0xF6, 0xF2, 0xFB, 0xF9, 0xFF, 0xD6, 0xDC, 0xA2, 0xA3, 0xA5, 0x5F, 0x83,
    0xE1, 0xED, 0xF3, 0xFA, 0xF1, 0xD1, 0xAA, 0xBA, 0xBF, 0x5F, 0xAC, 0xBD, 0xBC, 0xA1, 0xAB, 0xBB,
    0x5F, 0x5F, 0x5F, 0x5F, 0x5F, 0x5F, 0x5F, 0x5F, 0x5F, 0x5F, 0x5F, 0x5F, 0x5F, 0x5F, 0x5F, 0x5F,
    0x5F, 0x5F, 0x5F, 0x5F, 0x5F, 0x5F, 0x5F, 0x5F, 0x5F, 0x5F, 0x5F, 0x5F, 0x5F, 0x5F, 0x5F, 0x5F,
    0x5F, 0x5F, 0x5F, 0x5F, 0x5F, 0x5F, 0x5F, 0x5F, 0x5F, 0x5F, 0x5F, 0x5F, 0x5F, 0x5F, 0x5F, 0x5F,
    0x5F, 0xDF, 0x5F, 0x5F, 0x5F, 0x5F, 0xB5, 0x5F, 0x5F, 0x5F, 0x5F, 0x5F, 0x5F, 0x5F, 0x5F, 0x5F,
    0x5F, 0xB1, 0x5F, 0x5F, 0x5F, 0x5F, 0xF7, 0x5F, 0xB0, 0x5F, 0xB7, 0x5F, 0x5F, 0xB2, 0x5F, 0xA0,
};
const unsigned char kAnsiToOem[128] = {
    0x5F, 0x5F, 0x5F, 0x9F, 0x5F, 0x5F, 0x5F, 0x5F, 0x5F, 0x5F, 0x5F, 0x5F, 0x5F, 0x5F, 0x5F, 0x5F,
    0x5F, 0x5F, 0x5F, 0x5F, 0x5F, 0x5F, 0x5F, 0x5F, 0x5F, 0x5F, 0x5F, 0x5F, 0x5F, 0x5F, 0x5F, 0x5F,
    0xFF, 0xAD, 0x9B, 0x9C, 0x5F, 0x9D, 0x5F, 0x5F, 0x5F, 0x5F, 0xA6, 0xAE, 0xAA, 0x5F, 0x5F, 0x5F,
    0xF8, 0xF1, 0xFD, 0x5F, 0x5F, 0xE6, 0x5F, 0xFA, 0x5F, 0x5F, 0xA7, 0xAF, 0xAC, 0xAB, 0x5F, 0xA8,
    0x5F, 0x5F, 0x5F, 0x5F, 0x8E, 0x8F, 0x92, 0x80, 0x5F, 0x90, 0x5F, 0x5F, 0x5F, 0x5F, 0x5F, 0x5F,
    0x5F, 0xA5, 0x5F, 0x5F, 0x5F, 0x5F, 0x99, 0x5F, 0x5F, 0x5F, 0x5F, 0x5F, 0x9A, 0x5F, 0x5F, 0xE1,
    0x85, 0xA0, 0x83, 0x5F, 0x84, 0x86, 0x91, 0x87, 0x8A, 0x82, 0x88, 0x89, 0x8D, 0xA1, 0x8C, 0x8B,
    0x5F, 0xA4, 0x95, 0xA2, 0x93, 0x5F, 0x94, 0xF6, 0x5F, 0x97, 0xA3, 0x96, 0x81, 0x5F, 0x5F, 0x98,
};

uint32_t gLocaleId = 1033;

// Case pairs of code page 1252 beyond ASCII.
bool IsUpper1252(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7) || c == 0x8A || c == 0x8C ||
           c == 0x8E || c == 0x9F;
}
bool IsLower1252(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7) || c == 0x9A || c == 0x9C ||
           c == 0x9E || c == 0xFF;
}

// A collation key for one character: letters by their upper-case form, a small letter just before
// its capital, everything else by byte value ahead of the letters. Strict for every byte value.
int CollationKey(unsigned char c) {
    if (IsLower1252(c)) return 0x1000 + UpperChar(c) * 4;
    if (IsUpper1252(c)) return 0x1000 + c * 4 + 1;
    return c;
}

std::recursive_mutex& ProcessMutex() {
    static std::recursive_mutex mutex;
    return mutex;
}

// Without a desktop there is nobody to ask: keep existing files, go on after failures and
// decline passwords.
class ConsolePrompts final : public Prompts {
public:
    OverwriteAnswer ConfirmOverwrite(const std::string&, const std::string&) override { return OverwriteAnswer::No; }
    FailureAnswer ProcessFailure(const std::string& text, const std::string&) override {
        std::fprintf(stderr, "%s\n", text.c_str());
        return FailureAnswer::Ignore;
    }
    bool InputPassword(const std::string&, const std::string&, std::string&) override { return false; }
    bool RequestVolume(const std::string& text, const std::string&) override {
        std::fprintf(stderr, "%s\n", text.c_str());
        return false;
    }
};

Prompts* gPrompts = nullptr;

}  // namespace

std::unique_ptr<File> OpenFile(const std::string& path, OpenAccess access, Share) {
    const int flags = (access == OpenAccess::Read ? O_RDONLY : O_RDWR) | O_CLOEXEC;
    const std::string p = SystemPath(path);
    struct stat st;
    if (::stat(p.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return nullptr;
    return Wrap(::open(p.c_str(), flags));
}

std::unique_ptr<File> CreateNewFile(const std::string& path) {
    return Wrap(::open(SystemPath(path).c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
}

std::unique_ptr<File> CreateTempFileIn(const std::string& folder, std::string& path) {
    std::string pattern = SystemPath(folder) + ".za-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = ::mkstemp(name.data());
    if (fd < 0) return nullptr;
    // mkstemp makes the file private; give it the mode a newly created file would get.
    ::fchmod(fd, 0666 & ~ProcessUmask());
    path.assign(name.data());
    return Wrap(fd);
}

uint32_t GetAttributes(const std::string& path) {
    struct stat st;
    if (::stat(SystemPath(path).c_str(), &st) != 0) return kNoAttributes;
    if (S_ISDIR(st.st_mode)) return kAttrDirectory;
    return (st.st_mode & S_IWUSR) ? kAttrArchive : (kAttrArchive | kAttrReadOnly);
}

bool SetAttributes(const std::string& path, uint32_t attributes) {
    const std::string p = SystemPath(path);
    struct stat st;
    if (::stat(p.c_str(), &st) != 0) return false;
    const mode_t before = st.st_mode & 07777;
    mode_t mode = before;
    if (attributes & kAttrReadOnly)
        mode &= ~static_cast<mode_t>(S_IWUSR | S_IWGRP | S_IWOTH);
    else
        mode |= S_IWUSR;
    return mode == before || ::chmod(p.c_str(), mode) == 0;
}

bool RemoveFile(const std::string& path) { return ::unlink(SystemPath(path).c_str()) == 0; }

bool MoveOver(const std::string& from, const std::string& to) {
    return ::rename(SystemPath(from).c_str(), SystemPath(to).c_str()) == 0;
}

bool FileExists(const std::string& path) {
    struct stat st;
    return ::stat(SystemPath(path).c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool DirectoryExists(const std::string& path) {
    struct stat st;
    return ::stat(SystemPath(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool MakeDirectory(const std::string& path) { return ::mkdir(SystemPath(path).c_str(), 0777) == 0; }

int32_t FileDosDateTime(const std::string& path) {
    struct stat st;
    if (::stat(SystemPath(path).c_str(), &st) != 0) return -1;
    struct tm t;
    if (!localtime_r(&st.st_mtime, &t) || t.tm_year < 80) return -1;
    const uint32_t date = static_cast<uint32_t>(((t.tm_year - 80) << 9) | ((t.tm_mon + 1) << 5) | t.tm_mday);
    const uint32_t time = static_cast<uint32_t>((t.tm_hour << 11) | (t.tm_min << 5) | (t.tm_sec / 2));
    return static_cast<int32_t>((date << 16) | time);
}

std::string CurrentDirectory() {
    std::vector<char> buffer(4096);
    if (!::getcwd(buffer.data(), buffer.size())) return std::string();
    std::string dir(buffer.data());
    if (dir.empty() || dir.back() != '/') dir += '/';
    return dir;
}

bool ChangeDirectory(const std::string& path) { return ::chdir(SystemPath(path).c_str()) == 0; }

std::string OemToAnsiText(const std::string& text) {
    std::string out = text;
    for (char& c : out) c = static_cast<char>(OemToAnsiChar(static_cast<unsigned char>(c)));
    return out;
}

std::string Utf8ToAnsiText(const std::string& text) { return text; }

unsigned char OemToAnsiChar(unsigned char c) { return c < 0x80 ? c : kOemToAnsi[c - 0x80]; }
unsigned char AnsiToOemChar(unsigned char c) { return c < 0x80 ? c : kAnsiToOem[c - 0x80]; }

uint32_t UserLocaleId() { return gLocaleId; }
void SetLocaleId(uint32_t lcid) { gLocaleId = lcid; }

int CompareChar(uint32_t, unsigned char a, unsigned char b, bool ignoreCase) {
    if (ignoreCase) {
        a = UpperChar(a);
        b = UpperChar(b);
    }
    return CollationKey(a) - CollationKey(b);
}

unsigned char UpperChar(unsigned char c) {
    if (c >= 'a' && c <= 'z') return static_cast<unsigned char>(c - 32);
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<unsigned char>(c - 32);
    switch (c) {
        case 0x9A: return 0x8A;
        case 0x9C: return 0x8C;
        case 0x9E: return 0x8E;
        case 0xFF: return 0x9F;
        default: return c;
    }
}

unsigned char LowerChar(unsigned char c) {
    if (c >= 'A' && c <= 'Z') return static_cast<unsigned char>(c + 32);
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<unsigned char>(c + 32);
    switch (c) {
        case 0x8A: return 0x9A;
        case 0x8C: return 0x9C;
        case 0x8E: return 0x9E;
        case 0x9F: return 0xFF;
        default: return c;
    }
}

void LockProcess() { ProcessMutex().lock(); }
void UnlockProcess() { ProcessMutex().unlock(); }

Prompts& CurrentPrompts() {
    static ConsolePrompts console;
    return gPrompts ? *gPrompts : console;
}

void SetPrompts(Prompts* prompts) { gPrompts = prompts; }

}  // namespace archive::os
