#include "common/ini_file.h"

#include "common/exception.h"

#include <windows.h>

namespace common {

namespace {
int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}
}  // namespace

std::optional<int32_t> ParseIniInteger(const std::string& text) {
    size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';

    bool hex = false;
    if (i < text.size() && (text[i] == '$' || text[i] == 'x' || text[i] == 'X')) {
        hex = true;
        ++i;
    } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        hex = true;
        i += 2;
    }
    if (i == text.size()) return std::nullopt;

    uint64_t value = 0;
    size_t digits = 0;
    for (; i < text.size(); ++i, ++digits) {
        const int d = hex ? HexDigit(text[i]) : (text[i] >= '0' && text[i] <= '9' ? text[i] - '0' : -1);
        if (d < 0) return std::nullopt;  // nothing may follow the digits
        value = value * (hex ? 16 : 10) + static_cast<uint64_t>(d);
        if (hex ? digits >= 8 : value > 2147483648ull) return std::nullopt;
    }
    if (hex) {
        // Hexadecimal digits give the 32-bit pattern.
        const uint32_t pattern = static_cast<uint32_t>(value);
        const uint32_t result = negative ? 0u - pattern : pattern;
        return static_cast<int32_t>(result);
    }
    if (!negative && value > 2147483647ull) return std::nullopt;
    return negative ? static_cast<int32_t>(-static_cast<int64_t>(value)) : static_cast<int32_t>(value);
}

IniFile::IniFile(std::string path) : path_(std::move(path)) {}

IniFile::~IniFile() { Close(); }

std::string IniFile::ReadString(const std::string& section, const std::string& key,
                                const std::string& defaultValue, size_t limit) const {
    std::string buffer(limit + 1, '\0');
    const DWORD length = GetPrivateProfileStringA(section.c_str(), key.c_str(), defaultValue.c_str(), buffer.data(),
                                                  static_cast<DWORD>(buffer.size()), path_.c_str());
    buffer.resize(length);
    return buffer;
}

int32_t IniFile::ReadInteger(const std::string& section, const std::string& key, int32_t defaultValue) const {
    const std::optional<int32_t> value = ParseIniInteger(ReadString(section, key, ""));
    return value ? *value : defaultValue;
}

void IniFile::WriteString(const std::string& section, const std::string& key, const std::string& value) {
    if (!WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), path_.c_str()))
        throw Exception("Unable to write to " + path_, "EIniFileException");
}

void IniFile::DeleteKey(const std::string& section, const std::string& key) {
    if (!WritePrivateProfileStringA(section.c_str(), key.c_str(), nullptr, path_.c_str()))
        throw Exception("Unable to write to " + path_, "EIniFileException");
}

void IniFile::WriteInteger(const std::string& section, const std::string& key, int32_t value) {
    WriteString(section, key, std::to_string(value));
}

void IniFile::Close() { WritePrivateProfileStringA(nullptr, nullptr, nullptr, path_.c_str()); }

}  // namespace common
