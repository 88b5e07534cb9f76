#pragma once
// Decoding one entry of an open archive into an output stream, with its size and CRC checks.
#include "archive/streams.h"
#include "archive/zip_directory.h"

#include <string>

namespace archive {

// Compressed bytes read and decoded at a time.
constexpr size_t kDecodeBlockSize = 1048576;
// The inflater's output buffer: (B div 10 + B + 267) * 2 with the low 8 bits cleared.
constexpr size_t kInflateBufferSize = ((kDecodeBlockSize / 10 + kDecodeBlockSize + 267) * 2) & ~size_t{0xFF};

// What decoding needs from the archiver that runs it.
class DecodeContext {
public:
    virtual ~DecodeContext() = default;
    // Prefixes the error messages of failed entries (empty: no prefix).
    virtual std::string ArchiverName() const = 0;
    virtual bool ExtractCorruptedFiles() const = 0;
    virtual std::string& Password() = 0;
    // Set when the user declined a password: the entry fails without an error.
    virtual bool& SkipFlag() = 0;
    // Asks for another password for `entryName` (backslashes). True with Password() changed;
    // false when the user declined (the skip flag is then set).
    virtual bool RequestPassword(const std::string& entryName) = 0;
    // Reports `consumed` of `total` compressed bytes of the entry; true when cancelled.
    virtual bool Progress(uint64_t consumed, uint64_t total) = 0;
};

// Decodes entry `index` of `directory` into `output`. A failed check (size, CRC, corrupt or
// unsupported data, an entry past the end of the archive) throws EZAException 8 unless the
// context accepts corrupted files or the skip flag is set; an index outside the directory
// throws EZAException 16. Returns whether the entry passed its checks.
bool DecodeEntry(DecodeContext& context, TZADirManager& directory, int index, Stream& output);

}  // namespace archive
