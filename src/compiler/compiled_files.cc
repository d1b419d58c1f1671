#include "compiler/compiled_files.h"

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "model/rounding.h"

namespace sc {
namespace {

// Texts carry a 16-bit byte count.
constexpr size_t kMaxTextBytes = 65535;
// Each column of the route plan goes to the file in blocks of this size:
// large enough for few writes, small enough that both stay in the cache
// between being encoded and being copied to the file.
constexpr size_t kPlanBlock = size_t{1} << 18;

// Variant type codes of the route plan's elements.
constexpr uint16_t kVariantEmpty = 0;
constexpr uint16_t kVariantInteger = 2;
constexpr uint16_t kVariantDouble = 5;

// Little-endian writers into a byte buffer.
void PutU8(std::string& out, uint8_t v) { out.push_back(static_cast<char>(v)); }

void PutU16(std::string& out, uint16_t v) {
  out.push_back(static_cast<char>(v & 0xFF));
  out.push_back(static_cast<char>(v >> 8));
}

void PutI16(std::string& out, int16_t v) { PutU16(out, static_cast<uint16_t>(v)); }

void PutI32(std::string& out, int32_t v) {
  const uint32_t u = static_cast<uint32_t>(v);
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<char>((u >> shift) & 0xFF));
}

void PutText(std::string& out, const std::string& text) {
  const size_t n = text.size() < kMaxTextBytes ? text.size() : kMaxTextBytes;
  PutU16(out, static_cast<uint16_t>(n));
  out.append(text, 0, n);
}

void PutStation(std::string& out, const StationRecord& r) {
  PutU8(out, r.kind);
  PutI32(out, r.start);
  PutI32(out, r.end);
  PutI32(out, r.position);
  PutU8(out, r.byte_1);
  PutText(out, r.name);
  PutI16(out, r.word_1);
  PutI16(out, r.word_2);
  PutI16(out, r.word_3);
  PutI16(out, r.word_4);
  PutI16(out, r.word_5);
  PutU8(out, r.byte_2);
  PutU8(out, r.byte_3);
  PutU8(out, r.byte_4);
  PutU8(out, r.byte_5);
  PutI32(out, r.time_s);
}

void PutCell(std::string& out, const TrackCell& c) {
  PutU8(out, c.kind);
  PutI16(out, c.value_a);
  PutI16(out, c.value_b);
  PutI16(out, c.value_c);
  PutI16(out, c.value_d);
  PutU8(out, c.timing);
  PutU8(out, c.countdown);
  PutU8(out, c.mountain);
  PutU8(out, c.speed_code);
  PutU8(out, c.gradient_code);
  PutU8(out, c.adhesion);
}

constexpr size_t kEmptyBytes = 2;
constexpr size_t kIntegerBytes = 4;
constexpr size_t kDoubleBytes = 10;

// A variant element holding a double: its type code, then the 8 bytes.
inline void PutDouble(char* p, double v) {
  p[0] = static_cast<char>(kVariantDouble);
  p[1] = 0;
  const uint64_t bits = std::bit_cast<uint64_t>(v);
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(p + 2, &bits, 8);
  } else {
    for (int b = 0; b < 8; ++b) p[2 + b] = static_cast<char>((bits >> (8 * b)) & 0xFF);
  }
}

// A variant element holding a 16-bit integer: its type code, then the value.
void PutInteger(char* p, int16_t v) {
  const uint16_t u = static_cast<uint16_t>(v);
  p[0] = static_cast<char>(kVariantInteger);
  p[1] = 0;
  p[2] = static_cast<char>(u & 0xFF);
  p[3] = static_cast<char>(u >> 8);
}

// One column of the plan being encoded: a block of bytes that goes to the
// file at its place whenever it is full.
class ColumnBlock {
 public:
  explicit ColumnBlock(uint64_t offset) : block_(new char[kPlanBlock]), offset_(offset) {}
  char* at() { return block_.get() + used_; }
  size_t room() const { return kPlanBlock - used_; }
  void Advance(size_t n) { used_ += n; }
  // Empty elements, two zero bytes each, flushing as the block fills.
  Status PutEmpties(int64_t n, ReplacingFile& file) {
    while (n > 0) {
      if (room() < kEmptyBytes) {
        Status s = Flush(file);
        if (!s.ok()) return s;
      }
      const int64_t k = std::min<int64_t>(n, static_cast<int64_t>(room() / kEmptyBytes));
      std::memset(at(), 0, static_cast<size_t>(k) * kEmptyBytes);
      Advance(static_cast<size_t>(k) * kEmptyBytes);
      n -= k;
    }
    return Flush(file);
  }
  Status Flush(ReplacingFile& file) {
    if (used_ == 0) return Status::Ok();
    Status s = file.WriteAt(offset_, std::string_view(block_.get(), used_));
    offset_ += used_;
    used_ = 0;
    return s;
  }

 private:
  std::unique_ptr<char[]> block_;
  uint64_t offset_;
  size_t used_ = 0;
};

// Encodes both columns in one walk over the plan's points: each point's x
// goes to column 0's block and its y to column 1's, and the two blocks fill
// at the same pace, so they are written out together.
Status EncodePlanColumns(const RoutePlan& plan, int64_t metres, int64_t starting,
                         int64_t computed, uint64_t column_bytes, ReplacingFile& file) {
  ColumnBlock x(0);
  ColumnBlock y(column_bytes);
  for (int64_t m = 0; m < starting; ++m) {
    PutInteger(x.at(), Wrap16(RoundToInt(RoutePlan::kStartX[m])));
    PutInteger(y.at(), Wrap16(RoundToInt(RoutePlan::kStartY[m])));
    x.Advance(kIntegerBytes);
    y.Advance(kIntegerBytes);
  }
  RoutePlan::Walker walker(plan);
  for (int64_t left = computed - starting; left > 0;) {
    if (x.room() < kDoubleBytes) {
      Status s = x.Flush(file);
      if (s.ok()) s = y.Flush(file);
      if (!s.ok()) return s;
    }
    const int64_t n = std::min(left, static_cast<int64_t>(x.room() / kDoubleBytes));
    char* px = x.at();
    char* py = y.at();
    const int64_t visited = walker.Next(n, [&](double vx, double vy) {
      PutDouble(px, vx);
      PutDouble(py, vy);
      px += kDoubleBytes;
      py += kDoubleBytes;
    });
    if (visited == 0) break;  // fewer points than `filled` says: never the case
    x.Advance(static_cast<size_t>(visited) * kDoubleBytes);
    y.Advance(static_cast<size_t>(visited) * kDoubleBytes);
    left -= visited;
  }
  Status s = x.PutEmpties(metres - computed, file);
  if (s.ok()) s = y.PutEmpties(metres - computed, file);
  return s;
}

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameIgnoringCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  }
  return true;
}

}  // namespace

std::string EncodeStationFile(const StationTable& stations) {
  std::string out;
  for (const StationRecord& r : stations.slots) PutStation(out, r);
  return out;
}

std::string EncodeGridFile(const TrackGrid& grid) {
  std::string out;
  out.reserve(grid.cells().size() * 15);
  for (const TrackCell& c : grid.cells()) PutCell(out, c);
  return out;
}

Status WriteRoutePlan(const RoutePlan& plan, ReplacingFile& file) {
  const int64_t metres = int64_t{plan.last_metre()} + 1;
  if (metres <= 0) return Status::Ok();
  const int64_t computed = std::clamp<int64_t>(plan.filled(), 0, metres);
  const int64_t starting = std::min<int64_t>(computed, RoutePlan::kStartingPoints);
  const uint64_t column_bytes = static_cast<uint64_t>(starting) * kIntegerBytes +
                                static_cast<uint64_t>(computed - starting) * kDoubleBytes +
                                static_cast<uint64_t>(metres - computed) * kEmptyBytes;
  return EncodePlanColumns(plan, metres, starting, computed, column_bytes, file);
}

std::string RoutePlanFileName(const RunState& s) { return s.LineFilePart() + "_linea.dat"; }
std::string StationFileName(const RunState& s) {
  return s.LineFilePart() + "_" + s.TrainFilePart() + ".sim";
}
std::string GridFileName(const RunState& s) { return s.LineFilePart() + "_" + s.TrainFilePart() + ".dat"; }

std::vector<std::string> CompiledFilePaths(const std::string& folder, const RunState& state) {
  std::vector<std::string> paths;
  if (state.compile_flag != 0) paths.push_back(JoinPath(folder, RoutePlanFileName(state)));
  paths.push_back(JoinPath(folder, StationFileName(state)));
  paths.push_back(JoinPath(folder, GridFileName(state)));
  return paths;
}

Status CheckCompiledFileNames(Env& env, const std::string& folder, const RunState& state) {
  const std::vector<std::string> paths = CompiledFilePaths(folder, state);
  for (size_t i = 0; i < paths.size(); ++i) {
    Status s = env.CheckNewFileName(paths[i]);
    if (!s.ok()) return s;
    for (size_t j = 0; j < i; ++j) {
      if (SameIgnoringCase(paths[i], paths[j])) {
        return Status::IoError(paths[i] + ": two compiled files would have this name; "
                               "choose another line name or train number");
      }
    }
  }
  return Status::Ok();
}

Status WriteCompiledFiles(Env& env, const std::string& folder, const RunState& state,
                          const Compilation& compilation) {
  const std::string plan_path = JoinPath(folder, RoutePlanFileName(state));
  const std::string station_path = JoinPath(folder, StationFileName(state));
  const std::string grid_path = JoinPath(folder, GridFileName(state));
  if (!compilation.grid) return Status::IoError(grid_path + ": no track grid to write");
  for (const StationRecord& r : compilation.stations.slots) {
    if (r.name.size() > kMaxTextBytes) {
      return Status::IoError(station_path + ": a text is longer than 65535 bytes");
    }
  }

  // Every temporary is made here, before the second thread starts, and
  // removed here (when not committed) after it ends, so the list of
  // temporaries a signal removes only changes on this thread.
  const bool with_plan = state.compile_flag != 0 && compilation.plan;
  std::unique_ptr<ReplacingFile> plan_file, station_file, grid_file;
  Status s;
  if (with_plan) s = env.NewReplacingFile(plan_path, &plan_file);
  if (s.ok()) s = env.NewReplacingFile(station_path, &station_file);
  if (s.ok()) s = env.NewReplacingFile(grid_path, &grid_file);
  if (!s.ok()) return s;

  // Step 1: every file written and synced under its temporary name; the two
  // small files on a second thread while the plan is written and synced
  // here, since syncing is mostly waiting for the disk.
  Status small;
  {
    Alongside small_files([&] {
      small = station_file->Append(EncodeStationFile(compilation.stations));
      if (small.ok()) small = grid_file->Append(EncodeGridFile(*compilation.grid));
      if (small.ok()) small = SyncTogether({station_file.get(), grid_file.get()});
    });
    if (with_plan) {
      s = WriteRoutePlan(*compilation.plan, *plan_file);
      if (s.ok()) s = plan_file->Sync();
    }
  }
  if (!s.ok()) return s;
  if (!small.ok()) return small;

  // Step 2: the renames, plan first and grid last, so that a rename failing
  // part way never leaves a new grid beside an old plan.
  std::vector<ReplacingFile*> set;
  if (with_plan) set.push_back(plan_file.get());
  set.push_back(station_file.get());
  set.push_back(grid_file.get());
  for (ReplacingFile* file : set) {
    s = file->Commit();
    if (!s.ok()) return s;
  }
  return Status::Ok();
}

}  // namespace sc
