#include "maximum_route.h"

#include <cstdint>

namespace sc::testing {

std::string MaximumRouteLine() {
  std::string text =
      "[generale]\r\nlunghezza percorso, 1000000\r\n"
      "ripetizione segnali 9 codici, 800, 990000\r\n[curve]\r\n";
  for (int32_t start = 800, n = 0; start + 600 < 1000000; start += 1000, ++n) {
    text += std::string(n % 2 == 0 ? "curvad" : "curvas") + std::to_string(1 + n % 6) + ", " +
            std::to_string(start) + ", 600\r\n";
  }
  for (int32_t at = 5000; at < 1000000; at += 5000)
    text += "pendenza, " + std::to_string(at) + ", " + std::to_string(at / 5000 % 40 - 20) + "\r\n";
  for (int32_t at = 10000; at < 1000000; at += 20000) {
    text += "montagna, " + std::to_string(at) + ", " + std::to_string(at + 3000) + ", " +
            std::to_string(at / 20000 % 2 == 0 ? 12 : 4) + "\r\n";
  }
  for (int32_t at = 25150; at < 1000000; at += 50000)
    text += "indicatori_vmax, " + std::to_string(at) + ", 120, 130, 140, 1, 100, 110, 120, 1\r\n";
  for (int32_t at = 30100; at < 1000000; at += 100000)
    text += "cartello_indicatore, " + std::to_string(at) + ", (GALLERIA)(" + std::to_string(at) +
            ")\r\n";
  return text + "[fine]\r\n";
}

std::string MaximumRouteTrain() {
  std::string text = "[generale]\r\nnumero vetture, 12\r\nsabbia, 90\r\norologio, 6, 30, 0\r\n";
  for (int32_t at = 0; at < 1000000; at += 10000)
    text += "velocita, " + std::to_string(at) + ", " + std::to_string(60 + at / 10000 % 10 * 10) +
            "\r\n";
  text += "aderenza, 0, 100\r\naderenza, 500000, 80\r\n";
  for (int32_t at = 40000; at < 1000000; at += 40000) {
    text += "stazione, " + std::to_string(at) + ", 12, 600, 1, 1, 0, 4,1,1, 2,1,1, 0, " +
            std::to_string(at / 40000 % 24) + ", 0, 0, Stazione " + std::to_string(at) + "\r\n";
  }
  for (int32_t at = 3000; at < 1000000; at += 3000) {
    if (at % 40000 > 36000) continue;  // clear of the stations
    text += "segnale, " + std::to_string(at) + ", 2, 4, 1, 0, 0, 1, 3, 1, 0, 0\r\n";
  }
  for (int32_t at = 71500; at < 1000000; at += 100000)
    text += "rallentamento, " + std::to_string(at) + ", 60, 400, 1, 1, 10\r\n";
  return text + "[fine]\r\n";
}

}  // namespace sc::testing
