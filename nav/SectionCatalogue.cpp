#include "nav/SectionCatalogue.h"

namespace {

// Cache paths are constant strings whose pointers the screens keep.
char kPortada[] = "/Home/Res/2notashome.xml";
char kMexico[] = "/Home/Res/mexico.xml";
char kMundo[] = "/Home/Res/mundo.xml";
char kEstados[] = "/Home/Res/estados.xml";
char kDf[] = "/Home/Res/df.xml";
char kEdomex[] = "/Home/Res/edomex.xml";
char kVialidad[] = "/Home/Res/vialidad.xml";
char kFinanzas[] = "/Home/Res/finanzas.xml";
char kDeportes[] = "/Home/Res/deportes.xml";
char kEspectaculos[] = "/Home/Res/espectaculos.xml";
char kEstilos[] = "/Home/Res/estilos.xml";
char kComputo[] = "/Home/Res/computo.xml";
char kDestinos[] = "/Home/Res/destinos.xml";
char kCultura[] = "/Home/Res/cultura.xml";
char kAutopistas[] = "/Home/Res/autopistas.xml";
char kCiencia[] = "/Home/Res/ciencia.xml";
char kSociedad[] = "/Home/Res/sociedad.xml";
char kOpinion[] = "/Home/Res/opinion.xml";
char kMxm[] = "/Home/Res/mxm.xml";
char kFotogaleria[] = "/Home/Res/fotogaleria.xml";
char kNota[] = "/Home/Res/Nota.xml";

const CatalogueRow kRows[SectionCatalogue::kRowCount] = {
    {100, ScreenKind::Portada, nullptr, "/mobile/2notashome.xml", kPortada},
    {101, ScreenKind::Seccion, "MEXICO", "/mobile/mexico.xml", kMexico},
    {102, ScreenKind::Seccion, "MUNDO", "/mobile/mundo.xml", kMundo},
    {103, ScreenKind::Seccion, "ESTADOS", "/mobile/estados.xml", kEstados},
    {104, ScreenKind::Seccion, "DF", "/mobile/df.xml", kDf},
    {105, ScreenKind::Seccion, "ESTADO DE MEXICO", "/mobile/edomex.xml", kEdomex},
    {106, ScreenKind::Seccion, "VIALIDAD", "/mobile/notas/vialidad.xml", kVialidad},
    {107, ScreenKind::Seccion, "CARTERA", "/mobile/finanzas.xml", kFinanzas},
    {108, ScreenKind::Seccion, "DEPORTES", "/mobile/deportes.xml", kDeportes},
    {109, ScreenKind::Seccion, "SHOWBIS", "/mobile/espectaculos.xml", kEspectaculos},
    {110, ScreenKind::Seccion, "ESTILOS", "/mobile/estilos.xml", kEstilos},
    {111, ScreenKind::Seccion, "TECNO", "/mobile/computo.xml", kComputo},
    {112, ScreenKind::Seccion, "DESTINOS", "/mobile/destinos.xml", kDestinos},
    {113, ScreenKind::Seccion, "LETRAS + ARTES", "/mobile/cultura.xml", kCultura},
    {114, ScreenKind::Seccion, "AUTOPISTAS", "/mobile/autopistas.xml", kAutopistas},
    {115, ScreenKind::Seccion, "CIENCIA", "/mobile/ciencia.xml", kCiencia},
    {116, ScreenKind::Seccion, "SOCIEDAD", "/mobile/sociedad.xml", kSociedad},
    {117, ScreenKind::Seccion, "OPINION", "/mobile/editorial.xml", kOpinion},
    {118, ScreenKind::Seccion, "MxM", "/mobile/pregoneromxm.xml", kMxm},
    {119, ScreenKind::Seccion, "FOTOGALERIA", "/mobile/fg.xml", kFotogaleria},
    {120, ScreenKind::Fotogaleria, nullptr, nullptr, kFotogaleria},
    {121, ScreenKind::Nota, nullptr, nullptr, kNota},
};

} // namespace

const CatalogueRow* SectionCatalogue::Find(long id) {
    // An unsigned difference: ids below 100 wrap round to huge values.
    unsigned long offset = static_cast<unsigned long>(id) - static_cast<unsigned long>(kFirstId);
    if (offset > static_cast<unsigned long>(kLastId - kFirstId)) {
        return nullptr;
    }
    return &kRows[offset];
}

const CatalogueRow* SectionCatalogue::Rows() {
    return kRows;
}
