#pragma once

#include <string_view>

namespace pregonero::platform {

// The window's icon: data/pregonero-64.png (the program's icon drawn at 64
// pixels), built into the program so that it needs no file to find.
class WindowIcon {
public:
    static std::string_view Png();
};

} // namespace pregonero::platform
