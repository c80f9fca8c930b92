#pragma once

#include <string>
#include <vector>

#include "feedserver/BridgeOptions.h"

// The reader's command line, checked before anything starts.
struct CommandLine {
    std::string feedServer; // empty: not given
    std::string editionDir; // empty: not given; else a kept edition folder to read
    std::string homeDir;    // empty: the default place
    std::string scriptPath; // empty: no script; "-" for standard input
    bool headless = false;
    bool terminal = false;
    bool offline = false;
    bool help = false;
    bool version = false;
    pregonero::feeds::BridgeOptions bridge; // --sources and the options that go with it

    // Returns false with `error` set for anything it does not understand.
    bool Parse(const std::vector<std::string>& args, std::string* error);

    static std::string Usage();
    static std::string VersionText();
    // An http or https URL with a host and perhaps a path under which the
    // catalogue lies, with its trailing slashes dropped into `normalized` so
    // that a catalogue path ("/mobile/…") can be appended as it is. False
    // with `why` for anything else, a query or a fragment included.
    static bool NormalizeFeedServer(const std::string& url, std::string& normalized,
                                    std::string* why);
};
