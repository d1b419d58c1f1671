#include "compiler/format/route_plan_file.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <memory>

#include "compiler/format/byte_io.h"
#include "model/rounding.h"

namespace sc {
namespace {

// Each column of the route plan goes to the file in blocks of this size:
// large enough for few writes, small enough that both stay in the cache
// between being encoded and being copied to the file.
constexpr size_t kPlanBlock = size_t{1} << 18;

// An empty element is its type code alone: two zero bytes.
static_assert(kPlanEmpty == 0);

// A variant element holding a double: its type code, then the 8 bytes.
inline void PutDouble(char* p, double v) {
  p[0] = static_cast<char>(kPlanDouble);
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
  p[0] = static_cast<char>(kPlanInt16);
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
      if (room() < kPlanEmptyBytes) {
        Status s = Flush(file);
        if (!s.ok()) return s;
      }
      const int64_t k = std::min<int64_t>(n, static_cast<int64_t>(room() / kPlanEmptyBytes));
      std::memset(at(), 0, static_cast<size_t>(k) * kPlanEmptyBytes);
      Advance(static_cast<size_t>(k) * kPlanEmptyBytes);
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
Status EncodePlanColumns(const RoutePlan& plan, int64_t metres, int64_t starting, int64_t computed,
                         uint64_t column_bytes, ReplacingFile& file) {
  ColumnBlock x(0);
  ColumnBlock y(column_bytes);
  for (int64_t m = 0; m < starting; ++m) {
    PutInteger(x.at(), Wrap16(RoundToInt(RoutePlan::kStartX[m])));
    PutInteger(y.at(), Wrap16(RoundToInt(RoutePlan::kStartY[m])));
    x.Advance(kPlanInt16Bytes);
    y.Advance(kPlanInt16Bytes);
  }
  RoutePlan::Walker walker(plan);
  for (int64_t left = computed - starting; left > 0;) {
    if (x.room() < kPlanDoubleBytes) {
      Status s = x.Flush(file);
      if (s.ok()) s = y.Flush(file);
      if (!s.ok()) return s;
    }
    const int64_t n = std::min(left, static_cast<int64_t>(x.room() / kPlanDoubleBytes));
    char* px = x.at();
    char* py = y.at();
    const int64_t visited = walker.Next(n, [&](double vx, double vy) {
      PutDouble(px, vx);
      PutDouble(py, vy);
      px += kPlanDoubleBytes;
      py += kPlanDoubleBytes;
    });
    if (visited == 0) break;  // fewer points than `filled` says: never the case
    x.Advance(static_cast<size_t>(visited) * kPlanDoubleBytes);
    y.Advance(static_cast<size_t>(visited) * kPlanDoubleBytes);
    left -= visited;
  }
  Status s = x.PutEmpties(metres - computed, file);
  if (s.ok()) s = y.PutEmpties(metres - computed, file);
  return s;
}

Status ReadPlanElement(ByteReader& in, PlanElement* e) {
  const size_t code_offset = in.offset();
  if (!in.U16(&e->type)) return Corrupt("truncated plan element type code", code_offset);
  switch (e->type) {
    case kPlanEmpty: e->value = 0; return Status::Ok();
    case kPlanInt16: {
      int16_t v;
      if (!in.I16(&v)) return Corrupt("truncated int16 plan value", in.offset());
      e->value = v;
      return Status::Ok();
    }
    case kPlanDouble:
      if (!in.F64(&e->value)) return Corrupt("truncated double plan value", in.offset());
      return Status::Ok();
    default:
      return Corrupt("unknown plan element type code " + std::to_string(e->type), code_offset);
  }
}

}  // namespace

Status WriteRoutePlan(const RoutePlan& plan, ReplacingFile& file) {
  const int64_t metres = int64_t{plan.last_metre()} + 1;
  if (metres <= 0) return Status::Ok();
  const int64_t computed = std::clamp<int64_t>(plan.filled(), 0, metres);
  const int64_t starting = std::min<int64_t>(computed, RoutePlan::kStartingPoints);
  const uint64_t column_bytes = static_cast<uint64_t>(starting) * kPlanInt16Bytes +
                                static_cast<uint64_t>(computed - starting) * kPlanDoubleBytes +
                                static_cast<uint64_t>(metres - computed) * kPlanEmptyBytes;
  return EncodePlanColumns(plan, metres, starting, computed, column_bytes, file);
}

namespace {

// Bytes of the element whose type code starts at `p`; 0 for an unknown code.
inline size_t ElementBytes(const char* p) {
  const uint16_t code =
      static_cast<uint16_t>(static_cast<uint8_t>(p[0]) | (static_cast<uint8_t>(p[1]) << 8));
  switch (code) {
    case kPlanEmpty: return kPlanEmptyBytes;
    case kPlanInt16: return kPlanInt16Bytes;
    case kPlanDouble: return kPlanDoubleBytes;
    default: return 0;
  }
}

// The element at `p`, which Open found whole and of a known type; returns
// its bytes. Decoded in place: this runs for every metre of every plan read.
inline size_t ElementAt(const char* p, PlanElement* e) {
  const size_t n = ElementBytes(p);
  e->type = static_cast<uint16_t>(static_cast<uint8_t>(p[0]));
  if (n == kPlanDoubleBytes) {
    uint64_t bits = 0;
    if constexpr (std::endian::native == std::endian::little) {
      std::memcpy(&bits, p + 2, 8);
    } else {
      for (int b = 0; b < 8; ++b) bits |= uint64_t{static_cast<uint8_t>(p[2 + b])} << (8 * b);
    }
    e->value = std::bit_cast<double>(bits);
  } else if (n == kPlanInt16Bytes) {
    e->value = static_cast<int16_t>(
        static_cast<uint16_t>(static_cast<uint8_t>(p[2]) | (static_cast<uint8_t>(p[3]) << 8)));
  } else {
    e->value = 0;
  }
  return n;
}

// The first element that cannot be read, as reading them in turn finds it.
Status FirstCorruption(std::string_view bytes) {
  ByteReader in(bytes);
  PlanElement e;
  for (;;) {
    Status read = ReadPlanElement(in, &e);
    if (!read.ok()) return read;
  }
}

}  // namespace

Status RoutePlanReader::Open(std::string_view bytes) {
  bytes_ = bytes;
  metres_ = next_metre_ = x_offset_ = y_offset_ = second_column_ = 0;
  if (bytes.empty()) return Corrupt("empty route plan", 0);
  // One walk over the type codes alone: every element known and whole, the
  // count even. Where every kCheckpoint-th element starts is noted on the
  // way, so that the second column's start (the element at half the count)
  // is found from the nearest note instead of by a second walk.
  constexpr size_t kCheckpoint = size_t{1} << 12;
  std::vector<size_t> checkpoints;
  const char* const data = bytes.data();
  const size_t size = bytes.size();
  size_t offset = 0, count = 0;
  while (offset < size) {
    if (count % kCheckpoint == 0) checkpoints.push_back(offset);
    const size_t n = size - offset >= 2 ? ElementBytes(data + offset) : 0;
    if (n == 0 || size - offset < n) return FirstCorruption(bytes);
    offset += n;
    ++count;
  }
  if (count % 2 != 0) {
    return Corrupt("odd number of plan elements (" + std::to_string(count) +
                       "): the two columns differ in length",
                   bytes.size());
  }
  metres_ = count / 2;
  size_t y = checkpoints[metres_ / kCheckpoint];
  for (size_t i = metres_ / kCheckpoint * kCheckpoint; i < metres_; ++i)
    y += ElementBytes(data + y);
  y_offset_ = second_column_ = y;
  return Status::Ok();
}

bool RoutePlanReader::Next(PlanElement* x, PlanElement* y) {
  if (next_metre_ >= metres_) return false;
  x_offset_ += ElementAt(bytes_.data() + x_offset_, x);
  y_offset_ += ElementAt(bytes_.data() + y_offset_, y);
  ++next_metre_;
  return true;
}

Status DecodeRoutePlan(std::string_view bytes, DecodedPlan* out) {
  RoutePlanReader reader;
  Status opened = reader.Open(bytes);
  if (!opened.ok()) return opened;
  out->x.resize(reader.metres());
  out->y.resize(reader.metres());
  for (size_t m = 0; m < reader.metres(); ++m) reader.Next(&out->x[m], &out->y[m]);
  return Status::Ok();
}

const char* PlanElementTypeName(uint16_t type) {
  switch (type) {
    case kPlanEmpty: return "empty";
    case kPlanInt16: return "int16";
    case kPlanDouble: return "double";
    default: return "unknown";
  }
}

}  // namespace sc
