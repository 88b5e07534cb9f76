#pragma once
// The update list as both programs take it: the list and its signature as the server sent them,
// checked against the built-in keys, then read. Fetchwell's "Check" and Quorvex's automatic check
// go through this one check.
#include "updater/signature.h"

#include <cstdint>
#include <string>
#include <vector>

namespace updater {

// The build number that stands for none: version.txt or the update list does not say one.
inline constexpr int32_t kUnknownBuild = 2000;
// The most characters of release notes a list may carry.
inline constexpr size_t kNotesLimit = 4000;

// The command-line switch that makes Fetchwell check at once (a click on Quorvex's update balloon).
inline constexpr char kCheckSwitch[] = "/check";

// The update list's address as built in, and the package's beside a list's.
extern const char* const kUpdateListUrl;
std::string PackageUrl(const std::string& listUrl);

// What a signed list says about the build it offers.
struct ListedUpdate {
    int32_t build = kUnknownBuild;
    std::string versionName, release, size;  // "Error" where the list says nothing
    std::string notes;                       // with CR LF line ends; empty when there are none
    int32_t bytes = -1;                      // the package's exact size and SHA-256 (lower case)
    std::string sha256;
    // Only a package the list gives the size and digest of can be checked, and so taken.
    bool PackageDescribed() const { return bytes >= 0 && sha256.size() == 64; }
};

enum class ListVerdict {
    NoList,       // nothing that reads as a list (an error page, an empty answer, no build)
    NotVerified,  // a list, but no built-in key signed exactly these bytes
    Verified,
};

struct CheckedList {
    ListVerdict verdict = ListVerdict::NoList;
    ListedUpdate update;  // read only when verified
};

// Checks the downloaded list at `listPath` against the signature at `signaturePath`; nothing of the
// list is read before the signature has verified it with one of `keys`.
CheckedList CheckList(const std::string& listPath, const std::string& signaturePath,
                      const std::vector<std::string>& keys = BuiltInUpdateKeys());

// A `notes` value as shown: "\n" starts a new line (CR LF), "\\" is one backslash.
std::string NotesText(const std::string& value);

// Whether `listed` is a build to offer over `installed`; a build the person chose to skip is
// offered again only when asked for (`skipped`: kUnknownBuild for none).
bool Offered(int32_t listed, int32_t installed, int32_t skipped = kUnknownBuild);

}  // namespace updater
