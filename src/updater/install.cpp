#include "updater/install.h"

#include "common/files.h"
#include "common/handles.h"

#include <algorithm>
#include <vector>

namespace updater {

namespace {

constexpr const char* kJournal = "install.log";

std::string Slash(std::string folder) {
    if (!folder.empty() && folder.back() != '\\') folder += '\\';
    return folder;
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }
bool IsFolder(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The names below `folder`, relative to it, each folder before what it holds.
void Walk(const std::string& folder, const std::string& prefix, std::vector<std::pair<std::string, bool>>& out) {
    WIN32_FIND_DATAA found;
    std::vector<std::string> subfolders;
    {
        const common::FindHandle search(FindFirstFileA((folder + prefix + "*").c_str(), &found));
        if (!search) return;
        do {
            const std::string name = found.cFileName;
            if (name == "." || name == "..") continue;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                subfolders.push_back(prefix + name + "\\");
            } else {
                out.emplace_back(prefix + name, false);
            }
        } while (FindNextFileA(search.Get(), &found));
    }
    for (const std::string& sub : subfolders) {
        out.emplace_back(sub, true);
        Walk(folder, sub, out);
    }
}

// The journal: one line per step, written through to the disk before the step is taken.
//   "d NAME" a folder created, "+ NAME" a file added, "= NAME" a file replaced (the old one is in
//   the backup folder), "!" every file in place.
class Journal {
public:
    explicit Journal(const std::string& path)
        : file_(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_FLAG_WRITE_THROUGH,
                            nullptr)) {}
    bool Open() const { return static_cast<bool>(file_); }
    bool Note(const std::string& line) {
        const std::string text = line + "\r\n";
        DWORD written = 0;
        return WriteFile(file_.Get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
               written == text.size() && FlushFileBuffers(file_.Get());
    }

private:
    common::File file_;
};

std::vector<std::string> JournalLines(const std::string& path) {
    std::vector<std::string> lines;
    const std::string text = common::ReadWholeFile(path);
    size_t start = 0;
    for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    return lines;  // a last line cut short by a crash has no line end and is dropped
}

// Undoes the steps of a journal, last first: old files back, added files and folders away.
void Undo(const std::string& programDir, const std::string& backup, const std::vector<std::string>& lines) {
    for (auto line = lines.rbegin(); line != lines.rend(); ++line) {
        if (line->size() < 3) continue;
        const std::string name = line->substr(2);
        const std::string target = programDir + name;
        switch ((*line)[0]) {
            case '=':
                // Not in the backup: the step was noted but the old file never moved.
                if (Exists(backup + name)) MoveFileExA((backup + name).c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING);
                break;
            case '+':
                SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(target.c_str());
                break;
            case 'd':
                RemoveDirectoryA(target.c_str());
                break;
        }
    }
}

std::string LockName(const std::string& programDir) {
    // Object names are limited to MAX_PATH characters: a deep folder is named by its last part.
    const size_t kKept = 200;
    std::string name = "QuorvexInstall:" + (programDir.size() > kKept ? programDir.substr(programDir.size() - kKept) : programDir);
    std::replace(name.begin(), name.end(), '\\', '/');
    CharUpperBuffA(name.data(), static_cast<DWORD>(name.size()));
    return name;
}

}  // namespace

InstallLock::InstallLock(const std::string& programDir) {
    mutex_.Reset(CreateMutexA(nullptr, TRUE, LockName(Slash(programDir)).c_str()));
    held_ = mutex_ && GetLastError() != ERROR_ALREADY_EXISTS;
}

InstallLock::~InstallLock() {
    if (held_) ReleaseMutex(mutex_.Get());
}

bool RemoveTree(const std::string& folder) {
    if (!Exists(folder)) return true;
    const std::string root = Slash(folder);
    std::vector<std::pair<std::string, bool>> names;
    Walk(root, "", names);
    bool removed = true;
    // Deepest names first, so each folder is empty when its turn comes.
    for (auto entry = names.rbegin(); entry != names.rend(); ++entry) {
        const std::string path = root + entry->first;
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        removed = (entry->second ? RemoveDirectoryA(path.c_str()) : DeleteFileA(path.c_str())) && removed;
    }
    return RemoveDirectoryA(root.c_str()) && removed;
}

bool CommitStaged(const std::string& programDirectory) {
    const std::string dir = Slash(programDirectory);
    const std::string staging = dir + kStagingFolder + "\\";
    const std::string backup = dir + kBackupFolder + "\\";
    std::vector<std::pair<std::string, bool>> names;
    Walk(staging, "", names);

    RemoveTree(backup);
    bool moved = CreateDirectoryA(backup.c_str(), nullptr) != FALSE;
    {
        Journal journal(backup + kJournal);
        moved = moved && journal.Open();
        for (const auto& [name, folder] : names) {
            if (!moved) break;
            const std::string target = dir + name;
            if (folder) {
                CreateDirectoryA((backup + name).c_str(), nullptr);
                if (IsFolder(target)) continue;
                moved = journal.Note("d " + name) && CreateDirectoryA(target.c_str(), nullptr);
                continue;
            }
            if (Exists(target)) {
                // A running program can be renamed, not replaced: the old file steps aside first.
                moved = journal.Note("= " + name) && MoveFileExA(target.c_str(), (backup + name).c_str(), 0);
            } else {
                moved = journal.Note("+ " + name);
            }
            moved = moved && MoveFileExA((staging + name).c_str(), target.c_str(), 0);
        }
        moved = moved && journal.Note("!");
    }
    if (!moved) Undo(dir, backup, JournalLines(backup + kJournal));
    RemoveTree(staging);
    RemoveTree(backup);
    return moved;
}

void RecoverInterruptedInstall(const std::string& programDirectory) {
    const std::string dir = Slash(programDirectory);
    InstallLock lock(dir);
    if (!lock.Held()) return;
    const std::string backup = dir + kBackupFolder + "\\";
    const std::vector<std::string> lines = JournalLines(backup + kJournal);
    if (!lines.empty() && lines.back() != "!") Undo(dir, backup, lines);
    RemoveTree(backup);
    RemoveTree(dir + kStagingFolder);
}

}  // namespace updater
