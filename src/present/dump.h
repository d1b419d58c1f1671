// A compiled file's content shown as text for people or as JSON for
// programs (the formatting behind `scenario-compiler dump`).
#ifndef SC_PRESENT_DUMP_H_
#define SC_PRESENT_DUMP_H_

#include <ostream>
#include <string>
#include <string_view>

#include "platform/status.h"

namespace sc {

// The three kinds of compiled file.
enum class FileKind { kPlan, kStations, kGrid };

// Decodes `bytes` as a file of `kind` and writes it to `out`.
//
// Text output:
// - grid: one line per cell with any non-zero field, giving its index, its
//   centre in metres ((index - 1) * 50; the cell covers 25 m either side),
//   its kind by number and name and every field by name;
// - stations: one line per non-empty slot; stations with every field by
//   name, signs (slots whose only content is a name) with their text, header
//   slots 81 to 86 with their fields named by meaning. Names are printed as
//   the file's own Windows-1252 bytes;
// - plan: one line per metre with x and y and their element types.
// JSON output (`json`): the same content; names converted to UTF-8, bytes
// 0x81, 0x8D, 0x8F, 0x90, 0x9D (unassigned in Windows-1252) kept as the
// code points U+0081 etc., and a double that is not finite written as null.
// The plan is streamed, so a long plan never sits in memory as text.
//
// A malformed file writes nothing and returns a corruption "<what> at byte
// offset N".
Status DumpBytes(FileKind kind, std::string_view bytes, bool json, std::ostream& out);

}  // namespace sc

#endif  // SC_PRESENT_DUMP_H_
