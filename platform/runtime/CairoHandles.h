#pragma once

#include "platform/runtime/PaintTypes.h"

#include <cairo.h>
#include <glib-object.h>
#include <pango/pango.h>

#include <cstdint>
#include <memory>

namespace pregonero::runtime {

// Owners for the Cairo and Pango handles, held from the moment they exist.
struct CairoSurfaceDeleter {
    void operator()(cairo_surface_t* s) const { cairo_surface_destroy(s); }
};
struct CairoDeleter {
    void operator()(cairo_t* cr) const { cairo_destroy(cr); }
};
struct GObjectDeleter {
    void operator()(void* object) const { g_object_unref(object); }
};
struct FontDescriptionDeleter {
    void operator()(PangoFontDescription* d) const { pango_font_description_free(d); }
};

using CairoSurfacePtr = std::unique_ptr<cairo_surface_t, CairoSurfaceDeleter>;
using CairoPtr = std::unique_ptr<cairo_t, CairoDeleter>;
using PangoContextPtr = std::unique_ptr<PangoContext, GObjectDeleter>;
using PangoLayoutPtr = std::unique_ptr<PangoLayout, GObjectDeleter>;
using FontDescriptionPtr = std::unique_ptr<PangoFontDescription, FontDescriptionDeleter>;

// Cairo's source in our colours.
inline void SetSource(cairo_t* cr, Rgba c) {
    cairo_set_source_rgba(cr, c.r / 255.0, c.g / 255.0, c.b / 255.0, c.a / 255.0);
}

// Scoped cairo_save/cairo_restore.
class CairoSaveGuard {
public:
    explicit CairoSaveGuard(cairo_t* cr) : cr_(cr) { cairo_save(cr_); }
    ~CairoSaveGuard() { cairo_restore(cr_); }
    CairoSaveGuard(const CairoSaveGuard&) = delete;
    CairoSaveGuard& operator=(const CairoSaveGuard&) = delete;

private:
    cairo_t* cr_;
};

} // namespace pregonero::runtime
