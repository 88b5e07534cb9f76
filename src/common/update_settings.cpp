#include "common/update_settings.h"

#include <windows.h>

#include <cstdio>

namespace common {

namespace {
constexpr const char* kSection = "Updates";
constexpr int32_t kNoBuild = 2000;

UtcTime FromFileTime(const FILETIME& time) {
    return (static_cast<UtcTime>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}
}  // namespace

UtcTime UtcNow() {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    return FromFileTime(now);
}

std::string IsoUtc(UtcTime time) {
    const FILETIME file{static_cast<DWORD>(time), static_cast<DWORD>(time >> 32)};
    SYSTEMTIME t{};
    FileTimeToSystemTime(&file, &t);
    char text[32];
    snprintf(text, sizeof(text), "%04u-%02u-%02uT%02u:%02u:%02uZ", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute,
             t.wSecond);
    return text;
}

std::optional<UtcTime> ParseIsoUtc(const std::string& text) {
    unsigned year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    int length = 0;
    if (text.size() != 20 || sscanf(text.c_str(), "%4u-%2u-%2uT%2u:%2u:%2uZ%n", &year, &month, &day, &hour, &minute,
                                    &second, &length) != 6 || length != 20)
        return std::nullopt;
    SYSTEMTIME t{};
    t.wYear = static_cast<WORD>(year), t.wMonth = static_cast<WORD>(month), t.wDay = static_cast<WORD>(day);
    t.wHour = static_cast<WORD>(hour), t.wMinute = static_cast<WORD>(minute), t.wSecond = static_cast<WORD>(second);
    FILETIME file;
    if (!SystemTimeToFileTime(&t, &file)) return std::nullopt;
    return FromFileTime(file);
}

bool UpdateSettings::Automatic() const { return profile_.ReadInteger(kSection, "Automatic", 1) != 0; }
void UpdateSettings::SetAutomatic(bool on) { profile_.WriteInteger(kSection, "Automatic", on ? 1 : 0); }
int32_t UpdateSettings::SkippedBuild() const { return profile_.ReadInteger(kSection, "Skip", kNoBuild); }
void UpdateSettings::Skip(int32_t build) { profile_.WriteInteger(kSection, "Skip", build); }
std::optional<UtcTime> UpdateSettings::LastCheck() const { return ParseIsoUtc(profile_.ReadString(kSection, "LastCheck", "")); }
void UpdateSettings::SetLastCheck(UtcTime time) { profile_.WriteString(kSection, "LastCheck", IsoUtc(time)); }
std::optional<UtcTime> UpdateSettings::LastAttempt() const {
    return ParseIsoUtc(profile_.ReadString(kSection, "LastAttempt", ""));
}
void UpdateSettings::SetLastAttempt(UtcTime time) { profile_.WriteString(kSection, "LastAttempt", IsoUtc(time)); }

}  // namespace common
