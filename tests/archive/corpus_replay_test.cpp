// Every file of the committed fuzz corpus goes through the fuzzer's own entry once more, so an input
// that once crashed, hung or read out of bounds keeps being tried (natively under the sanitizers,
// and under Wine in the Windows build).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace archivetest {
namespace {

namespace fs = std::filesystem;

TEST(FuzzCorpus, EveryFileGoesThroughTheFuzzEntry) {
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(QV_FUZZ_CORPUS))
        if (entry.is_regular_file()) files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    ASSERT_FALSE(files.empty()) << "no corpus in " << QV_FUZZ_CORPUS;
    for (const fs::path& file : files) {
        SCOPED_TRACE(file.filename().string());
        std::ifstream in(file, std::ios::binary);
        const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        EXPECT_EQ(LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()), 0);
    }
}

}  // namespace
}  // namespace archivetest
