#include "feedserver/faults/FaultResponder.h"

#include <algorithm>
#include <memory>

#include "feedserver/ShutdownSignal.h"

namespace pregonero::feeds {

namespace {

constexpr std::size_t kPlainPiece = 64 * 1024;

struct Transfer {
    std::string body;
    FaultRule rule;
    ShutdownSignal* shutdown = nullptr;
    bool stalled = false;

    // How many body bytes go out before the connection is cut, if it is cut.
    std::size_t Limit() const {
        if (rule.dropAfterBytes >= 0) {
            return std::min(body.size(), static_cast<std::size_t>(rule.dropAfterBytes));
        }
        return body.size();
    }

    bool StallPending() const { return rule.stallMs > 0 && !stalled; }

    std::size_t PieceAt(std::size_t pos, std::size_t limit) const {
        std::size_t piece = rule.dripMs > 0      ? std::max<std::size_t>(rule.dripBytes, 1)
                            : rule.chunkSize > 0 ? rule.chunkSize
                                                 : kPlainPiece;
        piece = std::min(piece, limit - pos);
        if (StallPending() && rule.stallAfterBytes > pos) {
            piece = std::min(piece, rule.stallAfterBytes - pos);
        }
        return piece;
    }

    // Writes from pos up to the limit; false when the client went away or
    // the server is stopping.
    bool WriteFrom(std::size_t pos, httplib::DataSink& sink) {
        const std::size_t limit = Limit();
        while (pos < limit) {
            if (!StallIfDue(pos)) {
                return false;
            }
            const std::size_t piece = PieceAt(pos, limit);
            if (!sink.write(body.data() + pos, piece)) {
                return false;
            }
            pos += piece;
            if (rule.dripMs > 0 && pos < limit && !shutdown->SleepFor(rule.dripMs)) {
                return false;
            }
        }
        return StallIfDue(pos);
    }

    bool StallIfDue(std::size_t pos) {
        if (!StallPending() || pos < std::min(rule.stallAfterBytes, Limit())) {
            return true;
        }
        stalled = true;
        return shutdown->SleepFor(rule.stallMs);
    }

    bool Cut() const { return Limit() < body.size(); }

    // Filler until the client hangs up or the server stops; never done.
    bool WriteForever(httplib::DataSink& sink) const {
        const std::string filler(kPlainPiece, 'x');
        while (sink.write(filler.data(), filler.size())) {
            if (!shutdown->SleepFor(0)) {
                return false;
            }
        }
        return false;
    }
};

} // namespace

void FaultResponder::Install(httplib::Response& response, std::string body,
                             const std::string& contentType, const FaultRule& rule,
                             ShutdownSignal& shutdown) {
    auto transfer = std::make_shared<Transfer>();
    transfer->body = std::move(body);
    transfer->rule = rule;
    transfer->shutdown = &shutdown;

    if (rule.endlessChunks) {
        response.set_chunked_content_provider(contentType,
                                              [transfer](std::size_t, httplib::DataSink& sink) {
                                                  return transfer->WriteForever(sink);
                                              });
        return;
    }
    if (rule.chunkSize > 0) {
        response.set_chunked_content_provider(
            contentType, [transfer](std::size_t offset, httplib::DataSink& sink) {
                if (!transfer->WriteFrom(offset, sink) || transfer->Cut()) {
                    return false;
                }
                sink.done();
                return true;
            });
        return;
    }

    const long long announced =
        std::max(0LL, static_cast<long long>(transfer->body.size()) + rule.contentLengthDelta);
    if (rule.contentLengthDelta < 0) {
        // The surplus would be read as the next response on this
        // connection, so it is closed after this one (see below).
        response.set_header("Connection", "close");
    }
    response.set_content_provider(
        static_cast<std::size_t>(announced), contentType,
        [transfer, announced](std::size_t offset, std::size_t, httplib::DataSink& sink) {
            if (!transfer->WriteFrom(offset, sink) || transfer->Cut()) {
                return false;
            }
            // A body that differs from what was announced leaves the
            // connection unusable: failing here makes httplib close it, so
            // the client sees a short body, or the surplus and then the end.
            return static_cast<long long>(transfer->body.size()) == announced;
        });
}

} // namespace pregonero::feeds
