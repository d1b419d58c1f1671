// The station file, "<line>_<train>.sim": the 87 station records in slot
// order, little-endian, no header. A record is its kind (1 byte), start, end
// and position (4 bytes each), byte_1, the name (a 16-bit byte count, then
// the bytes), word_1 to word_5 (2 bytes each), byte_2 to byte_5 and time_s
// (4 bytes).
#ifndef SC_COMPILER_FORMAT_STATION_FILE_H_
#define SC_COMPILER_FORMAT_STATION_FILE_H_

#include <cstddef>
#include <string>
#include <string_view>

#include "model/station_table.h"
#include "platform/status.h"

namespace sc {

// The file's bytes. A longer text is cut at kMaxTextBytes; the writer of
// the compiled files refuses such a table first.
std::string EncodeStationFile(const StationTable& stations);

// The 87 station records in slot order. The file must hold exactly 87
// records: a short record, a name whose count runs past the end, or bytes
// left after slot 86 are corruptions whose message ends "at byte offset N".
Status DecodeStationFile(std::string_view bytes, StationTable* out);

}  // namespace sc

#endif  // SC_COMPILER_FORMAT_STATION_FILE_H_
