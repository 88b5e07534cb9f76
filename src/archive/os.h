#pragma once
// The small operating-system layer under the archive module: files, attributes and times,
// folders, the current directory, code pages, the locale's character order and case, the
// process-wide lock and the default prompts. os_win32.cpp and os_posix.cpp implement it.
//
// Paths are Windows-style everywhere above this layer ("\" separates folders); the POSIX side
// turns backslashes into slashes when it calls the system.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace archive::os {

// File attribute bits, as Windows defines them.
constexpr uint32_t kAttrReadOnly = 0x01;
constexpr uint32_t kAttrHidden = 0x02;
constexpr uint32_t kAttrSystem = 0x04;
constexpr uint32_t kAttrVolume = 0x08;
constexpr uint32_t kAttrDirectory = 0x10;
constexpr uint32_t kAttrArchive = 0x20;
constexpr uint32_t kNoAttributes = 0xFFFFFFFFu;  // the file does not exist

enum class OpenAccess { Read, ReadWrite };
enum class Share { DenyNone, DenyWrite };

// An open file; closes itself.
class File {
public:
    virtual ~File() = default;
    // Bytes read or written; fewer than asked at the end of the file or on a failure.
    virtual size_t Read(void* buffer, size_t count) = 0;
    virtual size_t Write(const void* buffer, size_t count) = 0;
    virtual bool Seek(int64_t position) = 0;
    virtual int64_t Position() = 0;
    virtual int64_t Size() = 0;
    virtual bool Flush() = 0;
    // Last-write time from a DOS date and time (date in the high half) read as local time.
    virtual bool SetDosDateTime(uint32_t dosDateTime) = 0;
};

std::unique_ptr<File> OpenFile(const std::string& path, OpenAccess access, Share share);
// Creates (or truncates) a file for reading and writing.
std::unique_ptr<File> CreateNewFile(const std::string& path);
// Creates a new file with a unique name in `folder` (which ends in a separator); sets `path`.
std::unique_ptr<File> CreateTempFileIn(const std::string& folder, std::string& path);

uint32_t GetAttributes(const std::string& path);  // kNoAttributes when missing
bool SetAttributes(const std::string& path, uint32_t attributes);
bool RemoveFile(const std::string& path);
// Moves `from` over `to`, replacing it; false when `to` cannot be replaced (for example held open).
bool MoveOver(const std::string& from, const std::string& to);
bool FileExists(const std::string& path);  // a file, not a folder
bool DirectoryExists(const std::string& path);
bool MakeDirectory(const std::string& path);  // one level
// The last-write time as a DOS date and time in local time, -1 when unknown.
int32_t FileDosDateTime(const std::string& path);
// With a trailing separator.
std::string CurrentDirectory();
bool ChangeDirectory(const std::string& path);

// OEM code page to the ANSI code page (on POSIX: 437 to 1252).
std::string OemToAnsiText(const std::string& text);
// UTF-8 to the ANSI code page, every character the code page lacks (and every byte that is not
// UTF-8) becoming "_", never a look-alike. On POSIX, where names stay UTF-8, the text as it is.
std::string Utf8ToAnsiText(const std::string& text);

// The user's locale identifier (1055 is Turkish). The POSIX side answers what SetLocaleId chose
// (1033 by default), so tests can pick the locale; on Windows a chosen locale overrides the user's.
uint32_t UserLocaleId();
void SetLocaleId(uint32_t lcid);
// Case-sensitive locale comparison of two one-character texts: negative, zero or positive.
int CompareChar(uint32_t lcid, unsigned char a, unsigned char b, bool ignoreCase);
unsigned char UpperChar(unsigned char c);
unsigned char LowerChar(unsigned char c);
// Identity conversions used to fill the tables when the collation is not a strict order.
unsigned char OemToAnsiChar(unsigned char c);
unsigned char AnsiToOemChar(unsigned char c);

// One recursive lock for the whole process.
void LockProcess();
void UnlockProcess();
class ProcessLockGuard {
public:
    ProcessLockGuard() { LockProcess(); }
    ~ProcessLockGuard() { UnlockProcess(); }
    ProcessLockGuard(const ProcessLockGuard&) = delete;
    ProcessLockGuard& operator=(const ProcessLockGuard&) = delete;
};

// Answers of the default prompts.
enum class OverwriteAnswer { Yes, No, NoToAll, YesToAll };
enum class FailureAnswer { Abort, Retry, Ignore };

// The prompts shown when the archiver's events are unassigned. Windows shows modal boxes
// through the system-services interface; POSIX has no desktop and answers No, Ignore and Cancel
// (volumes included).
// Tests install their own answers with SetPrompts.
class Prompts {
public:
    virtual ~Prompts() = default;
    virtual OverwriteAnswer ConfirmOverwrite(const std::string& text, const std::string& caption) = 0;
    virtual FailureAnswer ProcessFailure(const std::string& text, const std::string& caption) = 0;
    // True with `value` set when the user pressed OK.
    virtual bool InputPassword(const std::string& caption, const std::string& prompt, std::string& value) = 0;
    // Asks for a volume of a multi-volume archive; true when the user pressed OK.
    virtual bool RequestVolume(const std::string& text, const std::string& caption) = 0;
};
Prompts& CurrentPrompts();
void SetPrompts(Prompts* prompts);  // nullptr: back to the system's

}  // namespace archive::os
