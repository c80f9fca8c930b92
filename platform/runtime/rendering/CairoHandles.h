#pragma once

#include "platform/runtime/loop/UniqueHandle.h"
#include "platform/runtime/rendering/PaintTypes.h"

#include <cairo.h>
#include <glib-object.h>
#include <pango/pango.h>

namespace pregonero::runtime {

// Owners for the Cairo and Pango handles, held from the moment they exist.
using CairoSurfacePtr = UniqueHandle<cairo_surface_t, cairo_surface_destroy>;
using CairoPtr = UniqueHandle<cairo_t, cairo_destroy>;
using PangoContextPtr = UniqueHandle<PangoContext, g_object_unref>;
using PangoLayoutPtr = UniqueHandle<PangoLayout, g_object_unref>;
using FontDescriptionPtr = UniqueHandle<PangoFontDescription, pango_font_description_free>;

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
