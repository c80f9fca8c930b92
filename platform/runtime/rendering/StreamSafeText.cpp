#include "platform/runtime/rendering/StreamSafeText.h"

#include <glib.h>

namespace pregonero::runtime {

namespace {

// Walks `utf8` and calls `keep(begin, length)` for every stretch that stays;
// returns whether anything was left out.
template <typename Keep> bool Walk(std::string_view utf8, Keep&& keep) {
    const char* const end = utf8.data() + utf8.size();
    const char* p = utf8.data();
    const char* kept = p; // start of the stretch not yet handed to `keep`
    std::size_t run = 0;
    bool dropped = false;
    while (p < end) {
        const auto lead = static_cast<unsigned char>(*p);
        if (lead < 0x80) {
            run = 0; // ASCII holds no marks: the common case stays cheap
            ++p;
            continue;
        }
        const gunichar c = g_utf8_get_char_validated(p, end - p);
        if (c == static_cast<gunichar>(-1) || c == static_cast<gunichar>(-2)) {
            run = 0;
            ++p;
            continue;
        }
        const char* next = g_utf8_next_char(p);
        // Marks of class 0 (enclosing ones, variation selectors) stack on a
        // letter all the same, so they count too.
        if (g_unichar_combining_class(c) == 0 && !g_unichar_ismark(c)) {
            run = 0;
        } else if (++run > StreamSafeText::kMaxMarks) {
            keep(kept, static_cast<std::size_t>(p - kept));
            kept = next;
            dropped = true;
        }
        p = next;
    }
    keep(kept, static_cast<std::size_t>(end - kept));
    return dropped;
}

} // namespace

std::string StreamSafeText::Cap(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    Walk(utf8, [&out](const char* begin, std::size_t length) { out.append(begin, length); });
    return out;
}

bool StreamSafeText::NeedsCap(std::string_view utf8) {
    return Walk(utf8, [](const char*, std::size_t) {});
}

} // namespace pregonero::runtime
