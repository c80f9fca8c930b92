#include "tests/e2e/support/ProgramRun.h"

#include <sstream>

#include <gtest/gtest.h>

#include "tests/e2e/support/Process.h"
#include "tests/e2e/support/WaitUntil.h"

namespace pregonero::e2e {

namespace {

ProgramRun Finish(Process& process, int timeoutSeconds) {
    ProgramRun run;
    process.CloseInput();
    run.exitCode = process.Wait(timeoutSeconds);
    run.stdErr = process.Err();
    std::istringstream lines(process.Out());
    for (std::string line; std::getline(lines, line);) {
        if (line.starts_with("{")) {
            run.dumps.emplace_back(line);
        } else {
            run.lines.push_back(line);
        }
    }
    return run;
}

} // namespace

ProgramRun ProgramRun::Start(const std::string& home, const std::string& feedServer,
                             const std::string& script, const RunOptions& options) {
    return Start(home, feedServer, std::vector<ScriptPart>{{nullptr, script}}, options);
}

ProgramRun ProgramRun::Start(const std::string& home, const std::string& feedServer,
                             const std::vector<ScriptPart>& script, const RunOptions& options) {
    std::vector<std::string> argv = options.launcher;
    argv.insert(argv.end(), {PREGONERO_BINARY, "--headless", "--home", home, "--script", "-"});
    if (!feedServer.empty()) {
        argv.insert(argv.end(), {"--feed-server", feedServer});
    }
    argv.insert(argv.end(), options.args.begin(), options.args.end());
    Process process(argv);
    for (const ScriptPart& part : script) {
        if (part.ready) {
            EXPECT_TRUE(WaitUntil(part.ready, options.timeoutSeconds))
                << "never ready for: " << part.commands;
        }
        process.Send(part.commands);
    }
    return Finish(process, options.timeoutSeconds);
}

ProgramRun ProgramRun::Command(const std::vector<std::string>& args,
                               const std::vector<std::string>& env) {
    std::vector<std::string> argv = {PREGONERO_BINARY};
    argv.insert(argv.end(), args.begin(), args.end());
    Process process(argv, env);
    return Finish(process, 60);
}

} // namespace pregonero::e2e
