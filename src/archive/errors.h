#pragma once
// The archive module's exceptions: a plain `Exception` with a message, the stream read error of
// the runtime library, and `EZAException` with its error codes.
#include <cstdint>
#include <exception>
#include <string>
#include <vector>

namespace archive {

class Exception : public std::exception {
public:
    explicit Exception(std::string message) : message_(std::move(message)) {}
    const char* what() const noexcept override { return message_.c_str(); }
    const std::string& Message() const { return message_; }

private:
    std::string message_;
};

// A stream that ends before the bytes a reader needs.
class EReadError : public Exception {
public:
    EReadError() : Exception("Stream read error") {}
};

// The native error codes this module raises, named after their text in the error table (the codes
// that share a text are told apart by where they arise). The numbers are part of what callers and
// the failure events see: never renumber.
enum TZANativeError : int32_t {
    neInvalidCompressionMode = 5,
    neInvalidSizeOrCheckSum = 8,  // an entry failed its size or CRC check, or its method is unknown
    neBlankFileName = 9,          // opening without a mode
    neBlankFileNameForMode = 10,  // opening with an explicit mode
    neFileNotFound = 12,
    neArchiveNotOpen = 13,
    neIndexOutOfBounds = 16,
    neCannotCreateFile = 19,
    neCannotCreateDirectory = 20,
    neUpdateNotEnded = 26,
    neInMemoryCreateOnly = 28,
    neCannotOpenFile = 33,
    neInvalidArchive = 35,
    neZip64EndRecordMissing = 40,
    neOpeningAborted = 44,  // a volume the directory needs could not be had
    neVolumeAborted = 45,   // a volume an entry needs could not be had
    neArchiveDamaged = 48,
};

class EZAException : public Exception {
public:
    // `archiverName`: the raising archiver's Name, or empty when the site names no archiver.
    // `args` fill the "%s" of the text in order; "%d" takes them as written.
    EZAException(int nativeError, const std::string& archiverName, const std::vector<std::string>& args = {});

    int32_t ErrorCode() const { return errorCode_; }
    int32_t NativeError() const { return nativeError_; }

    // The error code of a native code; 0 for codes the table does not hold.
    static int32_t ErrorCodeOf(int nativeError);
    // The text of an error code, with its placeholders unfilled.
    static const char* TextOf(int32_t errorCode);

private:
    int32_t errorCode_;
    int32_t nativeError_;
};

}  // namespace archive
