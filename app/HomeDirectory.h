#pragma once

#include <string>

// The directory the application sees as "/Home".
class HomeDirectory {
public:
    // --home if given, else $XDG_DATA_HOME/pregonero, else ~/.local/share/pregonero.
    static std::string Resolve(const std::string& given);
    // Creates it if needed, checks it can be written and turns `dir` into its
    // real path: the home may be a link, followed here once and never again
    // below it. `error` says why not.
    static bool Prepare(std::string* dir, std::string* error);
};
