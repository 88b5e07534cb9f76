#pragma once
// Checks of what the update server sends, through the system's CryptoAPI (no library of our own):
// RSA signatures (PKCS#1 v1.5 over SHA-256) against a public key, and SHA-256 digests.
#include <cstddef>
#include <string>

namespace updater {

// The public key Fetchwell trusts, a CryptoAPI PUBLICKEYBLOB; each build links one key's definition.
extern const unsigned char kUpdateKeyBlob[];
extern const size_t kUpdateKeyBlobSize;
std::string BuiltInUpdateKey();

// The provider names of the RSA-and-AES type, in the order they are tried: the current name, then
// the name Windows XP SP3 registers; after both, the type's default provider.
extern const char* const kAesProviderNames[2];

// Whether `signature` signs exactly `data` with the key in `publicKeyBlob`. The signature is as
// openssl writes it (big-endian); anything malformed, cut short or signed otherwise is false.
bool SignatureMatches(const std::string& data, const std::string& signature, const std::string& publicKeyBlob);

// The SHA-256 digest of a file's bytes as 64 lower-case hex digits, and its size; false when the
// file cannot be read or no provider hashes.
bool FileDigest(const std::string& path, std::string& sha256, long long& size);

// The provider name the last acquisition got ("" for the type's default); for diagnostics.
std::string AcquiredProviderName();

}  // namespace updater
