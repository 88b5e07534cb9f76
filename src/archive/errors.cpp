#include "archive/errors.h"

#include <cstdio>

namespace archive {
namespace {

struct ErrorText {
    int32_t code;
    const char* text;
    std::vector<int> natives;
};

const std::vector<ErrorText>& Table() {
    static const std::vector<ErrorText> table = {
        {0, "Unknown error", {0}},
        {1, "Index out of bounds", {1, 2, 3, 4, 7, 16, 21, 24}},
        {2, "Invalid compression mode. Mode must be in [0-9] range", {5}},
        {3, "Unexpected nil pointer", {6}},
        {4, "Invalid size or check sum of file or unsupported compression format", {8}},
        {5, "File name is blank. Specify appropriate file name", {9, 10, 29}},
        {6, "File \"%s\" not found", {11, 12, 15, 18, 30, 31, 38, 42}},
        {7, "Archive is not open", {13, 14}},
        {8, "SFXStub property is not specified", {17}},
        {9, "Cannot create file \"%s\"", {19, 23}},
        {10, "Cannot create directory \"%s\"", {20}},
        {11, "Internal error. Update is not started", {22, 25}},
        {12, "Cannot open file \"%s\"", {33}},
        {13, "Cannot proceed when update is not ended. Preceding EndUpdate call is required.", {26}},
        {14, "Cannot delete file \"%s\"", {27}},
        {15, "In-memory archive can be created only", {28}},
        {16, "File is open in read-only mode", {32}},
        {17, "Invalid compressed size, rfs.size = %d, count = %d", {34}},
        {18, "Invalid archive file.", {35}},
        {19, "Cannot create output file. Probably file is locked by another process. FileName = '%s'.", {36}},
        {20, "Archive is open. You should close it beore performing this operation.", {37}},
        {21, "Unable to create directory", {39}},
        {22, "Cannot find Zip64 directory end record", {40}},
        {23, "Cannot compress file '%s'. Zip64 mode is not enabled", {41, 43}},
        {24, "Cannot open archive file. Opening aborted or invalid file", {44, 45}},
        {25, "Write to stream error", {46}},
        {26, "Cannot place SFX stub on volume. Volume size limit is too small", {47}},
        {27, "Archive is damaged. Open failed", {48}},
        {28, "MakeSFX is not allowed for splitted or spanned archives. Set SFXStub before archive creation instead of "
             "MakeSFX",
         {49}},
        {29, "Archive already has SFX stub", {50}},
        {30, "Multi-volume archive is not allowed for custom stream", {51}},
        {31, "Multi-spanned archive is not allowed for modification. Use BeginUpdate/EndUpdate methods to add files "
             "several times",
         {52}},
    };
    return table;
}

// Fills "%s" and "%d" in order from `args`; a placeholder without an argument stays empty.
std::string Fill(const char* text, const std::vector<std::string>& args) {
    std::string out;
    size_t next = 0;
    for (const char* p = text; *p; ++p) {
        if (p[0] == '%' && (p[1] == 's' || p[1] == 'd')) {
            if (next < args.size()) out += args[next];
            ++next;
            ++p;
        } else {
            out += *p;
        }
    }
    return out;
}

std::string Compose(int nativeError, const std::string& archiverName, const std::vector<std::string>& args) {
    std::string message = Fill(EZAException::TextOf(EZAException::ErrorCodeOf(nativeError)), args);
    if (!archiverName.empty()) message = archiverName + ": " + message;
    char digits[32];
    std::snprintf(digits, sizeof(digits), "%.5d", nativeError);
    return message + " - Native error: " + digits;
}

}  // namespace

EZAException::EZAException(int nativeError, const std::string& archiverName, const std::vector<std::string>& args)
    : Exception(Compose(nativeError, archiverName, args)),
      errorCode_(ErrorCodeOf(nativeError)),
      nativeError_(nativeError) {}

int32_t EZAException::ErrorCodeOf(int nativeError) {
    for (const ErrorText& e : Table())
        for (int n : e.natives)
            if (n == nativeError) return e.code;
    return 0;
}

const char* EZAException::TextOf(int32_t errorCode) {
    for (const ErrorText& e : Table())
        if (e.code == errorCode) return e.text;
    return Table()[0].text;
}

}  // namespace archive
