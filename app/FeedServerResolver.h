#pragma once

#include <memory>
#include <string>

#include "feedserver/BridgeOptions.h"
#include "feedserver/FeedServer.h"
#include "feedserver/bridge/EditionService.h"

// Which feed server the reader talks to: the one given on the command line,
// else PREGONERO_FEED_SERVER, else a kept edition folder (--edition), else an
// edition built from the newspapers' feeds --sources names, else the bundled
// sample edition, which this object writes under the home directory (again
// only when the bundled edition changed). A folder is served on a free local
// port until Stop or its end.
class FeedServerResolver {
public:
    // The address given, else the environment's; empty when neither names
    // one. False with `error` when the variable is not an http or https URL.
    static bool Given(const std::string& fromCommandLine, std::string* address, std::string* error);
    // Empty when `dir` is a folder holding the front page's feed, else the
    // one line that says what is wrong with it.
    static std::string CheckEdition(const std::string& dir);
    // Serves the kept edition in `dir` and sets `address` to the server's.
    // False with `error`.
    bool ServeEdition(const std::string& dir, std::string* address, std::string* error);
    // Serves the sample edition when `address` is empty and sets it to the
    // server's; leaves a given address alone. False with `error`.
    bool ServeSampleUnlessGiven(const std::string& home, std::string* address, std::string* error);
    // Serves the edition built from the newspapers' feeds the options name
    // and sets `address` to the server's. False with `error`.
    bool ServeSources(const pregonero::feeds::BridgeOptions& options, std::string* address,
                      std::string* error);
    void Stop();

private:
    pregonero::feeds::FeedServer folder_; // the sample or a kept edition
    std::unique_ptr<pregonero::feeds::EditionService> sources_;
};
