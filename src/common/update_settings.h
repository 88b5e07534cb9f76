#pragma once
// A person's update settings, kept in their profile (profile.h) in the section "Updates", which
// builds that know nothing of it pass over: whether Quorvex checks on its own, the build the person
// chose to skip, and when the last checks were made (UTC, ISO 8601: 2026-12-09T02:30:00Z).
#include "common/ini_file.h"

#include <cstdint>
#include <optional>
#include <string>

namespace common {

// A moment as the system counts it in a FILETIME: 100-ns steps since 1601, UTC.
using UtcTime = uint64_t;
inline constexpr UtcTime kUtcHour = 36000000000ull;
inline constexpr UtcTime kUtcDay = 24 * kUtcHour;
UtcTime UtcNow();
std::string IsoUtc(UtcTime time);
// Nothing for a text that is not "YYYY-MM-DDThh:mm:ssZ".
std::optional<UtcTime> ParseIsoUtc(const std::string& text);

class UpdateSettings {
public:
    explicit UpdateSettings(IniFile& profile) : profile_(profile) {}

    // On unless the person turned it off ("Automatic=0").
    bool Automatic() const;
    void SetAutomatic(bool on);
    // The build automatic checks do not offer; 2000 for none.
    int32_t SkippedBuild() const;
    void Skip(int32_t build);
    // The last check that got a verified list, and the last one tried at all.
    std::optional<UtcTime> LastCheck() const;
    void SetLastCheck(UtcTime time);
    std::optional<UtcTime> LastAttempt() const;
    void SetLastAttempt(UtcTime time);

private:
    IniFile& profile_;
};

}  // namespace common
