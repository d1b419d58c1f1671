// Provenance: which record of which input wrote each part of each track
// cell and each station table slot, and which object a record placed in a
// cell. One recorder serves the diagnostics' notes ("cell 41 was taken here
// by the signal at 2000 m") and the viewer, explain and the language server.
// It is optional: the readers hold a pointer that is null when nobody asked
// (compile and the built-in run without diagnostics), and then record
// nothing and cost one test per record.
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

// Cells written in one go: `count` cells of `part` from `first` on, `step`
// apart (negative: walking back), in that order.
struct CellRun {
  CellPart part = CellPart::kObject;
  int64_t first = 0;
  int64_t count = 1;
  int64_t step = 1;
};

struct SourceRecord {
  std::string file;               // the input's name as given to the reader
  int line = 0;                   // 1-based line of the record's keyword
  int column = 0;                 // 1-based column of the keyword, 0 unknown
  int end_column = 0;             // 1-based column just past the keyword, 0 unknown
  std::string keyword;            // the record's first field as read
  std::vector<CellWrite> writes;  // in the order written; adjacent cells merged
  std::vector<int> slots;         // station table slots it filled
};

// An object a record placed in cells: what it is ("signal", "sign", ...)
// and its position in metres, both in the author's words.
struct PlacedObject {
  int record;
  std::string object;
  int32_t position;
};

// No record: written by the compiler itself (finalisation, header values).
inline constexpr int kNoRecord = -1;

class Provenance {
 public:
  // Starts a record; writes from now on are attributed to it. Returns its id.
  int Begin(const std::string& file, int line, const std::string& keyword, int column = 0,
            int end_column = 0);
  // Writes from now on are the compiler's own.
  void End() {
    current_ = kNoRecord;
    placing_ = -1;
  }
  int current() const { return current_; }

  // The current record's object writes from now on place `object` at
  // `position` (a keyword field may hold several records, each placing its
  // own object).
  void Placing(const std::string& object, int32_t position);

  void Wrote(int64_t cell, CellPart part) { WroteBy(current_, cell, part); }
  // A write on behalf of an earlier record (a profile value runs on until
  // the next record of its kind).
  void WroteBy(int record, int64_t cell, CellPart part);
  // Every cell of `run`, in its order, by the current record.
  void Wrote(const CellRun& run);
  void WroteSlot(int slot);

  const std::vector<SourceRecord>& records() const { return records_; }
  // The record that last wrote `part` of `cell`, or kNoRecord.
  int WriterOf(int64_t cell, CellPart part) const;
  // The object a record placed that stands in `cell`, or null when none
  // (never written, or written by the compiler itself).
  const PlacedObject* ObjectAt(int64_t cell) const;
  // The number of cells any writer has been recorded for.
  int64_t cells_seen() const { return static_cast<int64_t>(writers_.size()); }

 private:
  struct CellWriters {
    std::array<int32_t, kCellParts> records;
    int32_t object;  // index into objects_, -1 none
  };

  std::vector<SourceRecord> records_;
  std::vector<PlacedObject> objects_;
  std::vector<CellWriters> writers_;
  int current_ = kNoRecord;
  int32_t placing_ = -1;  // the current record's object being placed, -1 none
};

}  // namespace sc

#endif  // SC_MODEL_PROVENANCE_H_
