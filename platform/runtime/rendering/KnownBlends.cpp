#include "platform/runtime/rendering/KnownBlends.h"

#include "platform/runtime/rendering/CairoHandles.h"

#include <cstring>
#include <utility>
#include <vector>

namespace pregonero::runtime {

namespace {

constexpr std::size_t kKept = 16;

// A scratch surface of `width` × `height` pixels, all `under`.
CairoSurfacePtr SurfaceOf(std::uint32_t under, int width, int height = 1) {
    CairoSurfacePtr row(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height));
    CairoPtr cr(cairo_create(row.get()));
    cairo_set_operator(cr.get(), CAIRO_OPERATOR_SOURCE);
    SetSourcePixel(cr.get(), under);
    cairo_paint(cr.get());
    return row;
}

void ReadRow(cairo_surface_t* row, std::uint32_t* out, int width) {
    cairo_surface_flush(row);
    std::memcpy(out, cairo_image_surface_get_data(row), sizeof(std::uint32_t) * width);
}

struct FillEntry {
    Rgba color;
    std::uint32_t under;
    std::uint32_t result;
};

struct TableEntry {
    Rgba color;
    std::uint32_t under;
    KnownBlends::Table table;
};

// An 8-bit mask of `width` × `height` whose pixel at (x, y) is value(x, y).
template <typename Value> CairoSurfacePtr MaskOf(int width, int height, Value value) {
    CairoSurfacePtr mask(cairo_image_surface_create(CAIRO_FORMAT_A8, width, height));
    cairo_surface_flush(mask.get());
    unsigned char* data = cairo_image_surface_get_data(mask.get());
    const int stride = cairo_image_surface_get_stride(mask.get());
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            data[y * stride + x] = static_cast<unsigned char>(value(x, y));
        }
    }
    cairo_surface_mark_dirty(mask.get());
    return mask;
}

// In the order they were made; the oldest goes when the list is full.
template <typename Entry>
Entry* Find(std::vector<Entry>& entries, Rgba color, std::uint32_t under) {
    for (Entry& e : entries) {
        if (e.color == color && e.under == under) {
            return &e;
        }
    }
    return nullptr;
}

template <typename Entry> Entry& Add(std::vector<Entry>& entries, Entry entry) {
    if (entries.size() >= kKept) {
        entries.erase(entries.begin());
    }
    entries.push_back(std::move(entry));
    return entries.back();
}

} // namespace

std::uint32_t KnownBlends::Fill(Rgba color, std::uint32_t under) {
    thread_local std::vector<FillEntry> known;
    if (const FillEntry* e = Find(known, color, under)) {
        return e->result;
    }
    CairoSurfacePtr row = SurfaceOf(under, 1);
    {
        CairoPtr cr(cairo_create(row.get()));
        SetSource(cr.get(), color);
        cairo_rectangle(cr.get(), 0, 0, 1, 1);
        cairo_fill(cr.get());
    }
    std::uint32_t result = 0;
    ReadRow(row.get(), &result, 1);
    return Add(known, FillEntry{color, under, result}).result;
}

const KnownBlends::Table& KnownBlends::ThroughCoverage(Rgba color, std::uint32_t under) {
    thread_local std::vector<TableEntry> known;
    if (const TableEntry* e = Find(known, color, under)) {
        return e->table;
    }
    // One pixel per coverage value, drawn through an 8-bit mask as cairo
    // draws a glyph.
    CairoSurfacePtr mask = MaskOf(256, 1, [](int x, int) { return x; });
    CairoSurfacePtr row = SurfaceOf(under, 256);
    {
        CairoPtr cr(cairo_create(row.get()));
        SetSource(cr.get(), color);
        cairo_mask_surface(cr.get(), mask.get(), 0, 0);
    }
    TableEntry entry{color, under, {}};
    ReadRow(row.get(), entry.table.data(), 256);
    return Add(known, std::move(entry)).table;
}

std::vector<std::uint32_t> KnownBlends::ThroughTwoCoverages(
    Rgba color, std::uint32_t under,
    const std::vector<std::pair<std::uint8_t, std::uint8_t>>& coverages) {
    std::vector<std::uint32_t> results(coverages.size());
    if (coverages.empty()) {
        return results;
    }
    // One pixel per pair: two glyphs drawn one after the other.
    const int width = static_cast<int>(coverages.size());
    CairoSurfacePtr first = MaskOf(width, 1, [&](int x, int) { return coverages[x].first; });
    CairoSurfacePtr second = MaskOf(width, 1, [&](int x, int) { return coverages[x].second; });
    CairoSurfacePtr row = SurfaceOf(under, width);
    {
        CairoPtr cr(cairo_create(row.get()));
        SetSource(cr.get(), color);
        cairo_mask_surface(cr.get(), first.get(), 0, 0);
        cairo_mask_surface(cr.get(), second.get(), 0, 0);
    }
    ReadRow(row.get(), results.data(), width);
    return results;
}

} // namespace pregonero::runtime
