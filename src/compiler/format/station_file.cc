#include "compiler/format/station_file.h"

#include <cstdint>
#include <utility>

#include "compiler/format/byte_io.h"

namespace sc {
namespace {

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

// Reads one station record; a failure names the slot and field.
Status ReadStationRecord(ByteReader& in, int slot, StationRecord* r) {
  const std::string where = "station record " + std::to_string(slot);
  auto truncated = [&](const char* field) {
    return Corrupt("truncated " + where + " (field " + field + ")", in.offset());
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
    return Corrupt(where + ": name count " + std::to_string(count) +
                       " runs past the end of the file (" + std::to_string(in.remaining()) +
                       " bytes left)",
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
  return Status::Ok();
}

}  // namespace

std::string EncodeStationFile(const StationTable& stations) {
  std::string out;
  for (const StationRecord& r : stations.slots) PutStation(out, r);
  return out;
}

Status DecodeStationFile(std::string_view bytes, StationTable* out) {
  ByteReader in(bytes);
  for (int slot = 0; slot < kStationSlots; ++slot) {
    StationRecord record;
    Status read = ReadStationRecord(in, slot, &record);
    if (!read.ok()) return read;
    out->slots[static_cast<size_t>(slot)] = std::move(record);
  }
  if (in.remaining() != 0) {
    return Corrupt(std::to_string(in.remaining()) + " bytes left over after " +
                       std::to_string(kStationSlots) + " station records",
                   in.offset());
  }
  return Status::Ok();
}

}  // namespace sc
