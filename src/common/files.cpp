#include "common/files.h"

#include "common/handles.h"

#include <algorithm>
#include <vector>

namespace common {

namespace {
constexpr size_t kBlockSize = 64 * 1024;
}  // namespace

bool ReadWholeFile(const std::string& path, const std::function<bool(const char* data, size_t size)>& consume) {
    const File file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!file) return false;
    std::vector<char> buffer(kBlockSize);
    for (;;) {
        DWORD read = 0;
        if (!ReadFile(file.Get(), buffer.data(), static_cast<DWORD>(buffer.size()), &read, nullptr)) return false;
        if (read == 0 || !consume(buffer.data(), read)) return true;
    }
}

std::string ReadWholeFile(const std::string& path, size_t limit) {
    std::string bytes;
    ReadWholeFile(path, [&](const char* data, size_t size) {
        bytes.append(data, std::min(size, limit - bytes.size()));
        return bytes.size() < limit;
    });
    return bytes;
}

}  // namespace common
