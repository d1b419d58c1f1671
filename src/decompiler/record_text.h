// The two text descriptions written from recovered records, in the layout of
// the built-in scenario's files: its sections in its order, one record a
// line, numbers in its columns, Windows-1252 with CR LF.
#ifndef SC_DECOMPILER_RECORD_TEXT_H_
#define SC_DECOMPILER_RECORD_TEXT_H_

#include <string>
#include <vector>

#include "decompiler/scenario_records.h"

namespace sc {

// The lines of the preamble, the free text ahead of "[generale]" (written
// with brackets and double quotes replaced, so that no line can be taken for
// a section or open a quoted field).
std::string PreambleText(const std::vector<std::string>& lines);

std::string LineDescriptionText(const std::string& preamble, const LineRecords& line);
std::string TrainServiceText(const std::string& preamble, const TrainRecords& train);

// A text field as the field reader gives it back: as it stands, or in
// double quotes when it holds a comma or a line end or starts or ends with a
// blank or a double quote.
std::string TextField(const std::string& text);

}  // namespace sc

#endif  // SC_DECOMPILER_RECORD_TEXT_H_
