#pragma once
// An INI file accessor that holds only the file's path: every read and write goes straight to the
// system's private-profile functions, so what one accessor writes every other one sees at once.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace common {

class IniFile {
public:
    explicit IniFile(std::string path);  // no file access
    ~IniFile();                          // flushes the system's cache for the file
    IniFile(const IniFile&) = delete;
    IniFile& operator=(const IniFile&) = delete;

    const std::string& Path() const { return path_; }

    int32_t ReadInteger(const std::string& section, const std::string& key, int32_t defaultValue) const;
    // At most `limit` characters of the value are read.
    std::string ReadString(const std::string& section, const std::string& key, const std::string& defaultValue,
                           size_t limit = kValueLimit) const;
    static constexpr size_t kValueLimit = 2047;
    void WriteInteger(const std::string& section, const std::string& key, int32_t value);
    // A write the system refuses raises "Unable to write to <path>".
    void WriteString(const std::string& section, const std::string& key, const std::string& value);
    // Removes the key, so that reading it gives the caller's default again.
    void DeleteKey(const std::string& section, const std::string& key);
    void Close();

private:
    std::string path_;
};

// An integer as INI values hold them: leading spaces, an optional sign, then decimal digits or,
// after "$", "x", "X", "0x" or "0X", at most 8 hexadecimal digits; nothing after the digits;
// decimal values within the signed 32-bit range. Nothing for anything else.
std::optional<int32_t> ParseIniInteger(const std::string& text);

}  // namespace common
