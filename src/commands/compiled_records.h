// What the compiled files hold for the records of a scenario's text
// descriptions. `explain` and the language server's hover describe a field
// through here, so both show the value stored, not one reckoned from the
// text: where a rule of the format stores another value than the one
// written (the first station's byte_4 and byte_5 are stored as 0), and the
// grid cell that stands for a station (its end marker).
#ifndef SC_COMMANDS_COMPILED_RECORDS_H_
#define SC_COMMANDS_COMPILED_RECORDS_H_

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <tuple>

#include "commands/scenario_check.h"
#include "compiler/compilation.h"
#include "compiler/record_lines.h"
#include "model/provenance.h"
#include "run/scenario_job.h"

namespace sc {

class CompiledRecords {
 public:
  // Compiles `line` with `train` in memory (no train file: an empty one),
  // recording which record wrote each cell and slot.
  CompiledRecords(const ScenarioText& line, const std::optional<ScenarioText>& train);

  // The slot the record whose keyword stands at `keyword` of the file
  // `path` filled, or -1 (not read, or it fills no slot).
  int SlotOf(const std::string& path, const FieldSpan& keyword) const;
  // The first cell whose `part` that record wrote, or -1.
  int64_t FirstCellOf(const std::string& path, const FieldSpan& keyword, CellPart part) const;

  const Compilation& compilation() const { return job_.compilation(); }

 private:
  // The record whose keyword stands at `keyword` of `path`, or null.
  const SourceRecord* RecordAt(const std::string& path, const FieldSpan& keyword) const;

  std::unique_ptr<Provenance> provenance_;
  ScenarioJob job_;
  // The first record whose keyword stands at each (file, line, column), as
  // an index into provenance_->records(): found once, so describing every
  // field of a long file stays linear.
  std::map<std::tuple<std::string, int, int>, size_t> by_keyword_;
};

// Field `field` of `record` in `annotation` (of the file `path`) for
// people: DescribeFieldValue's text, then what the compiled files hold when
// `compiled` is given and the record was compiled: a station's value as its
// slot holds it where that differs from the one read ("stored as 0"), and
// the grid cell of a station's end marker for its position.
std::string DescribeCompiledField(const CompiledRecords* compiled, const std::string& path,
                                  const FileAnnotation& annotation, const AnnotatedRecord& record,
                                  size_t field);

}  // namespace sc

#endif  // SC_COMMANDS_COMPILED_RECORDS_H_
