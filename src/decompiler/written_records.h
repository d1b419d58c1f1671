// What the author wrote against what the compiled files hold for it. After
// a compile that collects diagnostics, every record of the two texts, as the
// readers walk them (record_lines), is set beside what the compiled grid and
// station table hold for it:
//
//  - a signal, slowdown or maximum-speed board is placed again, alone, on an
//    empty grid by its own encoder; every cell it writes there must hold the
//    same in the compiled grid, or the record's effect is missing or changed,
//    named with the record the decompiler recovers from that cell;
//  - a sign's and a station's text, and every station field its slot holds
//    (found through the provenance), must be held as written;
//  - a mountain range's cells must still hold its type; a speed, gradient or
//    adhesion the value it stores at its own cell.
//
// A difference is a warning at the record's field, naming the value written
// and the value held (no-effect when nothing of the record is held). A record
// that a warning or its note already names is left to that warning, and the
// differences the format defines (its rules in the audit of silent paths)
// stay silent. The compiled files are only read.
#ifndef SC_DECOMPILER_WRITTEN_RECORDS_H_
#define SC_DECOMPILER_WRITTEN_RECORDS_H_

#include "compiler/compilation.h"
#include "compiler/compile.h"
#include "compiler/diagnostic.h"

namespace sc {

// Adds the warnings for `input`, compiled into `compilation` with the
// recorder of `compilation` filled (a compile with `sink` on), to `sink`.
// Nothing when the compile built no grid.
void WarnWrittenAgainstStored(const CompileInput& input, const Compilation& compilation,
                              DiagnosticSink& sink);

}  // namespace sc

#endif  // SC_DECOMPILER_WRITTEN_RECORDS_H_
