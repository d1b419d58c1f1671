// Provenance: which record of which input put each object and each profile
// value on the track grid. A recorder is optional: the readers and encoders
// take a pointer that is null when nobody asked (compile and the built-in
// run), and then record nothing and cost one test per write.
#ifndef SC_MODEL_PROVENANCE_H_
#define SC_MODEL_PROVENANCE_H_

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace sc {

// The independent parts of a track cell, each written by its own records.
enum class CellPart : uint8_t {
  kObject,  // kind, value_a to value_d, timing
  kCountdown,
  kMountain,
  kSpeed,
  kGradient,
  kAdhesion,
};
inline constexpr int kCellParts = 6;

// A run of cells of one part written by one record.
struct CellWrite {
  CellPart part;
  int64_t first;
  int64_t last;
};

struct SourceRecord {
  std::string file;               // the input's name as given to the reader
  int line = 0;                   // 1-based line of the record's keyword
  int column = 0;                 // 1-based column of the keyword, 0 unknown
  std::string keyword;            // the record's first field as read
  std::vector<CellWrite> writes;  // in the order written; adjacent cells merged
  std::vector<int> slots;         // station table slots it filled
};

// No record: written by the compiler itself (finalisation, header values).
inline constexpr int kNoRecord = -1;

class Provenance {
 public:
  // Starts a record; writes from now on are attributed to it. Returns its id.
  int Begin(const std::string& file, int line, const std::string& keyword, int column = 0);
  // Writes from now on are the compiler's own.
  void End() { current_ = kNoRecord; }
  int current() const { return current_; }

  void Wrote(int64_t cell, CellPart part) { WroteBy(current_, cell, part); }
  // A write on behalf of an earlier record (a profile value runs on until
  // the next record of its kind).
  void WroteBy(int record, int64_t cell, CellPart part);
  void WroteSlot(int slot);

  const std::vector<SourceRecord>& records() const { return records_; }
  // The record that last wrote `part` of `cell`, or kNoRecord.
  int WriterOf(int64_t cell, CellPart part) const;
  // The number of cells any writer has been recorded for.
  int64_t cells_seen() const { return static_cast<int64_t>(writers_.size()); }

 private:
  std::vector<SourceRecord> records_;
  std::vector<std::array<int32_t, kCellParts>> writers_;
  int current_ = kNoRecord;
};

}  // namespace sc

#endif  // SC_MODEL_PROVENANCE_H_
