#pragma once

#include <string>
#include <vector>

namespace pregonero::e2e {

// The reader run once, headless, with a script; stdout holds one JSON line
// per dump. A run that outlives its time-out is killed (exitCode -1).
// `launcher`, when given, is a command that runs the program as its
// remaining arguments (a namespace or a working directory around it).
struct ProgramRun {
    int exitCode = -1;
    std::vector<std::string> dumps;
    std::string stdErr;

    static ProgramRun Start(const std::string& home, const std::string& feedServer,
                            const std::string& script, int timeoutSeconds = 60,
                            const std::vector<std::string>& launcher = {},
                            const std::vector<std::string>& extraArgs = {});
};

} // namespace pregonero::e2e
