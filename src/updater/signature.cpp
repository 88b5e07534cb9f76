#include "updater/signature.h"

#include "common/files.h"
#include "common/handles.h"

#include <algorithm>
#include <vector>

namespace updater {

const char* const kAesProviderNames[2] = {
    "Microsoft Enhanced RSA and AES Cryptographic Provider",
    "Microsoft Enhanced RSA and AES Cryptographic Provider (Prototype)",
};

std::vector<std::string> BuiltInUpdateKeys() {
    std::vector<std::string> keys;
    for (size_t i = 0; i < kUpdateKeyCount; ++i)
        keys.emplace_back(reinterpret_cast<const char*>(kUpdateKeys[i].data), kUpdateKeys[i].size);
    return keys;
}

namespace {

std::string acquiredName;

// One ephemeral CryptoAPI context with the handles made from it.
class Crypt {
public:
    Crypt() {
        for (const char* name : kAesProviderNames) {
            if (CryptAcquireContextA(provider_.Put(), nullptr, name, PROV_RSA_AES, CRYPT_VERIFYCONTEXT)) {
                acquiredName = name;
                return;
            }
        }
        if (CryptAcquireContextA(provider_.Put(), nullptr, nullptr, PROV_RSA_AES, CRYPT_VERIFYCONTEXT)) {
            acquiredName.clear();
            return;
        }
        provider_.Release();  // what a failed call left there is no context
    }

    bool StartHash() { return provider_ && CryptCreateHash(provider_.Get(), CALG_SHA_256, 0, 0, hash_.Put()); }
    bool Hash(const char* data, size_t size) {
        return CryptHashData(hash_.Get(), reinterpret_cast<const BYTE*>(data), static_cast<DWORD>(size), 0) != FALSE;
    }
    bool ImportKey(const std::string& blob) {
        return provider_ && !blob.empty() &&
               CryptImportKey(provider_.Get(), reinterpret_cast<const BYTE*>(blob.data()),
                              static_cast<DWORD>(blob.size()), 0, 0, key_.Put());
    }
    bool Verify(const std::string& signature) {
        // CryptoAPI takes the signature little-endian.
        std::vector<BYTE> reversed(signature.rbegin(), signature.rend());
        return CryptVerifySignatureA(hash_.Get(), reversed.data(), static_cast<DWORD>(reversed.size()), key_.Get(),
                                     nullptr, 0) != FALSE;
    }
    std::string HexDigest() {
        BYTE digest[32];
        DWORD size = sizeof(digest);
        if (!CryptGetHashParam(hash_.Get(), HP_HASHVAL, digest, &size, 0) || size != sizeof(digest)) return "";
        static const char kHex[] = "0123456789abcdef";
        std::string hex;
        for (BYTE b : digest) {
            hex += kHex[b >> 4];
            hex += kHex[b & 15];
        }
        return hex;
    }

private:
    // Released in reverse order: hash and key before the context they were made in.
    common::CryptProvider provider_;
    common::CryptKey key_;
    common::CryptHash hash_;
};

// A PUBLICKEYBLOB of an RSA key: header, RSAPUBKEY with the "RSA1" magic, then the modulus.
size_t ModulusBytes(const std::string& blob) {
    if (blob.size() < sizeof(BLOBHEADER) + sizeof(RSAPUBKEY)) return 0;
    BLOBHEADER header;
    RSAPUBKEY rsa;
    std::copy_n(blob.data(), sizeof(header), reinterpret_cast<char*>(&header));
    std::copy_n(blob.data() + sizeof(header), sizeof(rsa), reinterpret_cast<char*>(&rsa));
    if (header.bType != PUBLICKEYBLOB || rsa.magic != 0x31415352 || rsa.bitlen % 8) return 0;
    return rsa.bitlen / 8;
}

}  // namespace

bool SignatureMatches(const std::string& data, const std::string& signature, const std::string& publicKeyBlob) {
    // Only a signature exactly as long as the modulus is one: no padding, no trailing bytes.
    const size_t modulus = ModulusBytes(publicKeyBlob);
    if (modulus == 0 || signature.size() != modulus) return false;
    Crypt crypt;
    return crypt.ImportKey(publicKeyBlob) && crypt.StartHash() && crypt.Hash(data.data(), data.size()) &&
           crypt.Verify(signature);
}

bool SignedByAny(const std::string& data, const std::string& signature, const std::vector<std::string>& publicKeyBlobs) {
    return std::any_of(publicKeyBlobs.begin(), publicKeyBlobs.end(),
                       [&](const std::string& key) { return SignatureMatches(data, signature, key); });
}

bool FileDigest(const std::string& path, std::string& sha256, long long& size) {
    Crypt crypt;
    if (!crypt.StartHash()) return false;
    size = 0;
    bool hashed = true;
    const bool read = common::ReadWholeFile(path, [&](const char* data, size_t count) {
        size += static_cast<long long>(count);
        return hashed = crypt.Hash(data, count);
    });
    if (!read || !hashed) return false;
    sha256 = crypt.HexDigest();
    return !sha256.empty();
}

std::string AcquiredProviderName() { return acquiredName; }

}  // namespace updater
