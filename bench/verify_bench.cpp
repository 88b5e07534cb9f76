// What Fetchwell's checks cost under Wine: verifying the update list's signature (context, key
// import, SHA-256 of the list, RSA-3072 verification) and the SHA-256 of a package file.
//   verify_bench KEY.blob LIST LIST.sig PACKAGE ROUNDS
#include "updater/signature.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <vector>

namespace updater {
// The key comes from the command line; the built-in list stays empty.
const KeyBlob kUpdateKeys[1] = {{nullptr, 0}};
const size_t kUpdateKeyCount = 0;
}  // namespace updater

namespace {
std::string Whole(const char* path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}
double Now() {
    LARGE_INTEGER counter, frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}
double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}
}  // namespace

int main(int argc, char** argv) {
    if (argc != 6) return 2;
    const std::string key = Whole(argv[1]), list = Whole(argv[2]), signature = Whole(argv[3]);
    const int rounds = std::atoi(argv[5]);
    std::vector<double> verify, digest;
    for (int i = 0; i < rounds; ++i) {
        double start = Now();
        if (!updater::SignatureMatches(list, signature, key)) {
            std::puts("the signature does not verify");
            return 1;
        }
        verify.push_back(Now() - start);
        std::string sha;
        long long size = 0;
        start = Now();
        if (!updater::FileDigest(argv[4], sha, size)) return 1;
        digest.push_back(Now() - start);
    }
    std::printf("provider: %s\n", updater::AcquiredProviderName().c_str());
    std::printf("list signature: %.2f ms (median of %d)\n", Median(verify), rounds);
    std::printf("package SHA-256 (1 MiB): %.2f ms (median of %d)\n", Median(digest), rounds);
    return 0;
}
