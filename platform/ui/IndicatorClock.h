#pragma once

#include <ctime>
#include <string>

namespace pregonero::ui {

// The time the indicator bar shows: the local time as HH:MM, or a fixed
// HH:MM taken from PREGONERO_CLOCK (read once) or set by a script, so that
// snapshots and screenshots come out the same whatever the hour. Used on the
// event thread only.
class IndicatorClock {
public:
    static std::string Text();
    // `hhmm` must be a time of day as HH:MM; false leaves the clock alone.
    static bool Fix(const std::string& hhmm);
    // True when the minute turned since the last call and the text may have
    // changed with it: the caller then asks for a redraw.
    static bool MinuteTurned();
    static bool IsTimeOfDay(const std::string& text);

private:
    static std::string& Fixed();
    static std::time_t lastMinute_;
};

} // namespace pregonero::ui
