#include "archive/crc32.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(Crc32, MatchesTheZipCheckValues) {
    EXPECT_EQ(archive::Crc32(0, "", 0), 0u);
    EXPECT_EQ(archive::Crc32(0, "123456789", 9), 0xCBF43926u);
    EXPECT_EQ(archive::Crc32(0, "The quick brown fox jumps over the lazy dog", 43), 0x414FA339u);
}

TEST(Crc32, ContinuesAcrossPieces) {
    std::vector<unsigned char> data(100000);
    for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<unsigned char>(i * 7 + (i >> 9));
    const uint32_t whole = archive::Crc32(0, data.data(), data.size());
    uint32_t pieces = 0;
    for (size_t at = 0; at < data.size(); at += 4093) {
        const size_t n = std::min<size_t>(4093, data.size() - at);
        pieces = archive::Crc32(pieces, data.data() + at, n);
    }
    EXPECT_EQ(pieces, whole);
}

}  // namespace
