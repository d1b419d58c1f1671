// The scenario notes for the player: the line, the train and some driving
// advice.
// Every blank is part of the text, trailing ones included.
#include "documents/document_texts.h"

namespace sc {
namespace {

constexpr std::string_view kLines[] = {
    "__________________________",
    "|Realizzato da Tarvesi Q. |",
    "|   tarvesi.q@example.org |",
    "|_________________________|",
    " ",
    "Questo \xE8 uno scenario puramente inventato di una certa difficolta'.",
    "Ho cercato di inserire per ogni stazione sequenze segnali diferenti rispettando",
    "le effettive distanze tra un segnale e l'altro.",
    "Il panorama risulta gradevole poich\xE8 ho inserito numerose gallerie. ",
    "Non essendo visibili le pendenze non ho ritenuto di inserirle.",
    "",
    "-Caratteristiche della linea:",
    "  -lunghezza 40 km",
    "  -i primi 29 km sono con blocco automatico e ripetizioni dei segnali in macchina",
    "   a 4 codici. Il resto del percorso ha blocco elettrico manuale senza ripetizione",
    "   segnali.",
    "  -Sono presenti 2 variazioni di velocita' brusche indicate con le tabelle del ",
    "   tipo 3 2 1,",
    "   dall'ultima tabella avete ancora 800 m per variare velocita'.",
    "  -L'aderenza risuta buona su tutta linea ",
    "  -Alcune stazioni sono in curva o all'uscita di gallerie (ATTENZIONE)",
    "",
    "-Caratteristiche treno ",
    "  -treno 2001",
    "    Interrogianale Rango B ",
    "    Vel Max. rispetto veicoli in composizione 160 km/h",
    "    Massa bloccata 580 t",
    "    % peso frenato 130 %",
    "  -A causa della lungheza del treno fate attenzione nelle deviate a non accelerare",
    "   troppo.",
    "  -Rispettate i 30 Km/h in ingresso nelle stazioni che vi fanno vedere giallo ",
    "   all'avviso , giallo alla protezione.",
    "  -La fermata Ossola non \xE8 munita di segnali ma ha dei cartelli indicatori",
    "  -Ricordatevi che anche se la simulazione non la prevede ancora,\xE8 in vigore da circa ",
    "   novembre velocita' d'approcio.",
    "",
    "Spero che lo scenario vi piaccia e buon divertimento , se riscontrate anormalita' ",
    "o avete domande tarvesi.q@example.org    ",
    "",
    "",
    " ",
    kDocumentEndMarker,
};

}  // namespace

std::span<const std::string_view> NotesTable() { return kLines; }

}  // namespace sc
