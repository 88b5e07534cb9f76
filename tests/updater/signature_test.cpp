// Signatures and digests through the system's CryptoAPI, against the key pairs the build made.
#include "support/files.h"
#include "support/signing.h"
#include "updater/signature.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

using testsupport::FileText;

TEST(Signature, OnlyTheExactBytesSignedByTheBuiltInKeyVerify) {
    const std::string key = updater::BuiltInUpdateKeys().front();
    const std::string list = "[quorvex]\r\nupdate=7\r\nwersja=Quorvex 2.1\r\n";
    const std::string good = testsupport::Sign(list, FileText(QV_TEST_KEY_BLOB));
    ASSERT_EQ(good.size(), 384u);
    EXPECT_TRUE(updater::SignatureMatches(list, good, key));
    // The provider name the system has: the current one, or else the one of Windows XP SP3.
    const char* expected = std::getenv("QV_EXPECT_PROVIDER");
    EXPECT_EQ(updater::AcquiredProviderName(), expected ? expected : updater::kAesProviderNames[0]);

    std::string alteredList = list, alteredSignature = good;
    alteredList[18] = '8';
    alteredSignature[200] ^= 0x01;
    const struct {
        const char* name;
        std::string data, signature, key;
    } refused[] = {
        {"altered list", alteredList, good, key},
        {"altered signature", list, alteredSignature, key},
        {"another key", list, testsupport::Sign(list, FileText(QV_OTHER_KEY_BLOB)), key},
        {"truncated signature", list, good.substr(0, 383), key},
        {"longer signature", list, good + '\0', key},
        {"empty signature", list, "", key},
        {"list with a byte more", list + "\n", good, key},
        {"no key", list, good, ""},
        {"a key that is no public key", list, good, FileText(QV_TEST_KEY_BLOB)},
    };
    for (const auto& r : refused) EXPECT_FALSE(updater::SignatureMatches(r.data, r.signature, r.key)) << r.name;
}

// While the vendor moves to a new key, a build trusts both: a list signed by either verifies, one
// signed by a key the build does not carry does not.
TEST(Signature, AListSignedByAnyBuiltInKeyVerifies) {
    const std::vector<std::string> keys = updater::BuiltInUpdateKeys();
    ASSERT_EQ(keys.size(), 2u);
    const std::string list = "[quorvex]\r\nupdate=8\r\n";
    EXPECT_TRUE(updater::SignedByAny(list, testsupport::Sign(list, FileText(QV_NEXT_KEY_BLOB)), keys));
    EXPECT_TRUE(updater::SignedByAny(list, testsupport::Sign(list, FileText(QV_TEST_KEY_BLOB)), keys));
    EXPECT_FALSE(updater::SignedByAny(list, testsupport::Sign(list, FileText(QV_OTHER_KEY_BLOB)), keys));
}

}  // namespace
