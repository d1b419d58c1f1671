#include "model/provenance.h"

#include <algorithm>

namespace sc {

int Provenance::Begin(const std::string& file, int line, const std::string& keyword, int column) {
  records_.push_back({file, line, column, keyword, {}, {}});
  current_ = static_cast<int>(records_.size()) - 1;
  return current_;
}

void Provenance::WroteBy(int record, int64_t cell, CellPart part) {
  if (cell < 0) return;
  const size_t index = static_cast<size_t>(cell);
  if (index >= writers_.size()) {
    std::array<int32_t, kCellParts> none;
    none.fill(kNoRecord);
    writers_.resize(index + 1, none);
  }
  writers_[index][static_cast<size_t>(part)] = record;
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

void Provenance::WroteSlot(int slot) {
  if (current_ < 0) return;
  records_[static_cast<size_t>(current_)].slots.push_back(slot);
}

int Provenance::WriterOf(int64_t cell, CellPart part) const {
  if (cell < 0 || cell >= cells_seen()) return kNoRecord;
  return writers_[static_cast<size_t>(cell)][static_cast<size_t>(part)];
}

}  // namespace sc
