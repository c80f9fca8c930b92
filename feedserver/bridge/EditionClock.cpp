#include "feedserver/bridge/EditionClock.h"

#include <cstdio>
#include <stdexcept>

#include <date/tz.h>

namespace pregonero::feeds {

namespace {

const char* const kWeekdays[] = {"domingo", "lunes",   "martes", "miércoles",
                                 "jueves",  "viernes", "sábado"};
const char* const kMonths[] = {"enero",      "febrero", "marzo",     "abril",
                               "mayo",       "junio",   "julio",     "agosto",
                               "septiembre", "octubre", "noviembre", "diciembre"};

} // namespace

bool EditionClock::SetZone(const std::string& zone, std::string* error) {
    // The library reports an unknown zone by throwing; it stops here.
    try {
        const date::time_zone* found =
            zone.empty() ? date::current_zone() : date::locate_zone(zone);
        zone_ = found;
        zoneName_ = std::string(found->name());
        return true;
    } catch (const std::exception&) {
        if (error) {
            *error = "unknown time zone \"" + zone + "\"";
        }
        return false;
    }
}

EditionClock::Local EditionClock::ToLocal(std::int64_t secondsSinceEpoch) const {
    using std::chrono::seconds;
    const date::sys_seconds instant{seconds{secondsSinceEpoch}};
    date::local_seconds local{seconds{secondsSinceEpoch}};
    if (zone_ != nullptr) {
        local = static_cast<const date::time_zone*>(zone_)->to_local(instant);
    }
    const auto days = date::floor<date::days>(local);
    const date::year_month_day ymd{days};
    const date::hh_mm_ss<seconds> time{local - days};
    return {static_cast<int>(ymd.year()),
            static_cast<int>(static_cast<unsigned>(ymd.month())),
            static_cast<int>(static_cast<unsigned>(ymd.day())),
            static_cast<int>(date::weekday{days}.c_encoding()),
            static_cast<int>(time.hours().count()),
            static_cast<int>(time.minutes().count())};
}

std::string EditionClock::Time(std::int64_t secondsSinceEpoch) const {
    const Local local = ToLocal(secondsSinceEpoch);
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d", local.hour, local.minute);
    return text;
}

std::string EditionClock::LongDate(std::int64_t secondsSinceEpoch) const {
    const Local local = ToLocal(secondsSinceEpoch);
    return std::string(kWeekdays[local.weekday]) + " " + std::to_string(local.day) + " de " +
           kMonths[local.month - 1] + " de " + std::to_string(local.year);
}

} // namespace pregonero::feeds
