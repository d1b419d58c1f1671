// The train and service file: train 2001 (make-up, adhesion, speed limits,
// stations, slowdowns and signals) in the format the train and service
// reader takes back in.
// Every blank is part of the text, trailing ones included.
#include "documents/document_texts.h"

namespace sc {
namespace {

constexpr std::string_view kLines[] = {
    "TRENO RANGO B",
    "[generale]",
    "numero vetture,    10",
    "percentuale massa frenata,    130",
    "sabbia,    100",
    "orologio,    8               0             0 ",
    "[aderenze]",
    "aderenza,   0,    100",
    "[vel_limite]",
    "velocita,       0,   100",
    "velocita,     900,   130",
    "velocita,    3000,   150",
    "velocita,   20300,    65",
    "velocita,   21000,   145",
    "velocita,   31400,    95",
    "velocita,   39000,    30",
    "[stazioni]",
    "stazione,       0,  8,  400,  1, 0, 1,  4,1,1,  2,1,1,    1,   8, 1, 0, Vastro",
    "stazione,    3400, 22,  600,  0, 0, 0,  0,0,0,  4,1,1,    0,   0, 0, 0, Montanaro",
    "stazione,    9850, 12,  600,  1, 1, 0,  5,1,1,  2,1,1,   99,   8, 3, 0, Castelletto",
    "stazione,   13350, 12,  700,  1, 1, 0,  4,1,1,  2,1,1,    0,   0, 0, 0, Scalea",
    "stazione,   22200,  2,  700,  0, 1, 1,  1,1,0,  4,1,1,    0,   0, 0, 0, Bussoleno",
    "stazione,   24350, 25,  500,  0, 0, 0,  0,0,0,  0,0,0,    0,   0, 0, 0, Posto di "
    "comunicazione Barberina",
    "stazione,   34000, 12,  600,  0, 1, 1,  1,1,0,  4,1,1,   30,   8, 7, 0, Bardonecchia",
    "stazione,   35850, 28,  400,  0, 0, 0,  0,0,0,  0,0,0,   30,   8, 8, 0, Ossola",
    "stazione,   38600, 28,  400,  0, 0, 0,  0,0,0,  0,0,0,    0,   0, 0, 0, Dreo Sud",
    "stazione,   40000,  6,  700,  1, 1, 0,  1,1,0,  2,1,1,   60,  12, 0, 0, Dreo",
    "[rallentamenti]",
    "rallentamento,   16100,   100,  250, 1,  1,  10",
    "rallentamento,   26000,    40,  400, 1,  1,  80",
    "[segnali]",
    "segnale,    1450,   2, 4, 0,  0, 0,    1,  3,0,0, 0",
    "segnale,    2800,   2, 4, 1,  0, 0,    2,  2,1,0, 0",
    "segnale,    5050,   2, 4, 0,  0, 0,    0,  0,0,0, 0",
    "segnale,    6400,   2, 4, 0,  0, 0,    0,  0,0,0, 0",
    "segnale,    7750,   2, 3, 1,  0, 0,    1,  3,1,0, 0",
    "segnale,    9300,   2, 2, 3,  0, 1,    2,  2,1,0, 240",
    "segnale,   11500,   2, 3, 4,  0, 0,    1,  3,1,0, 0",
    "segnale,   12800,   2, 2, 5,  6, 0,    2,  2,1,0, 0",
    "segnale,   15050,   2, 4, 0,  0, 0,    0,  0,0,0, 0",
    "segnale,   16400,   2, 4, 0,  0, 0,    0,  0,0,0, 0",
    "segnale,   17750,   2, 4, 0,  0, 0,    0,  0,0,0, 0",
    "segnale,   19150,   2, 4, 0,  0, 0,    0,  0,0,0, 0",
    "segnale,   20450,   2, 3, 1,  0, 0,    1,  3,1,0, 0",
    "segnale,   21600,   2, 4, 1,  0, 0,    2,  2,1,0, 110",
    "segnale,   23950,   2, 4, 1,  0, 0,    0,  0,0,0, 0",
    "segnale,   25300,   2, 4, 0,  0, 0,    0,  0,0,0, 0",
    "segnale,   26650,   2, 4, 0,  0, 0,    0,  0,0,0, 0",
    "segnale,   28000,   2, 4, 0,  0, 0,    0,  0,0,0, 0",
    "segnale,   29200,   1, 4, 0,  0, 0,    0,  0,0,0, 0",
    "segnale,   30400,   2, 4, 0,  0, 0,    0,  0,0,0, 0",
    "segnale,   32250,   1, 5, 1,  0, 0,    1,  3,1,0, 228",
    "segnale,   33450,   2, 3, 1,  0, 0,    1,  2,1,0, 0",
    "segnale,   38000,   2, 3, 4,  0, 0,    1,  2,1,0, 0",
    "segnale,   39200,   2, 2, 3,  0, 0,    2,  2,1,0, 0",
    "[codici]",
    "[fine]",
    kDocumentEndMarker,
};

}  // namespace

std::span<const std::string_view> TrainServiceTable() { return kLines; }

}  // namespace sc
