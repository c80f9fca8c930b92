#include "nav/SectionCatalogue.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

TEST(SectionCatalogueTest, HoldsTheTwentyTwoRowsInIdOrder) {
    struct Expected {
        long id;
        ScreenKind kind;
        const char* title;
        const char* path;
        const char* cache;
    };
    const Expected expected[] = {
        {100, ScreenKind::Portada, nullptr, "/mobile/2notashome.xml", "/Home/Res/2notashome.xml"},
        {101, ScreenKind::Seccion, "MEXICO", "/mobile/mexico.xml", "/Home/Res/mexico.xml"},
        {102, ScreenKind::Seccion, "MUNDO", "/mobile/mundo.xml", "/Home/Res/mundo.xml"},
        {103, ScreenKind::Seccion, "ESTADOS", "/mobile/estados.xml", "/Home/Res/estados.xml"},
        {104, ScreenKind::Seccion, "DF", "/mobile/df.xml", "/Home/Res/df.xml"},
        {105, ScreenKind::Seccion, "ESTADO DE MEXICO", "/mobile/edomex.xml",
         "/Home/Res/edomex.xml"},
        {106, ScreenKind::Seccion, "VIALIDAD", "/mobile/notas/vialidad.xml",
         "/Home/Res/vialidad.xml"},
        {107, ScreenKind::Seccion, "CARTERA", "/mobile/finanzas.xml", "/Home/Res/finanzas.xml"},
        {108, ScreenKind::Seccion, "DEPORTES", "/mobile/deportes.xml", "/Home/Res/deportes.xml"},
        {109, ScreenKind::Seccion, "SHOWBIS", "/mobile/espectaculos.xml",
         "/Home/Res/espectaculos.xml"},
        {110, ScreenKind::Seccion, "ESTILOS", "/mobile/estilos.xml", "/Home/Res/estilos.xml"},
        {111, ScreenKind::Seccion, "TECNO", "/mobile/computo.xml", "/Home/Res/computo.xml"},
        {112, ScreenKind::Seccion, "DESTINOS", "/mobile/destinos.xml", "/Home/Res/destinos.xml"},
        {113, ScreenKind::Seccion, "LETRAS + ARTES", "/mobile/cultura.xml",
         "/Home/Res/cultura.xml"},
        {114, ScreenKind::Seccion, "AUTOPISTAS", "/mobile/autopistas.xml",
         "/Home/Res/autopistas.xml"},
        {115, ScreenKind::Seccion, "CIENCIA", "/mobile/ciencia.xml", "/Home/Res/ciencia.xml"},
        {116, ScreenKind::Seccion, "SOCIEDAD", "/mobile/sociedad.xml", "/Home/Res/sociedad.xml"},
        {117, ScreenKind::Seccion, "OPINION", "/mobile/editorial.xml", "/Home/Res/opinion.xml"},
        {118, ScreenKind::Seccion, "MxM", "/mobile/pregoneromxm.xml", "/Home/Res/mxm.xml"},
        {119, ScreenKind::Seccion, "FOTOGALERIA", "/mobile/fg.xml", "/Home/Res/fotogaleria.xml"},
        {120, ScreenKind::Fotogaleria, nullptr, nullptr, "/Home/Res/fotogaleria.xml"},
        {121, ScreenKind::Nota, nullptr, nullptr, "/Home/Res/Nota.xml"},
    };
    static_assert(sizeof(expected) / sizeof(expected[0]) == SectionCatalogue::kRowCount);
    auto text = [](const char* s) { return s == nullptr ? std::string("(none)") : std::string(s); };
    for (const auto& row : expected) {
        const CatalogueRow* found = SectionCatalogue::Find(row.id);
        ASSERT_NE(found, nullptr) << row.id;
        EXPECT_EQ(found->id, row.id);
        EXPECT_EQ(found->kind, row.kind) << row.id;
        EXPECT_EQ(text(found->title), text(row.title)) << row.id;
        EXPECT_EQ(text(found->path), text(row.path)) << row.id;
        EXPECT_EQ(text(found->cacheFile), text(row.cache)) << row.id;
    }
    // The section and the gallery it opens share one cache file, by design.
    EXPECT_EQ(SectionCatalogue::Find(119)->cacheFile, SectionCatalogue::Find(120)->cacheFile);
}

TEST(SectionCatalogueTest, IdsOutsideTheCatalogueFindNothing) {
    for (long id : {99L, 122L, -1L, 0L, LONG_MIN, LONG_MAX, 100L - 1L + LONG_MIN}) {
        EXPECT_EQ(SectionCatalogue::Find(id), nullptr) << id;
    }
}
