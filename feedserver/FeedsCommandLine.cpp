#include "feedserver/FeedsCommandLine.h"

#include <charconv>

namespace pregonero::feeds {

const char* FeedsCommandLine::Usage() {
    return "usage: pregonero-feeds DIR [--port N] [--faults FILE] | pregonero-feeds --sample DIR"
           " | pregonero-feeds --sources FILE [--port N] [--state DIR] [--refresh MINUTES]"
           " [--time-zone ZONE] | pregonero-feeds --sources FILE --export DIR [--base-url URL]"
           " [--pictures] [--state DIR] [--time-zone ZONE] | pregonero-feeds --help";
}

bool FeedsCommandLine::Fail(const std::string& reason) {
    error_ = reason;
    return false;
}

bool FeedsCommandLine::Parse(int argc, const char* const argv[]) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--help") {
            mode_ = Mode::Help; // whatever else is given
            return true;
        }
        if (ExportOptions::Takes(arg)) {
            const bool takesValue = ExportOptions::TakesValue(arg);
            if (takesValue && !hasValue) {
                return Fail(arg + " needs a value");
            }
            std::string reason;
            if (!export_.Take(arg, takesValue ? argv[++i] : "", &reason)) {
                return Fail(reason);
            }
        } else if (BridgeOptions::Takes(arg)) {
            if (!hasValue) {
                return Fail(arg + " needs a value");
            }
            std::string reason;
            if (!bridge_.Take(arg, argv[++i], &reason)) {
                return Fail(reason);
            }
        } else if (arg == "--sample" || arg == "--port" || arg == "--faults") {
            if (!hasValue) {
                return Fail(arg + " needs a value");
            }
            const std::string value = argv[++i];
            if (arg == "--sample") {
                if (!directory_.empty()) {
                    return Fail("--sample takes the only directory");
                }
                mode_ = Mode::WriteSample;
                directory_ = value;
            } else if (arg == "--faults") {
                faultsFile_ = value;
            } else {
                auto [end, error] =
                    std::from_chars(value.data(), value.data() + value.size(), port_);
                if (error != std::errc() || end != value.data() + value.size() || port_ < 0 ||
                    port_ > 65535) {
                    return Fail("bad port '" + value + "'");
                }
            }
        } else if (arg.starts_with("-")) {
            return Fail("unknown option '" + arg + "'");
        } else if (!directory_.empty()) {
            return Fail("more than one directory given");
        } else {
            directory_ = arg;
        }
    }
    std::string reason;
    if (!bridge_.Check(&reason)) {
        return Fail(reason);
    }
    if (!export_.dir.empty()) {
        if (bridge_.sourcesFile.empty()) {
            return Fail("--export needs --sources");
        }
        if (!directory_.empty() || mode_ == Mode::WriteSample || port_ != 0 ||
            !faultsFile_.empty() || bridge_.refreshGiven) {
            return Fail("--export takes no directory, --sample, --port, --faults or --refresh");
        }
        mode_ = Mode::Export;
        return true;
    }
    if (export_.pictures || !export_.baseUrl.empty()) {
        return Fail("--pictures and --base-url need --export");
    }
    if (!bridge_.sourcesFile.empty()) {
        if (!directory_.empty() || !faultsFile_.empty()) {
            return Fail("--sources takes no directory, --sample or --faults");
        }
        mode_ = Mode::Bridge;
        return true;
    }
    if (directory_.empty()) {
        return Fail("no directory given");
    }
    if (mode_ == Mode::WriteSample && (port_ != 0 || !faultsFile_.empty())) {
        return Fail("--sample takes no --port or --faults");
    }
    return true;
}

} // namespace pregonero::feeds
