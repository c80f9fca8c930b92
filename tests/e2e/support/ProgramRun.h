#pragma once

#include <functional>
#include <string>
#include <vector>

#include "tests/e2e/support/Snapshot.h"

namespace pregonero::e2e {

// A piece of script sent to the program once `ready` holds (polled with a
// deadline), for states only the test can see, such as a request reaching
// the feed server.
struct ScriptPart {
    std::function<bool()> ready;
    std::string commands;
};

struct RunOptions {
    int timeoutSeconds = 60;
    // A command that runs the program as its remaining arguments (a
    // namespace or a working directory around it).
    std::vector<std::string> launcher;
    std::vector<std::string> args; // after the usual ones
};

// The reader run once, headless, on a script read from its standard input.
// A run that outlives its time-out is killed (exitCode -1).
struct ProgramRun {

    int exitCode = -1;
    std::vector<Snapshot> dumps;    // one per `dump`, in order
    std::vector<std::string> lines; // the other lines of standard output
    std::string stdErr;

    // `feedServer` empty: the program serves its own sample edition.
    static ProgramRun Start(const std::string& home, const std::string& feedServer,
                            const std::string& script, const RunOptions& options = {});
    static ProgramRun Start(const std::string& home, const std::string& feedServer,
                            const std::vector<ScriptPart>& script, const RunOptions& options = {});
    // The bare program with `args`, `env` ("NAME=value") and nothing on its
    // standard input.
    static ProgramRun Command(const std::vector<std::string>& args,
                              const std::vector<std::string>& env = {});
};

} // namespace pregonero::e2e
