#include "model/provenance.h"

#include <algorithm>

namespace sc {

int Provenance::Begin(const std::string& file, int line, const std::string& keyword, int column,
                      int end_column) {
  records_.push_back({file, line, column, end_column, keyword, {}, {}});
  current_ = static_cast<int>(records_.size()) - 1;
  placing_ = -1;
  return current_;
}

void Provenance::Placing(const std::string& object, int32_t position) {
  if (current_ < 0) return;
  objects_.push_back({current_, object, position});
  placing_ = static_cast<int32_t>(objects_.size()) - 1;
}

void Provenance::WroteBy(int record, int64_t cell, CellPart part) {
  if (cell < 0) return;
  const size_t index = static_cast<size_t>(cell);
  if (index >= writers_.size()) {
    CellWriters none;
    none.records.fill(kNoRecord);
    none.object = -1;
    writers_.resize(index + 1, none);
  }
  writers_[index].records[static_cast<size_t>(part)] = record;
  if (part == CellPart::kObject) {
    writers_[index].object = record == current_ ? placing_ : -1;
  }
  if (record < 0 || record >= static_cast<int>(records_.size())) return;
  std::vector<CellWrite>& writes = records_[static_cast<size_t>(record)].writes;
  if (!writes.empty()) {
    CellWrite& last = writes.back();
    // Adjacent either way: countdown marks are written walking back.
    if (last.part == part && cell >= last.first - 1 && cell <= last.last + 1) {
      last.first = std::min(last.first, cell);
      last.last = std::max(last.last, cell);
      return;
    }
  }
  writes.push_back({part, cell, cell});
}

void Provenance::Wrote(const CellRun& run) {
  for (int64_t i = 0; i < run.count; ++i) Wrote(run.first + i * run.step, run.part);
}

void Provenance::WroteSlot(int slot) {
  if (current_ < 0) return;
  records_[static_cast<size_t>(current_)].slots.push_back(slot);
}

int Provenance::WriterOf(int64_t cell, CellPart part) const {
  if (cell < 0 || cell >= cells_seen()) return kNoRecord;
  return writers_[static_cast<size_t>(cell)].records[static_cast<size_t>(part)];
}

const PlacedObject* Provenance::ObjectAt(int64_t cell) const {
  if (cell < 0 || cell >= cells_seen()) return nullptr;
  const int32_t object = writers_[static_cast<size_t>(cell)].object;
  return object < 0 ? nullptr : &objects_[static_cast<size_t>(object)];
}

}  // namespace sc
