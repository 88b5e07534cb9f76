#pragma once
// Signs as the vendor's openssl does (RSA PKCS#1 v1.5 over SHA-256, big-endian signature), with a
// private key blob the build made for the tests; through the system's CryptoAPI.
#include <windows.h>
#include <wincrypt.h>

#include <stdexcept>
#include <string>

namespace testsupport {

inline std::string Sign(const std::string& data, const std::string& privateKeyBlob) {
    HCRYPTPROV provider = 0;
    HCRYPTKEY key = 0;
    HCRYPTHASH hash = 0;
    std::string signature;
    if (CryptAcquireContextA(&provider, nullptr, nullptr, PROV_RSA_AES, CRYPT_VERIFYCONTEXT)) {
        // The imported pair becomes the context's key of its kind (exchange or signature).
        const auto* blob = reinterpret_cast<const BYTE*>(privateKeyBlob.data());
        const DWORD keySpec = reinterpret_cast<const BLOBHEADER*>(blob)->aiKeyAlg == CALG_RSA_SIGN ? AT_SIGNATURE : AT_KEYEXCHANGE;
        DWORD size = 0;
        if (CryptImportKey(provider, blob, static_cast<DWORD>(privateKeyBlob.size()), 0, 0, &key) &&
            CryptCreateHash(provider, CALG_SHA_256, 0, 0, &hash) &&
            CryptHashData(hash, reinterpret_cast<const BYTE*>(data.data()), static_cast<DWORD>(data.size()), 0) &&
            CryptSignHashA(hash, keySpec, nullptr, 0, nullptr, &size)) {
            signature.resize(size);
            if (!CryptSignHashA(hash, keySpec, nullptr, 0, reinterpret_cast<BYTE*>(signature.data()), &size)) signature.clear();
        }
    }
    if (hash) CryptDestroyHash(hash);
    if (key) CryptDestroyKey(key);
    if (provider) CryptReleaseContext(provider, 0);
    if (signature.empty()) throw std::runtime_error("the test key could not sign");
    return std::string(signature.rbegin(), signature.rend());
}

// The SHA-256 digest of `data`, 64 lower-case hex digits.
inline std::string Sha256Hex(const std::string& data) {
    HCRYPTPROV provider = 0;
    HCRYPTHASH hash = 0;
    BYTE digest[32];
    DWORD size = sizeof(digest);
    std::string hex;
    if (CryptAcquireContextA(&provider, nullptr, nullptr, PROV_RSA_AES, CRYPT_VERIFYCONTEXT) &&
        CryptCreateHash(provider, CALG_SHA_256, 0, 0, &hash) &&
        CryptHashData(hash, reinterpret_cast<const BYTE*>(data.data()), static_cast<DWORD>(data.size()), 0) &&
        CryptGetHashParam(hash, HP_HASHVAL, digest, &size, 0)) {
        for (BYTE b : digest) hex += "0123456789abcdef"[b >> 4], hex += "0123456789abcdef"[b & 15];
    }
    if (hash) CryptDestroyHash(hash);
    if (provider) CryptReleaseContext(provider, 0);
    return hex;
}

// An update list as scripts/make-update writes it, announcing `build` with a package of these bytes.
inline std::string UpdateList(int build, const std::string& package, const std::string& texts = "wersja=Quorvex 2.1\r\n") {
    return "[quorvex]\r\nupdate=" + std::to_string(build) + "\r\n" + texts + "bytes=" + std::to_string(package.size()) +
           "\r\nsha256=" + Sha256Hex(package) + "\r\n";
}

}  // namespace testsupport
