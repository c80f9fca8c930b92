#pragma once

#include <string>

#include "feedserver/BridgeOptions.h"
#include "feedserver/ExportOptions.h"

namespace pregonero::feeds {

// Arguments of pregonero-feeds:
//   pregonero-feeds DIR [--port N] [--faults FILE]
//   pregonero-feeds --sample DIR
//   pregonero-feeds --sources FILE [--port N] [--state DIR] [--refresh MINUTES]
//                   [--time-zone ZONE]
//   pregonero-feeds --sources FILE --export DIR [--base-url URL] [--pictures]
//                   [--state DIR] [--time-zone ZONE]
//   pregonero-feeds --help
class FeedsCommandLine {
public:
    enum class Mode { Serve, WriteSample, Bridge, Export, Help };

    // False with a one-line reason in Error() when the arguments are wrong.
    bool Parse(int argc, const char* const argv[]);

    Mode GetMode() const { return mode_; }
    const std::string& Directory() const { return directory_; }
    int Port() const { return port_; }
    const std::string& FaultsFile() const { return faultsFile_; }
    const BridgeOptions& Bridge() const { return bridge_; }
    const ExportOptions& Export() const { return export_; }
    const std::string& Error() const { return error_; }

    static const char* Usage();

private:
    bool Fail(const std::string& reason);

    Mode mode_ = Mode::Serve;
    std::string directory_;
    int port_ = 0;
    std::string faultsFile_;
    BridgeOptions bridge_;
    ExportOptions export_;
    std::string error_;
};

} // namespace pregonero::feeds
