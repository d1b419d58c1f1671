#include "commands/compiled_records.h"

#include "present/station_cell.h"

namespace sc {

CompiledRecords::CompiledRecords(const ScenarioText& line, const std::optional<ScenarioText>& train)
    : provenance_(std::make_unique<Provenance>()),
      job_(line.path, train ? train->path : std::string()) {
  PrepareCheck(line, train, job_);
  job_.compilation().provenance = provenance_.get();
  job_.Compile();
  job_.compilation().provenance = nullptr;
  const std::vector<SourceRecord>& records = provenance_->records();
  for (size_t i = 0; i < records.size(); ++i)
    by_keyword_.emplace(std::make_tuple(records[i].file, records[i].line, records[i].column), i);
}

const SourceRecord* CompiledRecords::RecordAt(const std::string& path,
                                              const FieldSpan& keyword) const {
  auto found = by_keyword_.find(std::make_tuple(path, keyword.line + 1, keyword.begin + 1));
  return found == by_keyword_.end() ? nullptr : &provenance_->records()[found->second];
}

int CompiledRecords::SlotOf(const std::string& path, const FieldSpan& keyword) const {
  const SourceRecord* r = RecordAt(path, keyword);
  return r && !r->slots.empty() ? r->slots.front() : -1;
}

int64_t CompiledRecords::FirstCellOf(const std::string& path, const FieldSpan& keyword,
                                     CellPart part) const {
  if (const SourceRecord* r = RecordAt(path, keyword)) {
    for (const CellWrite& w : r->writes) {
      if (w.part == part) return w.first;
    }
  }
  return -1;
}

namespace {

// " -> stored as H (cell N)" when the grid cell holds another value than
// the one read, else "".
std::string CellRemark(const CompiledRecords& compiled, const std::string& path,
                       const FileAnnotation& annotation, const AnnotatedRecord& record,
                       const FieldFormat& format, const std::string& written) {
  const Compilation& c = compiled.compilation();
  const int64_t cell = compiled.FirstCellOf(
      path, annotation.fields[static_cast<size_t>(record.keyword)].span, format.cell_part);
  if (cell < 0 || !c.grid || !c.grid->contains(cell)) return "";
  const int64_t held = format.in_cell(c.grid->at(cell));
  std::optional<StoredValue> read = StoreFieldValue(format, written);
  if (!read || read->stored == held) return "";
  return " -> stored as " + std::to_string(held) + " (cell " + std::to_string(cell) + ")";
}

}  // namespace

std::string DescribeCompiledField(const CompiledRecords* compiled, const std::string& path,
                                  const FileAnnotation& annotation, const AnnotatedRecord& record,
                                  size_t field) {
  const FieldFormat& format = record.format->fields[field];
  const std::string& written =
      annotation.fields[static_cast<size_t>(record.values[field])].span.text;
  std::string text = DescribeFieldValue(format, written);
  if (compiled != nullptr && format.in_cell != nullptr)
    return text + CellRemark(*compiled, path, annotation, record, format, written);
  if (compiled == nullptr || format.in_slot == nullptr) return text;
  const int slot =
      compiled->SlotOf(path, annotation.fields[static_cast<size_t>(record.keyword)].span);
  if (slot < 0) return text;
  const Compilation& c = compiled->compilation();
  const int64_t held = format.in_slot(c.stations.slots[static_cast<size_t>(slot)]);
  std::optional<StoredValue> read = StoreFieldValue(format, written);
  if (read && read->stored != held) {
    text += " -> stored as " + std::to_string(held) + " (slot " + std::to_string(slot) +
            ": a rule of the format)";
  }
  if (format.marker_cell && c.grid) {
    std::optional<int64_t> cell = StationMarkerCell(c.grid->cells(), slot);
    text += cell ? ", grid cell " + std::to_string(*cell) + " (its end marker)"
                 : ", no grid cell (a station of this kind is not marked)";
  }
  return text;
}

}  // namespace sc
