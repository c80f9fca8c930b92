#pragma once

#include <string>

// The directory the application sees as "/Home".
class HomeDirectory {
public:
    // --home if given, else $XDG_DATA_HOME/pregonero, else ~/.local/share/pregonero.
    static std::string Resolve(const std::string& given);
    // Creates it if needed and checks it can be written; `error` says why not.
    static bool Prepare(const std::string& dir, std::string* error);
};
