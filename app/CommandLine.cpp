#include "app/CommandLine.h"

#include "platform/runtime/network/NetworkService.h"

namespace {

bool TakeValue(const std::vector<std::string>& args, std::size_t& i, const std::string& name,
               std::string& value, std::string* error) {
    const std::string& arg = args[i];
    if (arg.size() > name.size() && arg.compare(0, name.size() + 1, name + "=") == 0) {
        value = arg.substr(name.size() + 1);
        return true;
    }
    if (i + 1 >= args.size()) {
        *error = name + " needs a value";
        return false;
    }
    value = args[++i];
    return true;
}

bool Named(const std::string& arg, const std::string& name) {
    return arg == name || arg.compare(0, name.size() + 1, name + "=") == 0;
}

} // namespace

bool CommandLine::Parse(const std::vector<std::string>& args, std::string* error) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (Named(arg, "--feed-server")) {
            std::string value;
            if (!TakeValue(args, i, "--feed-server", value, error)) {
                return false;
            }
            std::string why;
            if (!NormalizeFeedServer(value, feedServer, &why)) {
                *error = "--feed-server " + why + ": '" + value + "'";
                return false;
            }
        } else if (Named(arg, "--edition")) {
            if (!TakeValue(args, i, "--edition", editionDir, error)) {
                return false;
            }
            if (editionDir.empty()) {
                *error = "--edition needs a folder";
                return false;
            }
        } else if (Named(arg, "--home")) {
            if (!TakeValue(args, i, "--home", homeDir, error)) {
                return false;
            }
            if (homeDir.empty()) {
                *error = "--home needs a directory";
                return false;
            }
        } else if (Named(arg, "--script")) {
            if (!TakeValue(args, i, "--script", scriptPath, error)) {
                return false;
            }
            if (scriptPath.empty()) {
                *error = "--script needs a file name or -";
                return false;
            }
        } else if (const auto option = arg.substr(0, arg.find('='));
                   pregonero::feeds::BridgeOptions::Takes(option)) {
            std::string value;
            if (!TakeValue(args, i, option, value, error) || !bridge.Take(option, value, error)) {
                return false;
            }
        } else if (arg == "--headless") {
            headless = true;
        } else if (arg == "--terminal") {
            terminal = true;
        } else if (arg == "--offline") {
            offline = true;
        } else if (arg == "--help" || arg == "-h") {
            help = true;
        } else if (arg == "--version") {
            version = true;
        } else {
            *error = "unknown option '" + arg + "' (try --help)";
            return false;
        }
    }
    if (!bridge.Check(error)) {
        return false;
    }
    if (!bridge.sourcesFile.empty() && !feedServer.empty()) {
        *error = "--sources and --feed-server cannot be used together";
        return false;
    }
    if (!editionDir.empty() && (!feedServer.empty() || !bridge.sourcesFile.empty())) {
        *error = std::string("--edition and ") +
                 (feedServer.empty() ? "--sources" : "--feed-server") + " cannot be used together";
        return false;
    }
    if (headless && terminal) {
        *error = "--headless and --terminal cannot be used together";
        return false;
    }
    return true;
}

bool CommandLine::NormalizeFeedServer(const std::string& url, std::string& normalized,
                                      std::string* why) {
    // The catalogue paths are appended to what is kept, so a query or a
    // fragment would end up in front of them instead of after.
    if (url.find_first_of("?#") != std::string::npos) {
        *why = "takes no query (?) or fragment (#)";
        return false;
    }
    std::string value = url;
    while (!value.empty() && value.back() == '/') {
        value.pop_back();
    }
    if (!pregonero::runtime::NetworkService::IsFetchableUrl(value + "/")) {
        *why = "must be an http or https URL with a host";
        return false;
    }
    normalized = value;
    return true;
}

std::string CommandLine::VersionText() {
    return std::string("pregonero ") + PREGONERO_VERSION;
}

std::string CommandLine::Usage() {
    return "usage: pregonero [options]\n"
           "  --feed-server URL  the newspaper's feed server (scheme, host, port and perhaps\n"
           "                     the path the catalogue lies under)\n"
           "                     default: $PREGONERO_FEED_SERVER, else the bundled sample\n"
           "                     edition, served by the reader itself on 127.0.0.1\n"
           "  --edition DIR      read the edition kept in DIR, served by the reader itself on\n"
           "                     127.0.0.1 (no network needed)\n"
           "  --sources FILE     build the edition from the newspapers' feeds an OPML list\n"
           "                     names, served by the reader itself on 127.0.0.1\n"
           "  --state DIR        with --sources: where the feeds' last items are kept\n"
           "                     default: $XDG_STATE_HOME/pregonero-feeds, else\n"
           "                     ~/.local/state/pregonero-feeds\n"
           "  --refresh MINUTES  with --sources: how often the feeds are fetched; default: 15\n"
           "  --time-zone ZONE   with --sources: IANA zone of the times shown; default: the\n"
           "                     machine's zone\n"
           "  --home DIR         where the reader keeps its files\n"
           "                     default: $XDG_DATA_HOME/pregonero, else ~/.local/share/pregonero\n"
           "  --headless         run without a window; default: off (a window when a display\n"
           "                     is available)\n"
           "  --terminal         draw in this terminal instead of a window; default: off (on\n"
           "                     when there is no display and the reader runs in a terminal)\n"
           "  --script FILE|-    run the commands of FILE (or standard input); default: none\n"
           "  --offline          start with the network switched off; default: off\n"
           "  --help             show this text and exit\n"
           "  --version          show the version and exit\n";
}
