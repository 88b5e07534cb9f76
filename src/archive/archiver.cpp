#include "archive/archiver.h"

#include "archive/masks.h"
#include "archive/os.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace archive {
namespace {

// The method number this component records for its own block format.
constexpr uint16_t kOwnBlockFormatMethod = 0x5A41;
constexpr size_t kMaskField = 260;

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

std::string WithTrailingSeparator(std::string path) {
    if (!path.empty() && !IsSeparator(path.back())) path += '\\';
    return path;
}

std::string FileNamePart(const std::string& name, char separator) {
    const size_t slash = name.rfind(separator);
    return slash == std::string::npos ? name : name.substr(slash + 1);
}

std::string FolderPart(const std::string& name, char separator) {
    const size_t slash = name.rfind(separator);
    return slash == std::string::npos ? std::string() : name.substr(0, slash + 1);
}

// Creates `path` and every missing parent; true when it exists afterwards.
bool ForceDirectories(std::string path) {
    while (!path.empty() && IsSeparator(path.back())) path.pop_back();
    if (path.empty() || os::DirectoryExists(path)) return true;
    // A bare drive ("C:") exists or does not; it cannot be made.
    if (path.size() == 2 && path[1] == ':') return false;
    const size_t slash = path.find_last_of("\\/");
    if (slash != std::string::npos && slash > 0 && !ForceDirectories(path.substr(0, slash))) return false;
    return os::MakeDirectory(path) || os::DirectoryExists(path);
}

// The file-name part of a path is empty (no name, or a path that ends in a separator).
bool BlankFileName(const std::string& path) {
    const size_t slash = path.find_last_of("\\/");
    return path.empty() || slash == path.size() - 1;
}

// Fills each "%s" of `pattern` with the next argument.
std::string Format(const char* pattern, const std::vector<std::string>& args) {
    std::string out;
    size_t next = 0;
    for (const char* p = pattern; *p; ++p) {
        if (p[0] == '%' && p[1] == 's') {
            if (next < args.size()) out += args[next++];
            ++p;
        } else {
            out += *p;
        }
    }
    return out;
}

// The port number of a COM or LPT device: "1" to "9", or the superscript digits one, two and
// three, which Windows takes for devices too. They arrive as the ANSI bytes of code page 1252
// (what OEM bytes such as 0xFD of code page 437 become) or, from names kept in UTF-8, as their
// two-byte sequences.
// Other code pages put other letters at 0xB2, 0xB3 and 0xB9: such names are refused too, which
// costs nothing but an odd file name.
bool IsDeviceDigit(const std::string& digit) {
    if (digit.size() == 1) {
        const unsigned char c = static_cast<unsigned char>(digit[0]);
        return (c >= '1' && c <= '9') || c == 0xB2 || c == 0xB3 || c == 0xB9;
    }
    return digit == "\xC2\xB2" || digit == "\xC2\xB3" || digit == "\xC2\xB9";
}

std::string WithBackslashes(std::string path) {
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

}  // namespace

uint32_t FileAttributesOf(const TCentralHeader& header) {
    // The attribute bits SetFileAttributes takes: read-only, hidden, system, archive, normal,
    // temporary, offline and not-content-indexed. Folder and the rest are the file system's.
    constexpr uint32_t kSettable = 0x0001 | 0x0002 | 0x0004 | 0x0020 | 0x0080 | 0x0100 | 0x1000 | 0x2000;
    constexpr unsigned kUnixHost = 3;
    const uint32_t external = header.ExternalAttributes;
    if ((header.VersionMadeBy >> 8) != kUnixHost) return external & kSettable;
    // Made on Unix: the high half is the file's mode, the low byte what the tool made of it for
    // DOS (often nothing). Write permission for the owner decides read-only.
    uint32_t attributes = external & (os::kAttrReadOnly | os::kAttrHidden | os::kAttrSystem | os::kAttrArchive);
    const uint32_t mode = external >> 16;
    if (mode != 0) {
        constexpr uint32_t kOwnerWrite = 0200;
        attributes &= ~os::kAttrReadOnly;
        if (!(mode & kOwnerWrite)) attributes |= os::kAttrReadOnly;
    }
    return attributes;
}

bool IsSafeEntryName(const std::string& name) {
    if (name.empty()) return true;
    if (IsSeparator(name[0])) return false;  // a root or UNC path
    if (name.find(':') != std::string::npos) return false;  // a drive, or a stream of a file
    static const char* const kDevices[] = {"CON", "PRN", "AUX", "NUL"};
    size_t start = 0;
    while (start <= name.size()) {
        size_t end = name.find_first_of("\\/", start);
        if (end == std::string::npos) end = name.size();
        const std::string part = name.substr(start, end - start);
        start = end + 1;
        if (part.empty() || part == ".") continue;
        // Windows drops trailing dots and spaces, so "..", "... " and ". ." all climb.
        std::string trimmed = part;
        while (!trimmed.empty() && (trimmed.back() == '.' || trimmed.back() == ' ')) trimmed.pop_back();
        if (trimmed.empty()) return false;
        // A device name stays a device with any extension and trailing spaces.
        std::string base = trimmed.substr(0, trimmed.find('.'));
        while (!base.empty() && base.back() == ' ') base.pop_back();
        for (char& c : base) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        for (const char* device : kDevices)
            if (base == device) return false;
        if (base.size() >= 4 && (base.compare(0, 3, "COM") == 0 || base.compare(0, 3, "LPT") == 0) &&
            IsDeviceDigit(base.substr(3)))
            return false;
    }
    return true;
}

int64_t TZASpanningOptions::VolumeSizeBytes() const {
    switch (VolumeSize) {
        case vsAutoDetect: return 0;
        case vsCustom: return customVolumeSize_;
        case vs1_44MB: return 1457664;
        case vs100MB: return 104857600;
        case vs200MB: return 209715200;
        case vs600MB: return 629145600;
        case vs650MB: return 681574400;
        case vs700MB: return 734003200;
    }
    return 0;
}

// Where the volume stream gets the volumes: files beside the last one, or what the volume
// events and prompts name.
class TZABaseArchiver::Volumes final : public VolumeSource {
public:
    explicit Volumes(TZABaseArchiver& owner) : owner_(owner) {}
    std::unique_ptr<Stream> OpenVolume(uint32_t disk, uint32_t lastDisk) override {
        return owner_.OpenVolume(disk, lastDisk);
    }

private:
    TZABaseArchiver& owner_;
};

// Decoding's view of the archiver: its options, password, skip flag and progress events.
class TZABaseArchiver::Context final : public DecodeContext {
public:
    explicit Context(TZABaseArchiver& owner) : owner_(owner) {}
    std::string ArchiverName() const override { return owner_.Name; }
    bool ExtractCorruptedFiles() const override { return owner_.ExtractCorruptedFiles; }
    std::string& Password() override { return owner_.Password; }
    bool& SkipFlag() override { return owner_.skip_; }
    bool RequestPassword(const std::string& entryName) override { return owner_.RequestPassword(entryName); }
    bool Progress(uint64_t consumed, uint64_t total) override {
        const double fraction = total ? static_cast<double>(consumed) / static_cast<double>(total) : 0.0;
        owner_.RaiseFileProgress(owner_.currentName_, fraction * 100.0, ppProcess);
        const double overall =
            owner_.selected_ ? (fraction + owner_.processed_) / owner_.selected_ * 100.0 : 0.0;
        // Both events share the one cancel flag: the last one raised has the final word.
        return owner_.RaiseOverallProgress(overall, ppProcess);
    }

private:
    TZABaseArchiver& owner_;
};

TZABaseArchiver::TZABaseArchiver(TComponent* owner) : TComponent(owner) { UpdateCompressionMethod(); }

TZABaseArchiver::~TZABaseArchiver() {
    if (active_) CloseArchiveFile();
}

void TZABaseArchiver::SetCompressionLevel(TZACompressionLevel level) {
    static const int kModes[] = {0, 1, 6, 9};
    compressionLevel_ = level;
    compressionMode_ = kModes[level];
    UpdateCompressionMethod();
}

void TZABaseArchiver::SetCompressionMode(int mode) {
    if (mode < 0 || mode > 9) throw EZAException(neInvalidCompressionMode, Name);
    compressionMode_ = mode;
    compressionLevel_ = mode == 0 ? clNone : mode <= 3 ? clFastest : mode <= 6 ? clNormal : clMax;
    UpdateCompressionMethod();
}

void TZABaseArchiver::SetSpanningMode(TZASpanningMode mode) {
    if (active_) throw Exception("Cannot set spanning mode on open archive");
    spanningMode_ = mode;
}

void TZABaseArchiver::UpdateCompressionMethod() { compressionMethod_ = kOwnBlockFormatMethod; }

void TZABaseArchiver::EndUpdate() {
    if (updateCount_ > 0) --updateCount_;
}

void TZABaseArchiver::OpenArchiveFile() {
    if (!InMemory && BlankFileName(FileName)) throw EZAException(neBlankFileName, Name);
    uint16_t mode = fmCreate;
    if (!InMemory && os::FileExists(FileName)) {
        if (os::OpenFile(FileName, os::OpenAccess::ReadWrite, os::Share::DenyWrite))
            mode = fmOpenReadWrite | fmShareDenyWrite;
        else
            mode = fmOpenRead | fmShareDenyNone;
    }
    OpenArchiveFile(mode);
}

void TZABaseArchiver::OpenArchiveFile(uint16_t mode) {
    if (!InMemory && BlankFileName(FileName)) throw EZAException(neBlankFileNameForMode, Name);
    if (mode != fmCreate) {
        if (!os::FileExists(FileName)) throw EZAException(neFileNotFound, Name, {FileName});
        if (InMemory) throw EZAException(neInMemoryCreateOnly, Name);
    }
    CloseArchiveFile();
    ownsStream_ = true;
    openMode_ = mode;
    if (mode == fmCreate || InMemory)
        CreateArchive();
    else
        OpenExistingArchive(mode);
    active_ = true;
    if (AfterOpen) AfterOpen(this);
}

void TZABaseArchiver::CreateArchive() {
    if (InMemory) {
        stream_ = std::make_unique<MemoryStream>();
    } else {
        auto file = os::CreateNewFile(FileName);
        if (!file) throw EZAException(neCannotCreateFile, Name, {FileName});
        stream_ = std::make_unique<FileStream>(std::move(file));
    }
    directory_ = std::make_unique<TZADirManager>(*stream_);
}

void TZABaseArchiver::OpenExistingArchive(uint16_t mode) {
    spanningMode_ = smNone;
    cancel_ = false;
    declined_.clear();
    splitVolumes_.Start(FileName, SpanningOptions.AdvancedNaming);
    const bool writable = (mode & 0x3) != fmOpenRead;
    const os::Share share = (mode & 0xF0) == fmShareDenyWrite || (mode & 0xF0) == fmShareExclusive
                                ? os::Share::DenyWrite
                                : os::Share::DenyNone;
    auto file = os::OpenFile(FileName, writable ? os::OpenAccess::ReadWrite : os::OpenAccess::Read, share);
    if (!file) throw EZAException(neCannotOpenFile, Name, {FileName});
    auto stream = std::make_unique<FileStream>(std::move(file));
    VolumeStream* volumes = nullptr;
    try {
        uint32_t lastDisk = 0;
        const bool found = splitVolumes_.FindEnd(stream, lastDisk, [this](std::string& name) {
            return RequestSelfExtractorsLastVolume(name);
        });
        if (!found && !OpenCorruptedArchives) throw EZAException(neArchiveDamaged, Name);
        switch (splitVolumes_.LayoutOf(found, lastDisk)) {
            case SplitVolumeFinder::Layout::Single: break;
            case SplitVolumeFinder::Layout::Split: spanningMode_ = smSplitting; break;
            case SplitVolumeFinder::Layout::Spanned: spanningMode_ = smSpanning; break;
        }
        // Without its end record a multi-volume archive cannot be read.
        if (spanningMode_ != smNone && !found) throw EZAException(neOpeningAborted, std::string());
        volumes = AttachStream(std::move(stream), lastDisk);
        directory_->ReadDirectory(OpenCorruptedArchives);
    } catch (const EReadError&) {
        const bool missing = volumes && volumes->VolumeMissing();
        DropArchive();
        // A volume the directory needs could not be had: the opening was aborted.
        if (missing) throw EZAException(neOpeningAborted, std::string());
        throw;
    } catch (...) {
        DropArchive();
        throw;
    }
}

VolumeStream* TZABaseArchiver::AttachStream(std::unique_ptr<FileStream> stream, uint32_t lastDisk) {
    if (spanningMode_ == smNone) {
        stream_ = std::move(stream);
        directory_ = std::make_unique<TZADirManager>(*stream_);
        return nullptr;
    }
    if (lastDisk >= VolumeStream::kMaxDisks) throw EZAException(neOpeningAborted, std::string());
    volumeSource_ = std::make_unique<Volumes>(*this);
    auto joined = std::make_unique<VolumeStream>(*volumeSource_, lastDisk, std::move(stream));
    VolumeStream* volumes = joined.get();
    stream_ = std::move(joined);
    directory_ = std::make_unique<TZADirManager>(*volumes);
    return volumes;
}

void TZABaseArchiver::DropArchive() {
    directory_.reset();
    stream_.reset();
    volumeSource_.reset();
    spanningMode_ = smNone;
}

std::unique_ptr<FileStream> TZABaseArchiver::RequestSelfExtractorsLastVolume(std::string& name) {
    return RequestVolumeFile(name, false, [&](std::string& requested) {
        if (OnRequestLastVolume) {
            OnRequestLastVolume(this, requested, cancel_);
        } else {
            const std::string text = Format("Insert the last volume (\"%s\") and press OK", {requested});
            cancel_ = !os::CurrentPrompts().RequestVolume(text, "Confirm");
        }
    });
}

std::unique_ptr<FileStream> TZABaseArchiver::RequestVolumeFile(std::string& name, bool ask,
                                                               const std::function<void(std::string&)>& request) {
    // An answer of OK that still names nothing readable is asked again, but not for ever.
    for (int attempts = 0; attempts < 10; ++attempts) {
        if (!ask) {
            if (auto file = os::OpenFile(name, os::OpenAccess::Read, os::Share::DenyNone))
                return std::make_unique<FileStream>(std::move(file));
        }
        ask = false;
        const std::string shown = WithBackslashes(name);
        std::string requested = shown;
        request(requested);
        if (cancel_) break;
        if (requested != shown) name = requested;
    }
    return nullptr;
}

std::unique_ptr<Stream> TZABaseArchiver::OpenVolume(uint32_t disk, uint32_t lastDisk) {
    // A split archive's volumes are files beside the last one; a spanned archive's volumes all
    // have the archive's name, on disks the user inserts when asked.
    // A volume declined once in an operation is not asked for again in it.
    if (declined_.count(disk)) return nullptr;
    std::string name = spanningMode_ == smSplitting ? splitVolumes_.VolumeName(disk, lastDisk) : FileName;
    auto volume = RequestVolumeFile(name, spanningMode_ == smSpanning, [&](std::string& requested) {
        if (disk == 0 && OnRequestFirstVolume) {
            OnRequestFirstVolume(this, requested, cancel_);
        } else if (disk == lastDisk && disk != 0 && OnRequestLastVolume) {
            OnRequestLastVolume(this, requested, cancel_);
        } else if (disk != 0 && disk != lastDisk && OnRequestMiddleVolume) {
            OnRequestMiddleVolume(this, static_cast<int>(disk + 1), requested, cancel_);
        } else {
            const std::string text = Format("Insert volume %s of %s (\"%s\") and press OK",
                                            {std::to_string(disk + 1), std::to_string(lastDisk + 1), requested});
            cancel_ = !os::CurrentPrompts().RequestVolume(text, "Confirm");
        }
    });
    if (!volume) declined_.insert(disk);
    return volume;
}

void TZABaseArchiver::CloseArchiveFile() {
    if (!active_) return;
    try {
        updateCount_ = 0;
        if (stream_ && stream_->Size() == 0) {
            unsigned char record[kEndRecordSize];
            TEndRecord().Store(record);
            stream_->Seek(0);
            stream_->Write(record, sizeof(record));
        }
    } catch (...) {
    }
    active_ = false;
    directory_.reset();
    stream_.reset();
    volumeSource_.reset();
}

std::string TZABaseArchiver::DestinationFolder() const {
    if (BaseDir.empty()) return os::CurrentDirectory();
    return WithTrailingSeparator(BaseDir);
}

void TZABaseArchiver::SelectMatching(const std::string& mask, uint16_t attributes, const std::string& exclusion) {
    for (int i = 0; i < directory_->Items.Count(); ++i) directory_->Items[i].Selected = false;
    search_ = SearchState();
    std::string m = mask;
    if (m.size() >= 2 && m[1] == ':') m.erase(0, 2);
    std::replace(m.begin(), m.end(), '\\', '/');
    if (m.size() > kMaskField - 1) m.resize(kMaskField - 1);
    search_.mask = m;
    search_.maskFolder = FolderPart(m, '/');
    search_.attributes = attributes;
    search_.exclusion = exclusion;
    int index = 0;
    while (FindNext(search_, index)) directory_->Items[index].Selected = true;
}

bool TZABaseArchiver::FindNext(SearchState& search, int& index) {
    while (search.position < directory_->Items.Count()) {
        const int at = search.position++;
        if (MatchesSearch(search, directory_->Items[at])) {
            index = at;
            return true;
        }
    }
    return false;
}

bool TZABaseArchiver::MatchesSearch(const SearchState& search, const TDirItem& item) const {
    std::string name = item.Name;
    if (!name.empty() && name.back() == '/') name.pop_back();
    if (!Options.Recurse && FolderPart(name, '/') != search.maskFolder) return false;
    if (search.mask.empty()) return false;
    const bool matched = MaskMatch(name.c_str(), search.mask.c_str(), true) ||
                         MaskMatch(FileNamePart(name, '/').c_str(), search.mask.c_str(), true);
    if (!matched) return false;
    // Hidden, system, volume and folder bits exclude unless the filter has them.
    return (item.Header.ExternalAttributes & 0x1E & ~static_cast<uint32_t>(search.attributes)) == 0;
}

void TZABaseArchiver::ExtractMatching(const std::string& fileMask, uint16_t searchAttr, const std::string& exclusionMask) {
    if (!active_) throw EZAException(neArchiveNotOpen, Name);
    if (updateCount_ > 0) throw EZAException(neUpdateNotEnded, Name);
    SelectMatching(fileMask, searchAttr, exclusionMask);

    os::ProcessLockGuard lock;
    processed_ = 0;
    cancel_ = false;
    declined_.clear();
    skip_ = false;
    selected_ = 0;
    for (int i = 0; i < directory_->Items.Count(); ++i)
        if (directory_->Items[i].Selected) ++selected_;

    if (RaiseOverallProgress(0, ppStart)) {
        updateCount_ = 0;
        return;
    }
    bool aborted = false;
    for (int i = 0; i < directory_->Items.Count() && !aborted; ++i) {
        if (!directory_->Items[i].Selected) continue;
        for (;;) {
            TZAAction action = fxaIgnore;
            try {
                ExtractItem(i);
                break;
            } catch (const EZAException& error) {
                action = ReportFailure(currentName_, error);
            }
            if (action == fxaRetry) continue;
            if (action == fxaAbort) aborted = true;
            break;
        }
    }
    RaiseOverallProgress(100, ppEnd);
    if (cancel_ || aborted) updateCount_ = 0;
}

void TZABaseArchiver::ExtractItem(int index) {
    const TDirItem& item = directory_->Items[index];
    std::string name = item.Name;
    std::replace(name.begin(), name.end(), '/', '\\');
    currentName_ = name;
    bool confirm = true;
    if (OnConfirmProcessFile) OnConfirmProcessFile(this, name, poExtract, confirm);
    if (!confirm) return;
    const std::string folder = DestinationFolder();
    if (RaiseFileProgress(name, 0, ppStart)) return;
    WriteEntry(item, folder, name, index);
    if (!RaiseFileProgress(name, 100, ppEnd)) ++processed_;
}

void TZABaseArchiver::WriteEntry(const TDirItem& item, const std::string& folder, std::string name, int index) {
    std::string target;
    uint32_t existing = os::kNoAttributes;
    if (!ChooseTarget(item, folder, std::move(name), target, existing)) return;
    if (ExtractCorruptedFiles)
        WriteInPlace(item, index, target, existing);
    else
        WriteChecked(item, index, target, existing);
}

bool TZABaseArchiver::ChooseTarget(const TDirItem& item, const std::string& folder, std::string name,
                                   std::string& target, uint32_t& existing) {
    // Names that would land outside the destination are never written anywhere.
    if (!IsSafeEntryName(name)) throw EZAException(neCannotCreateFile, Name, {name});
    if (Options.CreateDirs) {
        const std::string dirs = folder + FolderPart(name, '\\');
        if (!ForceDirectories(dirs)) throw EZAException(neCannotCreateDirectory, Name, {dirs});
    } else {
        name = FileNamePart(name, '\\');
    }
    if (item.IsFolder()) return false;

    target = folder + name;
    existing = os::GetAttributes(target);
    if (existing != os::kNoAttributes) {
        if (!Options.ReplaceReadOnly && (existing & os::kAttrReadOnly)) return false;
        switch (Options.OverwriteMode) {
            case omAlways: break;
            case omNever: return false;
            case omPrompt:
                if (!ConfirmOverwrite(name, target)) return false;
                existing = os::GetAttributes(target);
                break;
            case omIfNewer:
                if (os::FileDosDateTime(target) >= static_cast<int32_t>(item.DosDateTime())) return false;
                break;
            case omIfOlder:
                if (os::FileDosDateTime(target) <= static_cast<int32_t>(item.DosDateTime())) return false;
                break;
        }
    }
    if (!target.empty() && IsSeparator(target.back())) throw EZAException(neCannotCreateFile, Name, {target});
    if (existing != os::kNoAttributes && (existing & os::kAttrDirectory))
        throw EZAException(neCannotCreateFile, Name, {target});
    return true;
}

void TZABaseArchiver::WriteInPlace(const TDirItem& item, int index, const std::string& target, uint32_t existing) {
    // Damaged data is wanted: decode straight into the target and keep whatever arrives.
    if (existing != os::kNoAttributes) {
        os::SetAttributes(target, 0);
        os::RemoveFile(target);
    }
    auto file = os::CreateNewFile(target);
    if (!file) throw EZAException(neCannotCreateFile, Name, {target});
    auto out = std::make_unique<FileStream>(std::move(file));
    // Date, flush and close come first, also after a failure: attributes may make the file
    // read-only.
    auto finish = [&] {
        FinishFile(out->File(), item);
        out.reset();
        if (Options.SetAttributes) os::SetAttributes(target, FileAttributesOf(item.Header));
        if (skip_) os::RemoveFile(target);
    };
    try {
        DecodeInto(index, *out);
    } catch (...) {
        finish();
        throw;
    }
    finish();
}

void TZABaseArchiver::WriteChecked(const TDirItem& item, int index, const std::string& target, uint32_t existing) {
    // Decode beside an existing target and replace it only once the entry passed its checks, so
    // a damaged entry never destroys a good file. A new target is written in place: on a failed
    // check it is removed again, which leaves the folder as it was just the same.
    const bool replacing = existing != os::kNoAttributes;
    std::string written = target;
    auto file = replacing ? os::CreateTempFileIn(FolderPart(target, '\\'), written) : os::CreateNewFile(target);
    if (!file) throw EZAException(neCannotCreateFile, Name, {target});
    auto out = std::make_unique<FileStream>(std::move(file));
    try {
        DecodeInto(index, *out);
    } catch (...) {
        out.reset();
        os::RemoveFile(written);
        throw;
    }
    if (skip_) {
        out.reset();
        os::RemoveFile(written);
        return;
    }
    FinishFile(out->File(), item);
    out.reset();
    if (Options.SetAttributes) os::SetAttributes(written, FileAttributesOf(item.Header));
    if (!replacing) return;
    os::SetAttributes(target, 0);
    if (!os::MoveOver(written, target)) {
        os::SetAttributes(target, existing);
        os::SetAttributes(written, 0);
        os::RemoveFile(written);
        throw EZAException(neCannotCreateFile, Name, {target});
    }
}

void TZABaseArchiver::DecodeInto(int index, Stream& out) {
    Context context(*this);
    VolumeStream* volumes = spanningMode_ != smNone ? static_cast<VolumeStream*>(stream_.get()) : nullptr;
    if (volumes) volumes->ClearFailure();
    try {
        DecodeEntry(context, *directory_, index, out);
    } catch (const EZAException&) {
        if (volumes && volumes->VolumeMissing()) throw EZAException(neVolumeAborted, Name);
        throw;
    }
    // Also when damaged files are accepted: a volume that was not there is no damage.
    if (volumes && volumes->VolumeMissing()) throw EZAException(neVolumeAborted, Name);
}

void TZABaseArchiver::FinishFile(os::File& file, const TDirItem& item) {
    file.SetDosDateTime(item.DosDateTime());
    if (Options.FlushBuffers) file.Flush();
}

bool TZABaseArchiver::ConfirmOverwrite(const std::string& source, std::string& dest) {
    bool confirm = true;
    if (OnConfirmOverwrite) {
        OnConfirmOverwrite(this, source, dest, confirm);
        return confirm;
    }
    const std::string text = Format("Overwrite file \"%s\" with \"%s\"", {dest, source});
    switch (os::CurrentPrompts().ConfirmOverwrite(text, "Confirm")) {
        case os::OverwriteAnswer::Yes: return true;
        case os::OverwriteAnswer::YesToAll: Options.OverwriteMode = omAlways; return true;
        case os::OverwriteAnswer::NoToAll: Options.OverwriteMode = omNever; return false;
        case os::OverwriteAnswer::No: return false;
    }
    return false;
}

TZAAction TZABaseArchiver::ReportFailure(const std::string& name, const EZAException& error) {
    TZAAction action = fxaIgnore;
    if (OnProcessFileFailure) {
        OnProcessFileFailure(this, name, poExtract, error.NativeError(), error.ErrorCode(), error.Message(), action);
        return action;
    }
    const std::string text = Format("%s. File processing error, possibly disk is full", {error.Message()});
    switch (os::CurrentPrompts().ProcessFailure(text, "Confirm")) {
        case os::FailureAnswer::Retry: return fxaRetry;
        case os::FailureAnswer::Ignore: return fxaIgnore;
        case os::FailureAnswer::Abort: return fxaAbort;
    }
    return fxaAbort;
}

bool TZABaseArchiver::RaiseFileProgress(const std::string& name, double progress, TZAProgressPhase phase) {
    if (OnFileProgress)
        OnFileProgress(this, name, progress, poExtract, phase, cancel_);
    else
        cancel_ = false;
    return cancel_;
}

bool TZABaseArchiver::RaiseOverallProgress(double progress, TZAProgressPhase phase) {
    if (OnOverallProgress)
        OnOverallProgress(this, progress, poExtract, phase, cancel_);
    else
        cancel_ = false;
    return cancel_;
}

bool TZABaseArchiver::RequestPassword(const std::string& entryName) {
    std::string password = Password;
    bool skip = false;
    if (OnPassword) {
        OnPassword(this, entryName, password, skip);
    } else {
        const std::string caption = Format("Password for \"%s\"", {entryName});
        skip = !os::CurrentPrompts().InputPassword(caption, "Enter password: ", password);
    }
    if (skip) {
        skip_ = true;
        return false;
    }
    Password = password;
    return true;
}

TZipArchiver::TZipArchiver(TComponent* owner) : TZABaseArchiver(owner) {
    SetStandardZipMode(true);
    zip64Mode_ = zmDisabled;
    UpdateCompressionMethod();
}

void TZipArchiver::UpdateCompressionMethod() { compressionMethod_ = CompressionMode() != 0 ? 8 : 0; }

}  // namespace archive
