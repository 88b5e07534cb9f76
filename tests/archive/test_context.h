#pragma once
// A decoding context for tests: records what the decoder asked for and answers from a script.
#include "archive/streams.h"
#include "archive/zip_decode.h"
#include "archive/zip_directory.h"

#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace archivetest {

class TestContext final : public archive::DecodeContext {
public:
    std::string name = "zip";
    bool extractCorrupted = false;
    std::string password;
    bool skip = false;
    // Passwords handed out when asked; an empty deque declines.
    std::deque<std::string> passwordAnswers;
    std::vector<std::string> passwordRequests;
    std::vector<std::pair<uint64_t, uint64_t>> progress;
    // Cancel once this many progress reports were made.
    std::optional<size_t> cancelAfter;

    std::string ArchiverName() const override { return name; }
    bool ExtractCorruptedFiles() const override { return extractCorrupted; }
    std::string& Password() override { return password; }
    bool& SkipFlag() override { return skip; }
    bool RequestPassword(const std::string& entryName) override {
        passwordRequests.push_back(entryName);
        if (passwordAnswers.empty()) {
            skip = true;
            return false;
        }
        password = passwordAnswers.front();
        passwordAnswers.pop_front();
        return true;
    }
    bool Progress(uint64_t consumed, uint64_t total) override {
        progress.emplace_back(consumed, total);
        return cancelAfter && progress.size() > *cancelAfter;
    }
};

// An archive held in memory with its directory read.
struct MemoryArchive {
    explicit MemoryArchive(std::string bytes, bool recover = false)
        : data(std::move(bytes)), stream(data.data(), data.size()), directory(stream) {
        directory.ReadDirectory(recover);
    }
    // Decodes entry `index`; returns the output, or nullopt when it threw EZAException.
    std::string Decode(TestContext& context, int index, bool* passed = nullptr) {
        archive::MemoryStream out;
        const bool ok = archive::DecodeEntry(context, directory, index, out);
        if (passed) *passed = ok;
        return out.Text();
    }
    std::string data;
    archive::MemoryStream stream;
    archive::TZADirManager directory;
};

}  // namespace archivetest
