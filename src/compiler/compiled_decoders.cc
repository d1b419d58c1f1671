#include "compiler/compiled_decoders.h"

#include <bit>
#include <cstddef>
#include <utility>

namespace sc {
namespace {

constexpr size_t kGridCellBytes = 15;

// Reads little-endian fields from the front of a byte string and remembers
// where it is. A read that does not fit leaves the position unchanged.
class ByteReader {
 public:
  explicit ByteReader(std::string_view bytes) : bytes_(bytes) {}

  size_t offset() const { return offset_; }
  size_t remaining() const { return bytes_.size() - offset_; }

  bool U8(uint8_t* v) {
    uint64_t raw;
    if (!Raw(1, &raw)) return false;
    *v = static_cast<uint8_t>(raw);
    return true;
  }
  bool U16(uint16_t* v) {
    uint64_t raw;
    if (!Raw(2, &raw)) return false;
    *v = static_cast<uint16_t>(raw);
    return true;
  }
  bool I16(int16_t* v) {
    uint16_t u;
    if (!U16(&u)) return false;
    *v = static_cast<int16_t>(u);
    return true;
  }
  bool I32(int32_t* v) {
    uint64_t raw;
    if (!Raw(4, &raw)) return false;
    *v = static_cast<int32_t>(static_cast<uint32_t>(raw));
    return true;
  }
  bool F64(double* v) {
    uint64_t raw;
    if (!Raw(8, &raw)) return false;
    *v = std::bit_cast<double>(raw);
    return true;
  }
  bool Text(size_t n, std::string* v) {
    if (remaining() < n) return false;
    v->assign(bytes_.substr(offset_, n));
    offset_ += n;
    return true;
  }

 private:
  bool Raw(size_t width, uint64_t* v) {
    if (remaining() < width) return false;
    uint64_t r = 0;
    for (size_t i = 0; i < width; ++i) {
      r |= static_cast<uint64_t>(static_cast<uint8_t>(bytes_[offset_ + i])) << (8 * i);
    }
    *v = r;
    offset_ += width;
    return true;
  }

  std::string_view bytes_;
  size_t offset_ = 0;
};

bool Fail(std::string* error, const std::string& what, size_t offset) {
  *error = what + " at byte offset " + std::to_string(offset);
  return false;
}

// Reads one station record; on failure `error` names the slot and field.
bool ReadStationRecord(ByteReader& in, int slot, StationRecord* r, std::string* error) {
  const std::string where = "station record " + std::to_string(slot);
  auto truncated = [&](const char* field) {
    return Fail(error, "truncated " + where + " (field " + field + ")", in.offset());
  };
  if (!in.U8(&r->kind)) return truncated("kind");
  if (!in.I32(&r->start)) return truncated("start");
  if (!in.I32(&r->end)) return truncated("end");
  if (!in.I32(&r->position)) return truncated("position");
  if (!in.U8(&r->byte_1)) return truncated("byte_1");
  const size_t count_offset = in.offset();
  uint16_t count;
  if (!in.U16(&count)) return truncated("name count");
  if (!in.Text(count, &r->name)) {
    return Fail(error,
                where + ": name count " + std::to_string(count) + " runs past the end of the file (" +
                    std::to_string(in.remaining()) + " bytes left)",
                count_offset);
  }
  int16_t* words[] = {&r->word_1, &r->word_2, &r->word_3, &r->word_4, &r->word_5};
  const char* word_names[] = {"word_1", "word_2", "word_3", "word_4", "word_5"};
  for (int i = 0; i < 5; ++i) {
    if (!in.I16(words[i])) return truncated(word_names[i]);
  }
  uint8_t* bytes[] = {&r->byte_2, &r->byte_3, &r->byte_4, &r->byte_5};
  const char* byte_names[] = {"byte_2", "byte_3", "byte_4", "byte_5"};
  for (int i = 0; i < 4; ++i) {
    if (!in.U8(bytes[i])) return truncated(byte_names[i]);
  }
  if (!in.I32(&r->time_s)) return truncated("time_s");
  return true;
}

// Reads one cell; the caller has checked that 15 bytes remain.
TrackCell ReadCell(ByteReader& in) {
  TrackCell c;
  in.U8(&c.kind);
  in.I16(&c.value_a);
  in.I16(&c.value_b);
  in.I16(&c.value_c);
  in.I16(&c.value_d);
  in.U8(&c.timing);
  in.U8(&c.countdown);
  in.U8(&c.mountain);
  in.U8(&c.speed_code);
  in.U8(&c.gradient_code);
  in.U8(&c.adhesion);
  return c;
}

bool ReadPlanElement(ByteReader& in, PlanElement* e, std::string* error) {
  const size_t code_offset = in.offset();
  if (!in.U16(&e->type)) return Fail(error, "truncated plan element type code", code_offset);
  switch (e->type) {
    case kPlanEmpty:
      e->value = 0;
      return true;
    case kPlanInt16: {
      int16_t v;
      if (!in.I16(&v)) return Fail(error, "truncated int16 plan value", in.offset());
      e->value = v;
      return true;
    }
    case kPlanDouble:
      if (!in.F64(&e->value)) return Fail(error, "truncated double plan value", in.offset());
      return true;
    default:
      return Fail(error, "unknown plan element type code " + std::to_string(e->type), code_offset);
  }
}

}  // namespace

bool DecodeStationFile(std::string_view bytes, StationTable* out, std::string* error) {
  ByteReader in(bytes);
  for (int slot = 0; slot < kStationSlots; ++slot) {
    StationRecord record;
    if (!ReadStationRecord(in, slot, &record, error)) return false;
    out->slots[static_cast<size_t>(slot)] = std::move(record);
  }
  if (in.remaining() != 0) {
    return Fail(error,
                std::to_string(in.remaining()) + " bytes left over after " +
                    std::to_string(kStationSlots) + " station records",
                in.offset());
  }
  return true;
}

bool DecodeGridFile(std::string_view bytes, std::vector<TrackCell>* out, std::string* error) {
  if (bytes.empty()) return Fail(error, "empty grid file", 0);
  const size_t spare = bytes.size() % kGridCellBytes;
  if (spare != 0) {
    return Fail(error,
                "grid file size " + std::to_string(bytes.size()) + " is not a multiple of " +
                    std::to_string(kGridCellBytes) + " (last cell has " + std::to_string(spare) +
                    " bytes)",
                bytes.size() - spare);
  }
  ByteReader in(bytes);
  out->clear();
  out->reserve(bytes.size() / kGridCellBytes);
  while (in.remaining() != 0) out->push_back(ReadCell(in));
  return true;
}

bool RoutePlanReader::Open(std::string_view bytes, std::string* error) {
  bytes_ = bytes;
  metres_ = next_metre_ = x_offset_ = y_offset_ = 0;
  if (bytes.empty()) return Fail(error, "empty route plan", 0);
  // First pass: every element readable, an even count, and where the second
  // column starts (found by a second walk up to half the count).
  ByteReader in(bytes);
  size_t count = 0;
  PlanElement e;
  while (in.remaining() != 0) {
    if (!ReadPlanElement(in, &e, error)) return false;
    ++count;
  }
  if (count % 2 != 0) {
    return Fail(error,
                "odd number of plan elements (" + std::to_string(count) +
                    "): the two columns differ in length",
                bytes.size());
  }
  metres_ = count / 2;
  ByteReader half(bytes);
  for (size_t i = 0; i < metres_; ++i) ReadPlanElement(half, &e, error);
  y_offset_ = half.offset();
  return true;
}

bool RoutePlanReader::Next(PlanElement* x, PlanElement* y) {
  if (next_metre_ >= metres_) return false;
  std::string unused;
  ByteReader xs(bytes_.substr(x_offset_));
  ByteReader ys(bytes_.substr(y_offset_));
  ReadPlanElement(xs, x, &unused);  // Open checked every element
  ReadPlanElement(ys, y, &unused);
  x_offset_ += xs.offset();
  y_offset_ += ys.offset();
  ++next_metre_;
  return true;
}

bool DecodeRoutePlan(std::string_view bytes, DecodedPlan* out, std::string* error) {
  RoutePlanReader reader;
  if (!reader.Open(bytes, error)) return false;
  out->x.resize(reader.metres());
  out->y.resize(reader.metres());
  for (size_t m = 0; m < reader.metres(); ++m) reader.Next(&out->x[m], &out->y[m]);
  return true;
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
