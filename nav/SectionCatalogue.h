#pragma once

#include <cstddef>

// The fixed catalogue of screens that FormMgr builds, by user event id.
enum class ScreenKind { Portada, Seccion, Fotogaleria, Nota };

struct CatalogueRow {
    long id;
    ScreenKind kind;
    const char* title; // section title; null for the other screens
    const char* path;  // feed path on the feed server; null where the link is used
    char* cacheFile;   // constant path of the cache file
};

class SectionCatalogue {
public:
    static constexpr long kFirstId = 100;
    static constexpr long kLastId = 121;
    static constexpr std::size_t kRowCount = 22;
    // The row for `id`, or null outside 100 to 121.
    static const CatalogueRow* Find(long id);
    static const CatalogueRow* Rows();
};
