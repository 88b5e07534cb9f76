#pragma once
// The archive component: opens a ZIP archive, selects entries by mask and attributes, extracts
// them into a folder and closes the archive again. Fetchwell uses OpenArchiveFile,
// ExtractMatching("*.*", 63, "") and CloseArchiveFile; the rest of the surface is the full
// archiver's, with writing outside this module's reach.
#include "archive/errors.h"
#include "archive/streams.h"
#include "archive/volumes.h"
#include "archive/zip_decode.h"
#include "archive/zip_directory.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace archive {

// The runtime library's component base: a name and an owner.
class TComponent {
public:
    explicit TComponent(TComponent* owner = nullptr) : Owner(owner) {}
    virtual ~TComponent() = default;
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;

    std::string Name;
    TComponent* Owner;
};

enum TZACompressionLevel { clNone, clFastest, clNormal, clMax };
enum TZAProcessOperation { poAdd, poMove, poDelete, poUpdate, poExtract, poTest, poRename, poChangeAttr, poChangeComment };
enum TZAProgressPhase { ppStart, ppProcess, ppEnd };
enum TZAAction { fxaRetry, fxaIgnore, fxaAbort };
enum TZAOverwriteMode { omPrompt, omAlways, omNever, omIfNewer, omIfOlder };
enum TZAFileShareMode { smShareCompat, smShareExclusive, smShareDenyWrite, smShareDenyRead, smShareDenyNone };
enum TZAStorePathMode { spNoPath, spRelativePath, spFullPath };
enum TZip64Mode { zmDisabled, zmAuto, zmAlways };
enum TZASpanningMode { smNone, smSpanning, smSplitting };
enum TZAVolumeSize { vsAutoDetect, vsCustom, vs1_44MB, vs100MB, vs200MB, vs600MB, vs650MB, vs700MB };

// File-mode words of the runtime library's file streams.
constexpr uint16_t fmOpenRead = 0x0000;
constexpr uint16_t fmOpenWrite = 0x0001;
constexpr uint16_t fmOpenReadWrite = 0x0002;
constexpr uint16_t fmShareExclusive = 0x0010;
constexpr uint16_t fmShareDenyWrite = 0x0020;
constexpr uint16_t fmShareDenyNone = 0x0040;
constexpr uint16_t fmCreate = 0xFFFF;

// The runtime library's persistent base.
class TPersistent {
public:
    virtual ~TPersistent() = default;
};

class TZAOptions : public TPersistent {
public:
    bool Recurse = true;
    TZAStorePathMode StorePath = spRelativePath;
    TZAFileShareMode ShareMode = smShareDenyNone;
    TZAOverwriteMode OverwriteMode = omAlways;
    bool CreateDirs = true;
    bool ReplaceReadOnly = true;
    bool SetAttributes = true;
    int SearchAttr = 63;
    bool FlushBuffers = true;
};

class TZASpanningOptions : public TPersistent {
public:
    // How the volumes of a split archive are named, for an archive "name.zip" of n volumes:
    // True: name.z01, name.z02, ..., name.zip (as Info-ZIP's zip -s writes them; z100 after z99);
    // False: name.001, name.002, ..., name.zip (three digits at least).
    // The last volume always keeps the archive's own name. Reading tries the other naming when
    // the chosen one finds no first volume.
    bool AdvancedNaming = true;
    int64_t FirstVolumeSize = 0;  // 0: the same as the others
    TZAVolumeSize VolumeSize = vsAutoDetect;

    int64_t CustomVolumeSize() const { return customVolumeSize_; }
    void SetCustomVolumeSize(int64_t size) { customVolumeSize_ = size < 65536 ? 65536 : size; }
    // Bytes per volume; 0 for vsAutoDetect (free disk space decides).
    int64_t VolumeSizeBytes() const;

private:
    int64_t customVolumeSize_ = 0;
};

class TZABaseArchiver;

using TNotifyEvent = std::function<void(TZABaseArchiver* sender)>;
using TZAFileProgressEvent = std::function<void(TZABaseArchiver* sender, const std::string& fileName, double progress,
                                                TZAProcessOperation operation, TZAProgressPhase phase, bool& cancel)>;
using TZAProgressEvent = std::function<void(TZABaseArchiver* sender, double progress, TZAProcessOperation operation,
                                            TZAProgressPhase phase, bool& cancel)>;
using TZAConfirmOverwriteEvent = std::function<void(TZABaseArchiver* sender, const std::string& sourceFileName,
                                                    std::string& destFileName, bool& confirm)>;
using TZAConfirmProcessFileEvent = std::function<void(TZABaseArchiver* sender, const std::string& fileName,
                                                      TZAProcessOperation operation, bool& confirm)>;
using TZAOnPasswordEvent = std::function<void(TZABaseArchiver* sender, const std::string& fileName,
                                              std::string& newPassword, bool& skipFile)>;
using TZAProcessFileFailureEvent =
    std::function<void(TZABaseArchiver* sender, const std::string& fileName, TZAProcessOperation operation,
                       int nativeError, int errorCode, const std::string& errorMessage, TZAAction& action)>;
using TZARequestVolumeNumberEvent =
    std::function<void(TZABaseArchiver* sender, int volumeNumber, std::string& volumeFileName, bool& cancel)>;
using TZARequestVolumeEvent =
    std::function<void(TZABaseArchiver* sender, std::string& volumeFileName, bool& cancel)>;
using TZADiskFullEvent = std::function<void(TZABaseArchiver* sender, int volumeNumber,
                                            const std::string& volumeFileName, bool& cancel)>;

class TZABaseArchiver : public TComponent {
public:
    explicit TZABaseArchiver(TComponent* owner = nullptr);
    ~TZABaseArchiver() override;

    // Published properties.
    bool OpenCorruptedArchives = false;
    bool ExtractCorruptedFiles = false;
    TZACompressionLevel CompressionLevel() const { return compressionLevel_; }
    void SetCompressionLevel(TZACompressionLevel level);
    int CompressionMode() const { return compressionMode_; }
    void SetCompressionMode(int mode);  // 0 to 9; anything else raises native code 5
    std::string CurrentVersion() const { return "2.06 "; }
    void SetCurrentVersion(const std::string&) {}
    std::string Password;
    std::string FileName;
    std::string BaseDir;
    std::string TempDir;
    TZASpanningMode SpanningMode() const { return spanningMode_; }
    void SetSpanningMode(TZASpanningMode mode);
    TZASpanningOptions SpanningOptions;
    std::string SFXStub;
    TZAOptions Options;
    std::vector<std::string> FileMasks;
    std::vector<std::string> ExclusionMasks;
    std::vector<std::string> NoCompressionMasks;
    bool InMemory = false;

    TZAFileProgressEvent OnFileProgress;
    TZAProgressEvent OnOverallProgress;
    TZAConfirmOverwriteEvent OnConfirmOverwrite;
    TZAConfirmProcessFileEvent OnConfirmProcessFile;
    TNotifyEvent AfterOpen;
    TZAOnPasswordEvent OnPassword;
    TZAProcessFileFailureEvent OnProcessFileFailure;
    TZARequestVolumeNumberEvent OnRequestBlankVolume;
    TZARequestVolumeNumberEvent OnRequestMiddleVolume;
    TZARequestVolumeEvent OnRequestFirstVolume;
    TZARequestVolumeEvent OnRequestLastVolume;
    TZADiskFullEvent OnDiskFull;

    // Operations.
    // Opening finds the end record in FileName. When it is not there: a self-extractor (".exe"
    // in the extension) may begin a split archive, whose last volume, the same name with ".zip",
    // is taken from beside it or asked for (OnRequestLastVolume); the self-extractor then stands
    // for the first volume when no such file is beside it. A split archive's named file may
    // also follow the volume that ends the archive (an empty volume a writer started): the
    // volumes before it are searched, the nearest first.
    void OpenArchiveFile();
    void OpenArchiveFile(uint16_t mode);
    void ExtractMatching(const std::string& fileMask, uint16_t searchAttr, const std::string& exclusionMask);
    void CloseArchiveFile();  // never raises
    void BeginUpdate() { ++updateCount_; }
    void EndUpdate();

    // State.
    bool Active() const { return active_; }
    uint16_t OpenMode() const { return openMode_; }
    TZADirManager* Directory() { return directory_.get(); }
    // The method recorded for new entries, chosen by UpdateCompressionMethod.
    uint16_t CompressionMethod() const { return compressionMethod_; }
    // How many of the marked entries the running or last operation processed.
    int ProcessedCount() const { return processed_; }
    int SelectedCount() const { return selected_; }

protected:
    // Chooses the method recorded for new entries; called whenever the level or mode changes.
    virtual void UpdateCompressionMethod();
    void SetStandardZipMode(bool on) { standardZip_ = on; }
    TZip64Mode zip64Mode_ = zmAuto;
    uint16_t compressionMethod_ = 0;

private:
    class Context;
    class Volumes;
    struct SearchState {
        std::string mask;       // drive dropped, slashes, at most 259 characters
        std::string maskFolder;  // the folder part of the mask, with its trailing slash
        uint16_t attributes = 0;
        std::string exclusion;  // the third argument of ExtractMatching; kept, not used
        int position = 0;
    };

    void SelectMatching(const std::string& mask, uint16_t attributes, const std::string& exclusion);
    bool FindNext(SearchState& search, int& index);
    bool MatchesSearch(const SearchState& search, const TDirItem& item) const;
    void ExtractItem(int index);
    void WriteEntry(const TDirItem& item, const std::string& folder, std::string name, int index);
    // Where entry `name` goes under `folder` and the attributes of what is there already; false
    // when nothing is to be written (a folder item, or a target the options keep).
    bool ChooseTarget(const TDirItem& item, const std::string& folder, std::string name, std::string& target,
                      uint32_t& existing);
    void WriteInPlace(const TDirItem& item, int index, const std::string& target, uint32_t existing);
    void WriteChecked(const TDirItem& item, int index, const std::string& target, uint32_t existing);
    void DecodeInto(int index, Stream& out);
    void FinishFile(os::File& file, const TDirItem& item);
    bool ConfirmOverwrite(const std::string& source, std::string& dest);
    TZAAction ReportFailure(const std::string& name, const EZAException& error);
    bool RaiseFileProgress(const std::string& name, double progress, TZAProgressPhase phase);
    bool RaiseOverallProgress(double progress, TZAProgressPhase phase);
    bool RequestPassword(const std::string& entryName);
    std::string DestinationFolder() const;
    void CreateArchive();
    void OpenExistingArchive(uint16_t mode);
    // Makes `stream` the archive stream, joined with the other volumes when the archive has them;
    // the volume stream, or nullptr.
    VolumeStream* AttachStream(std::unique_ptr<FileStream> stream, uint32_t lastDisk);
    // What a failed opening leaves: no stream, no directory.
    void DropArchive();
    std::unique_ptr<Stream> OpenVolume(uint32_t disk, uint32_t lastDisk);
    // Opens the volume file `name`, straight away unless `ask`; when it cannot be opened,
    // `request` (an event or the default prompt) may name another, until the user cancels.
    // `name` ends as the file opened.
    std::unique_ptr<FileStream> RequestVolumeFile(std::string& name, bool ask,
                                                  const std::function<void(std::string&)>& request);
    // The last volume of the split archive a self-extractor begins, at `name` or asked for.
    std::unique_ptr<FileStream> RequestSelfExtractorsLastVolume(std::string& name);

    TZACompressionLevel compressionLevel_ = clFastest;
    int compressionMode_ = 1;
    TZASpanningMode spanningMode_ = smNone;
    bool standardZip_ = false;
    bool active_ = false;
    uint16_t openMode_ = fmCreate;
    std::unique_ptr<Volumes> volumeSource_;
    SplitVolumeFinder splitVolumes_;
    std::set<uint32_t> declined_;  // volumes that could not be had in this operation
    std::unique_ptr<Stream> stream_;
    bool ownsStream_ = false;
    std::unique_ptr<TZADirManager> directory_;
    int updateCount_ = 0;
    bool cancel_ = false;
    bool skip_ = false;
    int processed_ = 0;
    int selected_ = 0;
    std::string currentName_;  // the entry being extracted, with backslashes
    SearchState search_;
};

class TZipArchiver : public TZABaseArchiver {
public:
    explicit TZipArchiver(TComponent* owner = nullptr);

    TZip64Mode Zip64Mode() const { return zip64Mode_; }
    void SetZip64Mode(TZip64Mode mode) { zip64Mode_ = mode; }

protected:
    void UpdateCompressionMethod() override;
};

// Whether an entry name (folders separated by "\") stays inside the destination folder: not
// absolute, no drive, UNC or leading separator, no ".." (or what Windows trims to it), no
// reserved device name.
bool IsSafeEntryName(const std::string& name);

// The attributes an extracted file gets from its entry: only the bits Windows lets a program
// set; for archives made on Unix, read-only follows the owner's write permission in the mode.
uint32_t FileAttributesOf(const TCentralHeader& header);

}  // namespace archive
