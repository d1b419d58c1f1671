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
// The route plan goes to the file in blocks of this size.
constexpr size_t kPlanBlock = size_t{1} << 20;

// Variant type codes of the route plan's elements.
constexpr uint16_t kVariantEmpty = 0;
constexpr uint16_t kVariantInteger = 2;
constexpr uint16_t kVariantDouble = 5;
// Metres 0 and 1 hold the 16-bit starting points.
constexpr int64_t kStartingPoints = 2;

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

// Fills a fixed block with plan elements and hands each full block to the
// file, so the plan is never held a second time in memory. Runs of elements
// are encoded straight into the block, ten or two bytes each, with no check
// per element. Each Put returns false once handing a block over has failed;
// status() then says why.
class PlanStream {
 public:
  explicit PlanStream(ReplacingFile& file) : file_(file), block_(new char[kPlanBlock]) {}

  bool PutEmpties(int64_t n) {
    while (n > 0) {
      const int64_t k = std::min(n, Room(kEmptyBytes));
      if (k == 0) {
        if (!Flush()) return false;
        continue;
      }
      // An empty element is its type code 0: two zero bytes.
      std::memset(block_.get() + used_, 0, static_cast<size_t>(k) * kEmptyBytes);
      used_ += static_cast<size_t>(k) * kEmptyBytes;
      n -= k;
    }
    return status_.ok();
  }
  bool PutInteger(int16_t v) {
    if (Room(kIntegerBytes) == 0 && !Flush()) return false;
    PutLittle(kVariantInteger, 2);
    PutLittle(static_cast<uint16_t>(v), 2);
    return true;
  }
  bool PutDoubles(const double* v, int64_t n) {
    while (n > 0) {
      const int64_t k = std::min(n, Room(kDoubleBytes));
      if (k == 0) {
        if (!Flush()) return false;
        continue;
      }
      char* p = block_.get() + used_;
      for (int64_t i = 0; i < k; ++i, p += kDoubleBytes) {
        p[0] = static_cast<char>(kVariantDouble);
        p[1] = 0;
        const uint64_t bits = std::bit_cast<uint64_t>(v[i]);
        if constexpr (std::endian::native == std::endian::little) {
          std::memcpy(p + 2, &bits, 8);
        } else {
          for (int b = 0; b < 8; ++b) p[2 + b] = static_cast<char>((bits >> (8 * b)) & 0xFF);
        }
      }
      used_ += static_cast<size_t>(k) * kDoubleBytes;
      v += k;
      n -= k;
    }
    return status_.ok();
  }
  bool Flush() {
    if (!status_.ok()) return false;
    if (used_ == 0) return true;
    status_ = file_.Append(std::string_view(block_.get(), used_));
    used_ = 0;
    return status_.ok();
  }
  const Status& status() const { return status_; }

 private:
  static constexpr int64_t kEmptyBytes = 2;
  static constexpr int64_t kIntegerBytes = 4;
  static constexpr int64_t kDoubleBytes = 10;

  // How many elements of `size` bytes still fit in the block.
  int64_t Room(int64_t size) const {
    return status_.ok() ? static_cast<int64_t>(kPlanBlock - used_) / size : 0;
  }
  void PutLittle(uint64_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) block_[used_++] = static_cast<char>((v >> (8 * i)) & 0xFF);
  }

  ReplacingFile& file_;
  std::unique_ptr<char[]> block_;
  size_t used_ = 0;
  Status status_;
};

// One column of the plan, metres 0 to the last: the starting points as
// 16-bit integers, computed metres as doubles, the rest empty.
bool WritePlanColumn(const PlanColumn& column, int64_t filled, PlanStream& out) {
  const int64_t metres = static_cast<int64_t>(column.size());
  const int64_t computed = std::clamp<int64_t>(filled, 0, metres);
  const int64_t starting = std::min(computed, kStartingPoints);
  for (int64_t m = 0; m < starting; ++m) {
    if (!out.PutInteger(Wrap16(RoundToInt(column[static_cast<size_t>(m)])))) return false;
  }
  return out.PutDoubles(column.data() + starting, computed - starting) &&
         out.PutEmpties(metres - computed);
}

// Starts the replacement of `path` and writes `bytes` into it.
Status StartReplacing(Env& env, const std::string& path, std::string_view bytes,
                      std::unique_ptr<ReplacingFile>* file) {
  Status s = env.NewReplacingFile(path, file);
  if (!s.ok()) return s;
  s = (*file)->Append(bytes);
  if (!s.ok()) return s;
  return (*file)->Sync();
}

Status StartReplacingPlan(Env& env, const std::string& path, const RoutePlan& plan,
                          std::unique_ptr<ReplacingFile>* file) {
  Status s = env.NewReplacingFile(path, file);
  if (!s.ok()) return s;
  s = WriteRoutePlan(plan, **file);
  if (!s.ok()) return s;
  return (*file)->Sync();
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
  PlanStream out(file);
  if (WritePlanColumn(plan.x, plan.filled, out) && WritePlanColumn(plan.y, plan.filled, out)) {
    out.Flush();
  }
  return out.status();
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

  // Step 1: every file written and synced under its temporary name.
  std::vector<std::unique_ptr<ReplacingFile>> set;
  if (state.compile_flag != 0 && compilation.plan) {
    Status s = StartReplacingPlan(env, plan_path, *compilation.plan, &set.emplace_back());
    if (!s.ok()) return s;
  }
  Status s = StartReplacing(env, station_path, EncodeStationFile(compilation.stations),
                            &set.emplace_back());
  if (!s.ok()) return s;
  s = StartReplacing(env, grid_path, EncodeGridFile(*compilation.grid), &set.emplace_back());
  if (!s.ok()) return s;

  // Step 2: the renames, in order.
  for (std::unique_ptr<ReplacingFile>& file : set) {
    s = file->Commit();
    if (!s.ok()) return s;
  }
  return Status::Ok();
}

}  // namespace sc
