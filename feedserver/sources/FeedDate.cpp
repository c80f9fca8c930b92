#include "feedserver/sources/FeedDate.h"

#include <array>
#include <cctype>
#include <string>

namespace pregonero::feeds {

namespace {

// Written by hand: no library on the system reads the broken forms real
// feeds carry (strptime and curl_getdate know neither Spanish months nor
// fractions with zones), and the grammar is small.

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
bool IsAlpha(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
           static_cast<unsigned char>(c) >= 0x80;
}

// Days since 1970-01-01 of a proleptic Gregorian date.
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

bool IsLeap(int y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int DaysIn(int y, int m) {
    static constexpr std::array<int, 12> days{31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && IsLeap(y) ? 29 : days[static_cast<std::size_t>(m - 1)];
}

struct Fields {
    int year = -1, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    int offsetMinutes = 0; // east of UTC
};

std::optional<std::int64_t> ToEpoch(const Fields& f) {
    if (f.year < 1900 || f.year > 9999 || f.month < 1 || f.month > 12 || f.day < 1 ||
        f.day > DaysIn(f.year, f.month) || f.hour > 24 || f.minute > 59 || f.second > 60 ||
        (f.hour == 24 && (f.minute != 0 || f.second != 0))) {
        return std::nullopt;
    }
    std::int64_t days =
        DaysFromCivil(f.year, static_cast<unsigned>(f.month), static_cast<unsigned>(f.day));
    int second = f.second == 60 ? 59 : f.second; // a leap second reads as the one before
    return days * 86400 + f.hour * 3600 + f.minute * 60 + second -
           static_cast<std::int64_t>(f.offsetMinutes) * 60;
}

// Reads up to `maxDigits` digits at text[pos]; false when there are fewer
// than `minDigits`.
bool Number(std::string_view text, std::size_t& pos, std::size_t minDigits, std::size_t maxDigits,
            int& value) {
    std::size_t start = pos;
    value = 0;
    while (pos < text.size() && pos - start < maxDigits && IsDigit(text[pos])) {
        value = value * 10 + (text[pos] - '0');
        ++pos;
    }
    return pos - start >= minDigits;
}

// "+hh:mm", "+hhmm", "+hh" at text[pos].
bool NumericZone(std::string_view text, std::size_t& pos, int& offset) {
    if (pos >= text.size() || (text[pos] != '+' && text[pos] != '-')) {
        return false;
    }
    int sign = text[pos] == '-' ? -1 : 1;
    ++pos;
    int hours = 0;
    int minutes = 0;
    if (!Number(text, pos, 2, 2, hours)) {
        return false;
    }
    if (pos < text.size() && text[pos] == ':') {
        ++pos;
    }
    if (pos < text.size() && IsDigit(text[pos]) && !Number(text, pos, 2, 2, minutes)) {
        return false;
    }
    if (hours > 23 || minutes > 59) {
        return false;
    }
    offset = sign * (hours * 60 + minutes);
    return true;
}

// The rest of a time after its hour: ":mm", then ":ss" and a fraction of a
// second (which does not show) if given.
bool Clock(std::string_view text, std::size_t& pos, Fields& f) {
    if (pos >= text.size() || text[pos] != ':') {
        return false;
    }
    ++pos;
    if (!Number(text, pos, 2, 2, f.minute)) {
        return false;
    }
    if (pos < text.size() && text[pos] == ':') {
        ++pos;
        if (!Number(text, pos, 2, 2, f.second)) {
            return false;
        }
        if (pos + 1 < text.size() && (text[pos] == '.' || text[pos] == ',') &&
            IsDigit(text[pos + 1])) {
            ++pos;
            while (pos < text.size() && IsDigit(text[pos])) {
                ++pos;
            }
        }
    }
    return true;
}

// RFC 3339 and the ISO 8601 forms feeds use: 2026-03-03, 2026-03-03T12:00,
// 2026-03-03 12:00:00.123+01:00, 20260303T120000Z is not seen in feeds.
std::optional<std::int64_t> ParseIso(std::string_view text) {
    Fields f;
    std::size_t pos = 0;
    if (!Number(text, pos, 4, 4, f.year) || pos >= text.size() || text[pos] != '-') {
        return std::nullopt;
    }
    ++pos;
    if (!Number(text, pos, 1, 2, f.month) || pos >= text.size() || text[pos] != '-') {
        return std::nullopt;
    }
    ++pos;
    if (!Number(text, pos, 1, 2, f.day)) {
        return std::nullopt;
    }
    if (pos < text.size() && (text[pos] == 'T' || text[pos] == 't' || text[pos] == ' ')) {
        ++pos;
        if (!Number(text, pos, 1, 2, f.hour) || !Clock(text, pos, f)) {
            return std::nullopt;
        }
        while (pos < text.size() && text[pos] == ' ') {
            ++pos;
        }
        if (pos < text.size() && (text[pos] == 'Z' || text[pos] == 'z')) {
            ++pos;
        } else if (pos < text.size() && !NumericZone(text, pos, f.offsetMinutes)) {
            return std::nullopt;
        }
    }
    if (pos != text.size()) {
        return std::nullopt;
    }
    return ToEpoch(f);
}

std::string Lower(std::string_view word) {
    std::string lower;
    for (std::size_t i = 0; i < word.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(word[i]);
        // Spanish accents fold to their letter: "mié" reads as "mie".
        if (c == 0xC3 && i + 1 < word.size()) {
            unsigned char next = static_cast<unsigned char>(word[i + 1]) | 0x20;
            const char* folded = next == 0xA1   ? "a"
                                 : next == 0xA9 ? "e"
                                 : next == 0xAD ? "i"
                                 : next == 0xB3 ? "o"
                                 : next == 0xBA ? "u"
                                                : nullptr;
            if (folded != nullptr) {
                lower += folded;
                ++i;
                continue;
            }
        }
        lower += static_cast<char>(std::tolower(c));
    }
    return lower;
}

int MonthOf(const std::string& word) {
    static constexpr std::array<std::array<const char*, 4>, 12> names{{
        {"jan", "ene", "", ""},
        {"feb", "", "", ""},
        {"mar", "", "", ""},
        {"apr", "abr", "", ""},
        {"may", "", "", ""},
        {"jun", "", "", ""},
        {"jul", "", "", ""},
        {"aug", "ago", "", ""},
        {"sep", "set", "", ""},
        {"oct", "", "", ""},
        {"nov", "", "", ""},
        {"dec", "dic", "", ""},
    }};
    static constexpr std::array<const char*, 12> full{
        "january|enero",   "february|febrero",   "march|marzo",
        "april|abril",     "may|mayo",           "june|junio",
        "july|julio",      "august|agosto",      "september|septiembre|setiembre",
        "october|octubre", "november|noviembre", "december|diciembre"};
    std::string key = word;
    if (!key.empty() && key.back() == '.') {
        key.pop_back();
    }
    for (std::size_t m = 0; m < 12; ++m) {
        for (const char* name : names[m]) {
            if (*name != '\0' && key == name) {
                return static_cast<int>(m) + 1;
            }
        }
        std::string_view options(full[m]);
        while (!options.empty()) {
            std::size_t bar = options.find('|');
            if (options.substr(0, bar) == key) {
                return static_cast<int>(m) + 1;
            }
            options = bar == std::string_view::npos ? std::string_view() : options.substr(bar + 1);
        }
    }
    return 0;
}

// Zone names as RFC 822 and European feeds write them; minutes east of UTC.
std::optional<int> NamedZone(const std::string& word) {
    struct Zone {
        const char* name;
        int hours;
    };
    static constexpr std::array<Zone, 18> zones{{{"gmt", 0},
                                                 {"ut", 0},
                                                 {"utc", 0},
                                                 {"z", 0},
                                                 {"est", -5},
                                                 {"edt", -4},
                                                 {"cst", -6},
                                                 {"cdt", -5},
                                                 {"mst", -7},
                                                 {"mdt", -6},
                                                 {"pst", -8},
                                                 {"pdt", -7},
                                                 {"wet", 0},
                                                 {"west", 1},
                                                 {"cet", 1},
                                                 {"cest", 2},
                                                 {"eet", 2},
                                                 {"eest", 3}}};
    for (const Zone& zone : zones) {
        if (word == zone.name) {
            return zone.hours * 60;
        }
    }
    // Military letters as RFC 822 wrote them: A-I and K-M east, N-Y west.
    if (word.size() == 1 && word[0] >= 'a' && word[0] <= 'y' && word[0] != 'j') {
        char c = word[0];
        if (c <= 'i') {
            return (c - 'a' + 1) * 60;
        }
        if (c <= 'm') {
            return (c - 'k' + 10) * 60;
        }
        return -(c - 'n' + 1) * 60;
    }
    return std::nullopt;
}

// The RFC 822 family and its broken relatives, read as a sequence of words,
// numbers, a time and a zone in any order that makes sense.
std::optional<std::int64_t> ParseLoose(std::string_view text) {
    Fields f;
    int numbers[3] = {0, 0, 0};
    std::size_t numberDigits[3] = {0, 0, 0};
    int numberCount = 0;
    bool haveTime = false;
    bool haveZone = false;
    std::size_t pos = 0;
    while (pos < text.size()) {
        char c = text[pos];
        if (IsDigit(c)) {
            std::size_t start = pos;
            int value = 0;
            if (!Number(text, pos, 1, 4, value) || (pos < text.size() && IsDigit(text[pos]))) {
                return std::nullopt;
            }
            if (pos < text.size() && text[pos] == ':') {
                if (haveTime || pos - start > 2) {
                    return std::nullopt;
                }
                f.hour = value;
                if (!Clock(text, pos, f)) {
                    return std::nullopt;
                }
                haveTime = true;
                continue;
            }
            if (pos < text.size() && (text[pos] == '/' || text[pos] == '-' || text[pos] == '.') &&
                pos + 1 < text.size() && IsDigit(text[pos + 1])) {
                return std::nullopt; // 12/03/2026: day and month cannot be told apart
            }
            if (numberCount == 3) {
                return std::nullopt;
            }
            numbers[numberCount] = value;
            numberDigits[numberCount] = pos - start;
            ++numberCount;
            continue;
        }
        if ((c == '+' || c == '-') && haveTime && !haveZone && pos + 1 < text.size() &&
            IsDigit(text[pos + 1])) {
            if (!NumericZone(text, pos, f.offsetMinutes)) {
                return std::nullopt;
            }
            haveZone = true;
            continue;
        }
        if (IsAlpha(c)) {
            std::size_t start = pos;
            while (pos < text.size() && (IsAlpha(text[pos]) || text[pos] == '.')) {
                ++pos;
            }
            std::string word = Lower(text.substr(start, pos - start));
            bool weekday =
                pos < text.size() && text[pos] == ',' && f.month == 0 && numberCount == 0;
            if (weekday) {
                continue;
            }
            if (haveTime && (word == "pm" || word == "p.m.") && f.hour >= 1 && f.hour < 12) {
                f.hour += 12;
                continue;
            }
            if (haveTime && (word == "am" || word == "a.m.") && f.hour == 12) {
                f.hour = 0;
                continue;
            }
            if (haveTime && !haveZone) {
                if (std::optional<int> zone = NamedZone(word)) {
                    f.offsetMinutes = *zone;
                    haveZone = true;
                    // "GMT+0100" and "UTC-05:00" name the offset after the zone.
                    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
                        int extra = 0;
                        if (!NumericZone(text, pos, extra)) {
                            return std::nullopt;
                        }
                        f.offsetMinutes += extra;
                    }
                    continue;
                }
            }
            if (int month = MonthOf(word)) {
                // A second month word means the first was a weekday ("mar 03 mar").
                f.month = month;
                continue;
            }
            if (word.size() > 12) {
                return std::nullopt;
            }
            continue; // weekdays, "de", "of", "at", "h."
        }
        ++pos; // separators
    }
    if (f.month == 0) {
        return std::nullopt;
    }
    // "3 Mar 2026", "Mar 3, 2026", "3 de marzo de 2026", and "2026 Mar 3".
    if (numberCount != 2) {
        return std::nullopt;
    }
    int dayIndex = numberDigits[0] > 2 ? 1 : 0;
    int yearIndex = 1 - dayIndex;
    if (numberDigits[dayIndex] > 2) {
        return std::nullopt;
    }
    f.day = numbers[dayIndex];
    f.year = numbers[yearIndex];
    if (numberDigits[yearIndex] <= 2) {
        f.year += f.year < 50 ? 2000 : 1900;
    } else if (numberDigits[yearIndex] != 4) {
        return std::nullopt;
    }
    return ToEpoch(f);
}

} // namespace

std::optional<std::int64_t> FeedDate::Parse(std::string_view text) {
    const char* spaces = " \t\r\n\f\v";
    std::size_t first = text.find_first_not_of(spaces);
    if (first == std::string_view::npos || text.size() - first > 128) {
        return std::nullopt;
    }
    text = text.substr(first, text.find_last_not_of(spaces) - first + 1);
    if (text.size() >= 8 && IsDigit(text[0]) && IsDigit(text[1]) && IsDigit(text[2]) &&
        IsDigit(text[3]) && text[4] == '-') {
        return ParseIso(text);
    }
    return ParseLoose(text);
}

} // namespace pregonero::feeds
