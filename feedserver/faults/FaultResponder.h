#pragma once

#include <string>

#include <httplib.h>

#include "feedserver/faults/FaultRule.h"

namespace pregonero::feeds {

class ShutdownSignal;

// Sends a body the way a fault rule says: paced, chunked, cut short or with a
// lying Content-Length. Everything happens on the socket through httplib's
// content providers; a provider returning false makes httplib close the
// connection, which is how a drop reaches the client.
class FaultResponder {
public:
    static void Install(httplib::Response& response, std::string body,
                        const std::string& contentType, const FaultRule& rule,
                        ShutdownSignal& shutdown);
};

} // namespace pregonero::feeds
