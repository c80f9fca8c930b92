#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace pregonero::feeds {

// Shows instants as the reader's feeds do, in one IANA time zone:
// "HH:MM" and "lunes 3 de marzo de 2026".
class EditionClock {
public:
    // False with a reason when `zone` names no zone of the system's database;
    // an empty name means the machine's own zone.
    bool SetZone(const std::string& zone, std::string* error);
    const std::string& ZoneName() const { return zoneName_; }

    std::string Time(std::int64_t secondsSinceEpoch) const;
    std::string LongDate(std::int64_t secondsSinceEpoch) const;

private:
    struct Local {
        int year, month, day, weekday, hour, minute;
    };
    Local ToLocal(std::int64_t secondsSinceEpoch) const;

    const void* zone_ = nullptr; // the database's zone, which lives as long as the process
    std::string zoneName_ = "UTC";
};

} // namespace pregonero::feeds
