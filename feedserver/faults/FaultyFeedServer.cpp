#include "feedserver/faults/FaultyFeedServer.h"

#include <httplib.h>

#include "feedserver/ShutdownSignal.h"
#include "feedserver/faults/FaultResponder.h"
#include "feedserver/faults/GzipBomb.h"

namespace pregonero::feeds {

FaultyFeedServer::FaultyFeedServer() {
    SetResponder([this](const std::string& path, httplib::Response& response,
                        ShutdownSignal& shutdown) { return Respond(path, response, shutdown); });
}

FaultyFeedServer::~FaultyFeedServer() {
    // The workers call Respond, so they must be gone before the rules are.
    Stop();
}

void FaultyFeedServer::SetRule(const std::string& path, FaultRule rule) {
    std::lock_guard lock(mutex_);
    rules_[path] = std::move(rule);
}

void FaultyFeedServer::ClearRules() {
    std::lock_guard lock(mutex_);
    rules_.clear();
}

bool FaultyFeedServer::Respond(const std::string& path, httplib::Response& response,
                               ShutdownSignal& shutdown) {
    FaultRule rule;
    {
        std::lock_guard lock(mutex_);
        auto found = rules_.find(path);
        if (found == rules_.end()) {
            return false;
        }
        rule = found->second;
    }
    if (rule.delayMs > 0 && !shutdown.SleepFor(rule.delayMs)) {
        response.status = 503;
        return true;
    }
    std::string body;
    const bool found = ReadServedFile(path, &body);
    const int status = rule.status > 0 ? rule.status : (found ? 200 : 404);
    std::string type = ContentTypeFor(path);
    if (rule.gzipBombBytes > 0) {
        // Opaque type, so httplib does not compress the compressed body again.
        body = GzipBomb::Make(rule.gzipBombBytes);
        type = "application/octet-stream";
        response.set_header("Content-Encoding", "gzip");
    } else if (rule.bodyOverride) {
        body = *rule.bodyOverride;
    } else if (!found) {
        body = std::to_string(status) + "\n";
        type = "text/plain";
    }
    response.status = status;
    for (const auto& [name, value] : rule.extraHeaders) {
        response.set_header(name, value);
    }
    if (rule.NeedsStreaming()) {
        FaultResponder::Install(response, std::move(body), type, rule, shutdown);
    } else {
        response.set_content(std::move(body), type);
    }
    return true;
}

} // namespace pregonero::feeds
