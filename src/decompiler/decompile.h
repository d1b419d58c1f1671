// Decompiling: the three compiled files of a scenario back to its two text
// descriptions, such that compiling the texts gives the same bytes.
//
// The texts are written as an author would write them: the sections of the
// built-in scenario's files, records in position order, every field in its
// plain form (whole metres; a position at the start of its 50 m cell where
// the grid keeps only the cell). What compiling derives is not written: the
// finalisation's markers, countdown marks, mountain markers, station end
// markers, the reserved markers and the competition codes.
//
// The texts are then compiled in memory and the result compared with the
// given bytes, field by field: every place where they differ (a file that no
// text can give: hand-edited, damaged or foreign) is reported, so a text that
// compiles to other bytes is never passed off as faithful.
#ifndef SC_DECOMPILER_DECOMPILE_H_
#define SC_DECOMPILER_DECOMPILE_H_

#include <optional>
#include <string>
#include <string_view>

#include "decompiler/irreproducible.h"
#include "model/run_state.h"
#include "platform/status.h"

namespace sc {

struct CompiledScenarioFiles {
  // The route plan; nullopt for a scenario compiled without one (no curve
  // can then be recovered).
  std::optional<std::string_view> plan;
  std::string plan_name;  // the names shown in the preamble and the places
  std::string_view stations;
  std::string station_name;
  std::string_view grid;
  std::string grid_name;
};

struct DecompiledScenario {
  // The names stored in the station file (Windows-1252): compiling gives the
  // same bytes only with these as line name and train number.
  std::string line_name;
  std::string train_number;
  // The two text descriptions, Windows-1252 with CR LF.
  std::string line_text;
  std::string train_text;
  // Where compiling the texts gives other bytes than the files hold.
  IrreproduciblePlaces places;
  // The error code compiling the texts sets (0: none); the bytes are still
  // compared.
  ErrorCode compile_error = kErrNone;
  // Counts for the summary.
  int curves = 0;
  int records = 0;
};

// Decompiles the files. `program` names the program and its version for the
// preamble. A corruption ("<file>: ... at byte offset N") when a file is
// malformed and cannot be decoded at all.
Status Decompile(const CompiledScenarioFiles& files, const std::string& program,
                 DecompiledScenario* out);

}  // namespace sc

#endif  // SC_DECOMPILER_DECOMPILE_H_
