// The slowdown order handed to the driver of train 2001 (form M. 3).
// Every blank is part of the text, trailing ones included.
#include "documents/document_texts.h"

namespace sc {
namespace {

constexpr std::string_view kLines[] = {
    "                                                        __________________________",
    "                             Modulo M. 3                |REALIZZATO DA Tarvesi Q.|",
    "                           ORDINE DI RALLENTAMENTO      |   tarvesi.q@example.org|",
    " _______________________________________________________--------------------------",
    "  Linea  Vastro - Dreo",
    "",
    "  Si ordina al macchinista del treno 2001 di effettuare i seguenti rallentamenti",
    "  _______________________________________________________________________________",
    " |   |                            |Inizio dopo |          |         |            |",
    " | N.|      FRA LE STAZIONI       | il cippo   | Velocita'|Lunghezza|Prescrizioni|",
    " |   |   (o nelle Stazioni di)    |chilometrico|          |   metri | specifiche |",
    " |___|____________________________|____________|__________|_________|____________|",
    " | 1 |  Scalea - Bussoleno        |     16     |   100    |   200   |    ---     |",
    " | 2 |P.C. Barberina-Bardonecchia |     26     |    40    |  400    |     A      |",
    " |   |                            |            |          |         |            |",
    " |   |                            |            |          |         |            |",
    " |___|____________________________|____________|__________|_________|____________|",
    " ",
    "",
    "              Prescrizioni specifiche",
    " A - Da rispettare con tutto il treno (per i treni viaggiatori)",
    " B - Interessa anche la stazione di.......",
    " D - Rallentamneto N. ... e N. ...  sono contigui",
    " C - Da rispettare dalle ore ....  alle ore ..... di tutti",
    "     i giorni esclusi i seguenti:.........",
    kDocumentEndMarker,
};

}  // namespace

std::span<const std::string_view> SlowdownOrderTable() { return kLines; }

}  // namespace sc
