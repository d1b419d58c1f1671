// The competition codes: two check sums over the scenario's identity (the
// train number in slot 86's name followed by the line name in slot 85's
// name), stored in the compiled files so the simulator can tell scenarios
// apart.
#ifndef SC_COMPILER_COMPETITION_CODES_H_
#define SC_COMPILER_COMPETITION_CODES_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "model/station_table.h"

namespace sc {

// The number of characters the codes are computed over.
inline constexpr size_t kCompetitionCodeLength = 25;

// The lower-case form of one Windows-1252 byte: A-Z, the accented capitals
// 0xC0-0xDE (not 0xD7, the multiplication sign) and the capitals 0x8A, 0x8C,
// 0x8E and 0x9F map to their small letters; every other byte is unchanged.
char LowerCase1252(char c);

// The code text: the lower case of slot 86's name followed by slot 85's name,
// then the filler "aabbccddeeffgghhiillmmnnoo", cut to its first 25 bytes.
std::string CompetitionCodeText(const StationTable& stations);

// codice_gara_st: the sum over the code text of each byte's value (0..255)
// times its 1-based position. At most 255 * 325, so it always fits.
int32_t CodiceGaraSt(const StationTable& stations);

// codice_gara_og: the plain sum of the code text's byte values (0..255). At
// most 25 * 255, so it always fits.
int16_t CodiceGaraOg(const StationTable& stations);

}  // namespace sc

#endif  // SC_COMPILER_COMPETITION_CODES_H_
