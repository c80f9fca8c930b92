#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace pregonero::feeds {

// The dates newspapers' feeds carry, as seconds since the epoch (UTC).
// Reads RFC 822 with every zone form (GMT, UT, UTC, the North American zones,
// CET/CEST and their neighbours, military letters, +hhmm), RFC 3339 / ISO
// 8601 with fractions and zones (a date alone is its midnight UTC), and the
// common broken forms: no weekday, a two-digit year, English or Spanish month
// names, "3 de marzo de 2026", a missing zone taken as UTC. Anything else,
// including numeric day/month orders nobody can tell apart, has no date.
class FeedDate {
public:
    static std::optional<std::int64_t> Parse(std::string_view text);
};

} // namespace pregonero::feeds
