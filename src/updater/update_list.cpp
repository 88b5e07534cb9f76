#include "updater/update_list.h"

#include "common/files.h"
#include "common/ini_file.h"

#include <cctype>

#ifndef QUORVEX_UPDATE_URL
#define QUORVEX_UPDATE_URL "http://update.quorvex.example/quorvex/update.txt"
#endif

namespace updater {

const char* const kUpdateListUrl = QUORVEX_UPDATE_URL;

std::string PackageUrl(const std::string& listUrl) {
    return listUrl.substr(0, listUrl.rfind('/') + 1) + "quorvexupdate.zip";
}

namespace {
constexpr const char* kSection = "quorvex";
// The list and its signature are small: anything larger is no list of ours.
std::string Small(const std::string& path) { return common::ReadWholeFile(path, 1u << 20); }
}  // namespace

std::string NotesText(const std::string& value) {
    std::string text;
    for (size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '\\' && i + 1 < value.size() && (value[i + 1] == 'n' || value[i + 1] == '\\')) {
            text += value[++i] == 'n' ? "\r\n" : "\\";
            continue;
        }
        text += value[i];
    }
    return text;
}

CheckedList CheckList(const std::string& listPath, const std::string& signaturePath,
                      const std::vector<std::string>& keys) {
    CheckedList checked;
    const common::IniFile list(listPath);
    const int32_t build = list.ReadInteger(kSection, "update", kUnknownBuild);
    if (!SignedByAny(Small(listPath), Small(signaturePath), keys)) {
        // What is no list at all is told apart from a list nobody we trust signed; neither is read further.
        checked.verdict = build == kUnknownBuild ? ListVerdict::NoList : ListVerdict::NotVerified;
        return checked;
    }
    checked.verdict = build == kUnknownBuild ? ListVerdict::NoList : ListVerdict::Verified;
    ListedUpdate& update = checked.update;
    update.build = build;
    update.versionName = list.ReadString(kSection, "wersja", "Error");
    update.release = list.ReadString(kSection, "release", "Error");
    update.size = list.ReadString(kSection, "rozmiar", "Error");
    update.notes = NotesText(list.ReadString(kSection, "notes", "", kNotesLimit));
    update.bytes = list.ReadInteger(kSection, "bytes", -1);
    update.sha256 = list.ReadString(kSection, "sha256", "");
    for (char& c : update.sha256) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return checked;
}

bool Offered(int32_t listed, int32_t installed, int32_t skipped) {
    return listed != kUnknownBuild && installed < listed && listed != skipped;
}

}  // namespace updater
