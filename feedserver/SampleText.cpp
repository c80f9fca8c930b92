#include "feedserver/SampleText.h"

#include <initializer_list>
#include <utility>

namespace pregonero::feeds {

namespace {

using Table = std::vector<std::string>;

const Table kSubjects = {
    "Vecinos de la colonia Lomas del Ciprés",
    "Regidores de San Isidro Tlalpan",
    "Investigadores de la universidad estatal",
    "Socios de la cooperativa Unión del Valle",
    "Autoridades locales",
    "Comerciantes del mercado central",
    "Estudiantes de la preparatoria número 9",
    "Los organizadores",
    "Especialistas consultados",
    "Integrantes de una asociación civil",
    "Los transportistas de la zona oriente",
    "Representantes vecinales",
};
const Table kVerbs = {
    "anuncian cambios en",  "piden más atención para",     "presentan un plan sobre",
    "debaten el futuro de", "celebran avances en",         "advierten riesgos en",
    "reciben apoyo para",   "proponen una consulta sobre", "revisan las cifras de",
};
const Table kHeadlineTails = {
    "tras meses de espera", "antes de fin de año",     "pese a la lluvia",
    "con inversión récord", "en plena temporada alta", "sin fecha definida",
};
const Table kOpeners = {
    "De acuerdo con el informe presentado este martes,",
    "Según explicaron los organizadores,",
    "En entrevista, una vocera del proyecto señaló que",
    "Durante la reunión de la mañana se acordó que",
    "Los datos más recientes muestran que",
    "A pesar de las críticas,",
    "Como ocurrió el año pasado,",
};
const Table kClauses = {
    "las obras avanzarán por etapas durante los próximos meses",
    "la participación ciudadana será decisiva para el resultado",
    "el presupuesto asignado todavía no alcanza para cubrir la demanda",
    "los horarios de atención se ampliarán a partir del lunes",
    "la información se publicará en los módulos de cada delegación",
    "el acuerdo incluye revisiones periódicas y un calendario público",
    "habrá mesas de diálogo abiertas a quien quiera opinar",
    "el número de solicitudes creció casi un treinta por ciento",
    "aún faltan detalles técnicos por resolver",
};
const Table kAsides = {
    "¿Qué sigue ahora?",
    "¡Nadie lo esperaba!",
    "La pregunta es inevitable: ¿alcanzará el tiempo?",
    "Nadie quiso adelantar un pronóstico.",
    "El tema seguirá dando de qué hablar.",
};
const Table kFirstNames = {
    "Ximena",  "Rodrigo", "Itzel",  "Mauricio", "Lucía", "Joaquín",
    "Mariana", "Tomás",   "Renata", "Emiliano", "Sofía", "Andrés",
};
const Table kSurnames = {
    "Aldama",  "Quintanar",  "Oropeza", "Villaseñor", "Cárdenas", "Zubieta",
    "Montaño", "Echeverría", "Lozoya",  "Ibarrola",   "Peñaloza", "Urquidi",
};
const Table kCaptions = {
    "Vista general de",        "Asistentes durante la jornada dedicada a", "Detalle de",
    "Voluntarios trabajan en", "Así lucía al amanecer el escenario de",    "Un momento de",
};
const Table kGalleryTitles = {
    "Imágenes de", "Así se vivió", "Recorrido visual por", "Lo mejor de", "Postales de",
};

// "a el" and "de el" read wrong in Spanish once a topic starting with "el"
// lands after the preposition.
std::string Contract(std::string text) {
    for (const auto& [from, to] :
         {std::pair<std::string, std::string>{" a el ", " al "}, {" de el ", " del "}}) {
        for (auto at = text.find(from); at != std::string::npos; at = text.find(from, at)) {
            text.replace(at, from.size(), to);
        }
    }
    return text;
}

// Braced lists are evaluated left to right, unlike the operands of a chain
// of operator+, so the random draws happen in the same order with any
// compiler and the edition stays byte for byte the same.
std::string Join(std::initializer_list<std::string> parts) {
    std::string text;
    for (const auto& part : parts) {
        text += part;
    }
    return text;
}

} // namespace

std::string SampleText::Headline(const Topics& topics) {
    switch (random_.Below(4)) {
    case 0:
        return Contract(Join({"¿Qué pasará con ", random_.Pick(topics), "?"}));
    case 1:
        return Contract(
            Join({random_.Pick(kSubjects), " ", random_.Pick(kVerbs), " ", random_.Pick(topics)}));
    case 2:
        return Contract(Join({"¡Por fin! ", random_.Pick(kSubjects), " ", random_.Pick(kVerbs), " ",
                              random_.Pick(topics)}));
    default:
        return Contract(Join({random_.Pick(kSubjects), " ", random_.Pick(kVerbs), " ",
                              random_.Pick(topics), " ", random_.Pick(kHeadlineTails)}));
    }
}

std::string SampleText::Description(const Topics& topics) {
    return Contract(Join({random_.Pick(kOpeners), " ", random_.Pick(kClauses), " en torno a ",
                          random_.Pick(topics), "."}));
}

std::string SampleText::Author() {
    if (random_.Chance(20)) {
        return "Redacción";
    }
    return Join(
        {random_.Pick(kFirstNames), " ", random_.Pick(kSurnames), " ", random_.Pick(kSurnames)});
}

std::string SampleText::Caption(const Topics& topics) {
    return Contract(Join({random_.Pick(kCaptions), " ", random_.Pick(topics), "."}));
}

std::string SampleText::GalleryTitle(const Topics& topics) {
    return Contract(Join({random_.Pick(kGalleryTitles), " ", random_.Pick(topics)}));
}

std::string SampleText::Sentence(const Topics& topics) {
    const std::string opener = random_.Pick(kOpeners);
    std::string clause = random_.Pick(kClauses);
    switch (random_.Below(5)) {
    case 0:
        clause = "<em>" + clause + "</em>";
        break;
    case 1:
        clause = "<strong>" + clause + "</strong>";
        break;
    default:
        break;
    }
    std::string sentence =
        Join({opener, " ", clause, ", sobre todo en lo que toca a ", random_.Pick(topics), "."});
    if (random_.Chance(15)) {
        sentence += " " + random_.Pick(kAsides);
    }
    return Contract(sentence);
}

std::string SampleText::Paragraph(const Topics& topics) {
    std::string paragraph = "<p>";
    const int sentences = random_.Between(1, 3);
    for (int i = 0; i < sentences; ++i) {
        if (i > 0) {
            // The break's tag goes in the clean-up; the line break after it stays.
            paragraph += random_.Chance(25) ? "<br />\n" : " ";
        }
        paragraph += Sentence(topics);
    }
    return paragraph + "</p>&#13;";
}

std::string SampleText::MarkedUpLead(const Topics& topics, const std::string& linkTarget) {
    return Join({"<p align=left><strong>", Sentence(topics), "</strong></font><br />\n<em>",
                 Sentence(topics), "</em> Más detalles en <a href=\"", linkTarget,
                 "\">esta nota</ a>.</p>&#13;"});
}

std::string SampleText::Body(const Topics& topics, const std::string& linkTarget) {
    const std::size_t target = static_cast<std::size_t>(random_.Between(700, 2400));
    std::string body = linkTarget.empty() ? "" : MarkedUpLead(topics, linkTarget);
    while (body.size() < target) {
        std::string paragraph = Paragraph(topics);
        if (body.size() + paragraph.size() > 2800 && body.size() >= 700) {
            break;
        }
        body += (body.empty() ? "" : "\n") + paragraph;
    }
    return body;
}

} // namespace pregonero::feeds
