#include "feedserver/bridge/PictureStore.h"

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <mutex>
#include <thread>
#include <unordered_set>

#include "feedserver/bridge/EditionFiles.h"
#include "platform/runtime/pictures/DecodeService.h"
#include "platform/runtime/pictures/GifDecoder.h"
#include "platform/runtime/pictures/JpegDecoder.h"
#include "platform/runtime/pictures/PictureDecoder.h"
#include "platform/runtime/pictures/PngDecoder.h"
#include "platform/runtime/pictures/WebpDecoder.h"

namespace pregonero::feeds {

namespace {

// Small enough to be cheap (a JPEG decodes at an eighth of its size), yet
// every row of the picture is read, so a truncated file still fails.
constexpr int kCheckSide = 16;
constexpr unsigned kMaxWorkers = 4;
constexpr std::size_t kQueued = 16; // pictures fetched and waiting for a worker

// FNV-1a: a stable name for a URL, whatever the build.
std::string NameOf(const std::string& url) {
    std::uint64_t hash = 14695981039346656037ull;
    for (unsigned char c : url) {
        hash = (hash ^ c) * 1099511628211ull;
    }
    char name[17];
    std::snprintf(name, sizeof name, "%016llx", static_cast<unsigned long long>(hash));
    return name;
}

const char* ExtensionOf(const std::string& bytes) {
    if (runtime::JpegDecoder::Sniff(bytes)) {
        return ".jpg";
    }
    if (runtime::PngDecoder::Sniff(bytes)) {
        return ".png";
    }
    if (runtime::WebpDecoder::Sniff(bytes)) {
        return ".webp";
    }
    return ".gif";
}

} // namespace

PictureStore::PictureStore(const std::string& userAgent)
    : fetcher_(userAgent, runtime::DecodeService::kMaxPictureBytes) {}

std::string PictureStore::Refusal(const std::string& bytes) {
    if (bytes.size() > runtime::DecodeService::kMaxPictureBytes) {
        return "larger than the reader takes";
    }
    const auto outcome =
        runtime::DecodePicture(bytes, runtime::PixelFormat::Rgb565, kCheckSide, kCheckSide);
    return outcome.ok ? std::string() : outcome.error;
}

bool PictureStore::Keep(const std::vector<std::string>& urls, EditionFiles& files,
                        const std::function<void()>& step, std::string* error) {
    std::vector<FetchRequest> requests;
    std::unordered_set<std::string> asked;
    for (const auto& url : urls) {
        if (!kept_.count(url) && asked.insert(url).second) {
            requests.push_back({url, "", ""});
        }
    }
    // Checking and writing happen on workers while the transfers go on; a
    // short queue holds the fetch back when they fall behind, so memory holds
    // a few pictures, not the edition's.
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<std::pair<std::size_t, std::string>> queue;
    bool fetched = false;
    std::string failure;
    const auto check = [&] {
        for (;;) {
            std::unique_lock lock(mutex);
            changed.wait(lock, [&] { return !queue.empty() || fetched; });
            if (queue.empty()) {
                return;
            }
            auto [index, body] = std::move(queue.front());
            queue.pop_front();
            changed.notify_all();
            lock.unlock();
            const std::string& url = requests[index].url;
            const std::string path = "pictures/" + NameOf(url) + ExtensionOf(body);
            // The edition in place holds only pictures that passed the check,
            // so the same bytes need not be decoded again.
            bool shown = files.Link(path, body);
            bool written = shown;
            std::string why;
            if (!shown) {
                shown = Refusal(body).empty();
                written = shown && files.Write(path, body, &why);
            }
            lock.lock();
            if (written) {
                kept_.emplace(url, path);
            } else if (!shown) {
                ++leftOut_;
            } else if (failure.empty()) {
                failure = why;
                Interrupt();
            }
        }
    };
    std::vector<std::thread> workers;
    for (unsigned i = 0; i < std::clamp(std::thread::hardware_concurrency(), 1u, kMaxWorkers);
         ++i) {
        workers.emplace_back(check);
    }
    fetcher_.FetchAll(requests, [&](std::size_t index, FetchReply& reply) {
        if (step) {
            step();
        }
        std::unique_lock lock(mutex);
        if (!reply.error.empty() || reply.status != 200) {
            ++leftOut_;
            return;
        }
        changed.wait(lock, [&] { return queue.size() < kQueued; });
        queue.emplace_back(index, std::move(reply.body));
        changed.notify_all();
    });
    {
        std::lock_guard lock(mutex);
        fetched = true;
    }
    changed.notify_all();
    for (auto& worker : workers) {
        worker.join();
    }
    if (!failure.empty()) {
        *error = failure;
        return false;
    }
    return true;
}

std::string PictureStore::PathOf(const std::string& url) const {
    const auto found = kept_.find(url);
    return found == kept_.end() ? std::string() : found->second;
}

} // namespace pregonero::feeds
