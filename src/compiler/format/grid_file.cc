#include "compiler/format/grid_file.h"

#include "compiler/format/byte_io.h"

namespace sc {
namespace {

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

}  // namespace

std::string EncodeGridFile(const TrackGrid& grid) {
  std::string out;
  out.reserve(grid.cells().size() * kGridCellBytes);
  for (const TrackCell& c : grid.cells()) PutCell(out, c);
  return out;
}

Status DecodeGridFile(std::string_view bytes, std::vector<TrackCell>* out) {
  if (bytes.empty()) return Corrupt("empty grid file", 0);
  const size_t spare = bytes.size() % kGridCellBytes;
  if (spare != 0) {
    return Corrupt("grid file size " + std::to_string(bytes.size()) + " is not a multiple of " +
                       std::to_string(kGridCellBytes) + " (last cell has " + std::to_string(spare) +
                       " bytes)",
                   bytes.size() - spare);
  }
  ByteReader in(bytes);
  out->clear();
  out->reserve(bytes.size() / kGridCellBytes);
  while (in.remaining() != 0) out->push_back(ReadCell(in));
  return Status::Ok();
}

}  // namespace sc
