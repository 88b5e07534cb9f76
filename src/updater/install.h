#pragma once
// The staged install of an update: the package is unpacked into a staging folder of the program
// directory first; only then are its files moved into place, each replaced file kept in a backup
// folder until every move succeeded. A journal in the backup folder records each step before it is
// taken, so an install that a crash or power loss interrupted is undone at the next start.
#include "common/handles.h"

#include <string>

namespace updater {

// Folders of an install in the program directory; both go when the install ends.
constexpr const char* kStagingFolder = "~update.new";
constexpr const char* kBackupFolder = "~update.old";

// Held for the whole of an install, so that a program starting meanwhile does not take the
// install's folders for leftovers. One per program directory, across processes.
class InstallLock {
public:
    explicit InstallLock(const std::string& programDir);
    ~InstallLock();
    InstallLock(const InstallLock&) = delete;
    InstallLock& operator=(const InstallLock&) = delete;
    // False when another process holds it.
    bool Held() const { return held_; }

private:
    common::Handle mutex_;
    bool held_ = false;
};

// Moves every file of the staging folder into `programDir` (with a trailing backslash). On the
// first move that fails, everything moved so far is put back as it was. True when all moved. The
// staging and backup folders are removed; a file that cannot go yet (the running Fetchwell.exe,
// moved aside to make room for its successor) is removed by the next start.
bool CommitStaged(const std::string& programDir);

// At a program's start: undoes an install that was interrupted before all its files were in place,
// and removes what an install left behind. Does nothing while an install runs.
void RecoverInterruptedInstall(const std::string& programDir);

// Removes a folder with everything in it; false when something stays.
bool RemoveTree(const std::string& folder);

}  // namespace updater
