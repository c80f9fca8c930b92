#pragma once

#include <map>
#include <mutex>
#include <string>

#include "feedserver/FeedServer.h"
#include "feedserver/faults/FaultRule.h"

namespace pregonero::feeds {

// The feed server with fault rules per exact request path (the query is
// ignored): a request whose path has a rule is answered the way the rule
// says; every other request is served as usual. Rules may change while the
// server runs.
class FaultyFeedServer : public FeedServer {
public:
    FaultyFeedServer();
    ~FaultyFeedServer();

    void SetRule(const std::string& path, FaultRule rule);
    void ClearRules();

private:
    bool Respond(const std::string& path, httplib::Response& response, ShutdownSignal& shutdown);

    mutable std::mutex mutex_; // guards rules_
    std::map<std::string, FaultRule> rules_;
};

} // namespace pregonero::feeds
