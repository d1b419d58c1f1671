// The timetable card of train 2001: category, braking figures and the table
// of speeds, kilometre points, service locations and times.
// Every blank is part of the text, trailing ones included.
#include "documents/document_texts.h"

namespace sc {
namespace {

constexpr std::string_view kLines[] = {
    "  __________________________",
    "  | REALIZZATO da Tarvesi Q.|",
    "  |    tarvesi.q@example.org|",
    "  |_________________________|          ",
    " ",
    "  ___________________                                                ______________",
    " |                   |                  SCHEDA                      |              |",
    " |   TRENO n. 2001   |                da: Vastro                    |    V160 B    |",
    " |___________________|                 a: Dreo                      |     130%     |",
    "                                                                    |______________|",
    "  ___________________                ___________________ ",
    " |  CLASSIFICAZIONE  |              |  MASSA BLOCCATA   |       ",
    " |       IR          |              |       580T        |",
    " |___________________|              |___________________|  ",
    "",
    "  ________________________________________________________________________________",
    " | Vel.| Vel.| Progr Km | No  |  Localita' di Servizio     |    Orario      | Rec |",
    " | Lim.|Marc.|          | Rs  |                            |                |     |",
    " |_____|_____|__________|_____|____________________________|________________|_____|",
    " | 100 | 100 |   0.000  |  95 |       Vastro               |         08.01  |     |",
    " | 130 | 130 |   0.900  | 110 |       KM. 0.900            |     08.02      |     |",
    " | 150 | 150 |   3.000  | 120 |  Dev. di ingr. Montanaro   |                |     |  ",
    " |     |     |   3.400  |     |       Montanaro            |     08.04      |     |",
    " |     |     |   9.850  |     |       Castelletto          | 08.06  08.07+  |     |",
    " |     |     |  13.350  |     |         Scalea             |     08.09      |     |",
    " |  65 |  65 |  20.300  |  65 |    Sbocco gall. d'arte     |                |     |",
    " | 145 | 145 |  21.000  | 120 |       KM. 21.000           |                |     |",
    " |     |     |  22.200  |     |       Bussoleno            |     08.12      |     |",
    " |     |     |  24.350  |     |  Posto di com. Barberina   |     08.14      |     | ",
    " |  95 |  95 |  31.400  |     |       KM 31.400            |                |     |",
    " |     |     |  34.000  |     |      Bardonecchia          | 08.16  08.17   |     |",
    " |     |     |  35.850  |     |     Fermata Ossola         | 08.19  08.20   |     |",
    " |     |     |  38.600  |     |     Fermata Dreo Sud       |     08.22      |     |",
    " |  30 |  30 |  39.000  |     |       KM 39.000            |                |     |",
    " |     |     |  40.000  |     |       Dreo Sud             | 08.24          |     |",
    " |_____|_____|__________|_____|____________________________|________________|_____|",
    kDocumentEndMarker,
};

}  // namespace

std::span<const std::string_view> TimetableCardTable() { return kLines; }

}  // namespace sc
