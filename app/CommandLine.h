#pragma once

#include <string>
#include <vector>

#include "feedserver/BridgeOptions.h"

// The reader's command line, checked before anything starts.
struct CommandLine {
    std::string feedServer; // empty: not given
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
    // http or https with a host; trailing slashes dropped into `normalized`.
    static bool NormalizeFeedServer(const std::string& url, std::string& normalized);
};
