#include "platform/runtime/rendering/SolidColorRegions.h"

#include <algorithm>

namespace pregonero::runtime {

namespace {

// Knowledge is only an optimisation: past this many pieces the smallest are
// dropped, so a busy frame never pays more to track than it saves.
constexpr std::size_t kMaxRegions = 48;

long long Area(const IntRect& r) {
    return static_cast<long long>(r.width) * r.height;
}

// Adds what is left of `r` once `cut` (which lies inside it) is taken away:
// the bands above and below the cut, then the pieces left and right of it.
template <typename Add> void AddRemainder(const IntRect& r, const IntRect& cut, Add add) {
    const IntRect pieces[] = {
        {r.x, r.y, r.width, cut.y - r.y},
        {r.x, cut.y + cut.height, r.width, r.y + r.height - (cut.y + cut.height)},
        {r.x, cut.y, cut.x - r.x, cut.height},
        {cut.x + cut.width, cut.y, r.x + r.width - (cut.x + cut.width), cut.height},
    };
    for (const IntRect& piece : pieces) {
        if (piece.width > 0 && piece.height > 0) {
            add(piece);
        }
    }
}

} // namespace

void SolidColorRegions::Split(const IntRect& rect, std::vector<Region>& known,
                              std::vector<IntRect>& unknown) const {
    known.clear();
    unknown.clear();
    if (rect.width <= 0 || rect.height <= 0) {
        return;
    }
    unknown.push_back(rect);
    std::vector<IntRect> rest;
    for (const Region& region : regions_) {
        const IntRect part = rect.Intersection(region.rect);
        if (part.width == 0) {
            continue;
        }
        known.push_back(Region{part, region.pixel});
        // The regions never overlap, so `part` lies in what is still unknown.
        rest.clear();
        for (const IntRect& piece : unknown) {
            const IntRect cut = piece.Intersection(part);
            if (cut.width == 0) {
                rest.push_back(piece);
            } else {
                AddRemainder(piece, cut, [&rest](const IntRect& r) { rest.push_back(r); });
            }
        }
        unknown.swap(rest);
    }
}

std::optional<std::uint32_t> SolidColorRegions::PixelOf(const IntRect& rect) const {
    if (rect.width <= 0 || rect.height <= 0) {
        return std::nullopt;
    }
    // The regions never overlap, so the parts add up to the whole exactly
    // when every pixel is covered.
    long long covered = 0;
    std::optional<std::uint32_t> pixel;
    for (const Region& region : regions_) {
        IntRect part = rect.Intersection(region.rect);
        if (part.width == 0) {
            continue;
        }
        if (pixel && *pixel != region.pixel) {
            return std::nullopt;
        }
        pixel = region.pixel;
        covered += Area(part);
    }
    return covered == Area(rect) ? pixel : std::nullopt;
}

void SolidColorRegions::Set(const IntRect& rect, std::uint32_t pixel) {
    if (rect.width <= 0 || rect.height <= 0) {
        return;
    }
    Forget(rect);
    regions_.push_back(Region{rect, pixel});
    Prune();
}

void SolidColorRegions::Prune() {
    while (regions_.size() > kMaxRegions) {
        auto smallest = std::min_element(
            regions_.begin(), regions_.end(),
            [](const Region& a, const Region& b) { return Area(a.rect) < Area(b.rect); });
        regions_.erase(smallest);
    }
}

void SolidColorRegions::Forget(const IntRect& rect) {
    if (rect.width <= 0 || rect.height <= 0) {
        return;
    }
    scratch_.clear();
    for (const Region& region : regions_) {
        IntRect cut = rect.Intersection(region.rect);
        if (cut.width == 0) {
            scratch_.push_back(region);
            continue;
        }
        AddRemainder(region.rect, cut, [this, &region](const IntRect& piece) {
            scratch_.push_back(Region{piece, region.pixel});
        });
    }
    regions_.swap(scratch_);
    Prune();
}

} // namespace pregonero::runtime
