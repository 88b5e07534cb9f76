#pragma once
// Checks of what the update server sends, through the system's CryptoAPI (no library of our own):
// RSA signatures (PKCS#1 v1.5 over SHA-256) against a public key, and SHA-256 digests.
#include <cstddef>
#include <string>
#include <vector>

namespace updater {

// The public keys the programs trust, CryptoAPI PUBLICKEYBLOBs; each build links one definition of
// them (cmake/EmbedKey.cmake). More than one while the vendor's key is being replaced.
struct KeyBlob {
    const unsigned char* data;
    size_t size;
};
extern const KeyBlob kUpdateKeys[];
extern const size_t kUpdateKeyCount;
std::vector<std::string> BuiltInUpdateKeys();

// The provider names of the RSA-and-AES type, in the order they are tried: the current name, then
// the name Windows XP SP3 registers; after both, the type's default provider.
extern const char* const kAesProviderNames[2];

// Whether `signature` signs exactly `data` with the key in `publicKeyBlob`. The signature is as
// openssl writes it (big-endian); anything malformed, cut short or signed otherwise is false.
bool SignatureMatches(const std::string& data, const std::string& signature, const std::string& publicKeyBlob);
// Whether any of `publicKeyBlobs` verifies `signature` on `data`.
bool SignedByAny(const std::string& data, const std::string& signature, const std::vector<std::string>& publicKeyBlobs);

// The SHA-256 digest of a file's bytes as 64 lower-case hex digits, and its size; false when the
// file cannot be read or no provider hashes.
bool FileDigest(const std::string& path, std::string& sha256, long long& size);

// The provider name the last acquisition got ("" for the type's default); for diagnostics.
std::string AcquiredProviderName();

}  // namespace updater
