#include "compiler/format/grid_file.h"
#include "compiler/format/route_plan_file.h"
#include "compiler/format/station_file.h"

#include <gtest/gtest.h>

#include "test_support.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <memory>
#include <string>

#include "compiler/compiled_files.h"
#include "platform/mem_env.h"

namespace sc {
namespace {

// ---- Encoders: the exact bytes of each layout

std::string Bytes(const char* data, size_t n) { return std::string(data, n); }

TEST(CompiledFiles, EmptyStationTableIs2958ZeroBytes) {
  StationTable table;
  std::string out = EncodeStationFile(table);
  EXPECT_EQ(out, std::string(2958, '\0'));
}

TEST(CompiledFiles, StationRecordLayout) {
  StationTable table;
  StationRecord& r = table.slots[1];
  r.kind = 12;
  r.start = 9550;
  r.end = 10150;
  r.position = -2;
  r.byte_1 = 3;
  r.name = "Dr\xE8o";
  r.word_1 = 610;
  r.word_2 = -2;
  r.word_3 = 8;
  r.word_4 = 0;
  r.word_5 = 0x1234;
  r.byte_2 = 255;
  r.byte_3 = 1;
  r.byte_4 = 0;
  r.byte_5 = 7;
  r.time_s = 30600;
  const std::string expected = Bytes(
      "\x0C"              // kind
      "\x4E\x25\x00\x00"  // start 9550
      "\xA6\x27\x00\x00"  // end 10150
      "\xFE\xFF\xFF\xFF"  // position -2
      "\x03"              // byte_1
      "\x04\x00"
      "Dr\xE8o"  // name
      "\x62\x02"
      "\xFE\xFF"
      "\x08\x00"
      "\x00\x00"
      "\x34\x12"           // word_1..5
      "\xFF\x01\x00\x07"   // byte_2..5
      "\x88\x77\x00\x00",  // time_s 30600
      38);
  std::string out = EncodeStationFile(table);
  ASSERT_EQ(out.size(), 2958u + 4);
  EXPECT_EQ(out.substr(0, 34), std::string(34, '\0'));
  EXPECT_EQ(out.substr(34, 38), expected);
  EXPECT_EQ(out.substr(72), std::string(85 * 34, '\0'));
}

TEST(CompiledFiles, GridCellLayout) {
  TrackGrid grid(940);
  TrackCell& c = grid.at(1);
  c.kind = 1;
  c.value_a = 43;
  c.value_b = -1;
  c.value_c = 300;
  c.value_d = 7;
  c.timing = 101;
  c.countdown = 71;
  c.mountain = 2;
  c.speed_code = 24;
  c.gradient_code = 105;
  c.adhesion = 3;
  std::string out = EncodeGridFile(grid);
  ASSERT_EQ(out.size(), 14115u);
  EXPECT_EQ(out.substr(15, 15),
            Bytes("\x01\x2B\x00\xFF\xFF\x2C\x01\x07\x00\x65\x47\x02\x18\x69\x03", 15));
  EXPECT_EQ(out.substr(0, 15), std::string(15, '\0'));
  EXPECT_EQ(out.substr(30), std::string(14115 - 30, '\0'));
}

// Collects what is written, and can fail a write.
class RecordingFile : public ReplacingFile {
 public:
  Status Append(std::string_view bytes) override { return WriteAt(data.size(), bytes); }
  Status WriteAt(uint64_t offset, std::string_view bytes) override {
    if (fail_append) return Status::IoError("plan: disk full");
    appends.push_back(bytes.size());
    if (data.size() < offset + bytes.size()) data.resize(offset + bytes.size());
    data.replace(offset, bytes.size(), bytes);
    return Status::Ok();
  }
  Status Sync() override { return Status::Ok(); }
  Status Commit() override { return Status::Ok(); }
  std::string data;
  std::vector<size_t> appends;
  bool fail_append = false;
};

TEST(CompiledFiles, RoutePlanLayout) {
  // Metres 0 to 4; 0 and 1 are the starting points, 2 and 3 computed, 4 empty.
  // Turning by 0.5: metre 2 is (0 + (0 + 1 * 0.5), 1 + (1 - 0 * 0.5)) =
  // (0.5, 2), metre 3 is (0.5 + (0.5 + 1 * 0.5), 2 + (1 - 0.5 * 0.5)) =
  // (1.5, 2.75).
  RoutePlan plan(4);
  RecordingFile never_started;
  ASSERT_TRUE(WriteRoutePlan(plan, never_started).ok());
  // A plan never started is all empty elements.
  EXPECT_EQ(never_started.data, std::string(20, '\0'));

  plan.Start();
  plan.Turn(0.5, 2);
  RecordingFile file;
  ASSERT_TRUE(WriteRoutePlan(plan, file).ok());
  const std::string expected = Bytes(
      "\x02\x00\x00\x00"
      "\x02\x00\x00\x00"
      "\x05\x00\x00\x00\x00\x00\x00\x00\xE0\x3F"
      "\x05\x00\x00\x00\x00\x00\x00\x00\xF8\x3F"
      "\x00\x00"
      "\x02\x00\x00\x00"
      "\x02\x00\x01\x00"
      "\x05\x00\x00\x00\x00\x00\x00\x00\x00\x40"
      "\x05\x00\x00\x00\x00\x00\x00\x00\x06\x40"
      "\x00\x00",
      60);
  EXPECT_EQ(file.data, expected);
}

TEST(CompiledFiles, RoutePlanStreamsInLargeBlocks) {
  RoutePlan plan(300000);
  plan.Start();
  plan.Straight(299997);
  RecordingFile file;
  ASSERT_TRUE(WriteRoutePlan(plan, file).ok());
  // Per column: 2 starting points, 299997 doubles, 2 empty elements.
  const size_t column = 2 * 4 + 299997 * 10 + 2 * 2;
  ASSERT_EQ(file.data.size(), 2 * column);
  // Every byte written once, in large writes (6 MB in at most 30).
  size_t written = 0;
  for (size_t n : file.appends) written += n;
  EXPECT_EQ(written, file.data.size());
  EXPECT_LE(file.appends.size(), 30u);
  for (size_t n : file.appends) EXPECT_LE(n, size_t{1} << 20);
  // Column 1, metre 200000 lies beyond the first blocks: 5, then 200000.0.
  const size_t at = column + 8 + (200000 - 2) * 10;
  EXPECT_EQ(file.data.substr(at, 10), Bytes("\x05\x00\x00\x00\x00\x00\x00\x6A\x08\x41", 10));

  RecordingFile failing;
  failing.fail_append = true;
  Status s = WriteRoutePlan(plan, failing);
  EXPECT_FALSE(s.ok());
  EXPECT_EQ(s.message(), "plan: disk full");
}

// ---- Decoders

using testing::F64;
using testing::I16;
using testing::I32;
using testing::Le;
using testing::U8;
using testing::Variant;

std::string TableBytes(const StationTable& t) {
  std::string out;
  for (const StationRecord& r : t.slots) out += testing::StationRecordBytes(r);
  return out;
}

void ExpectFailsAt(const Status& s, size_t offset, const std::string& what) {
  EXPECT_TRUE(s.IsCorruption()) << s.message();
  const std::string& error = s.message();
  const std::string tail = " at byte offset " + std::to_string(offset);
  EXPECT_TRUE(error.size() >= tail.size() && error.ends_with(tail)) << error;
  EXPECT_NE(error.find(what), std::string::npos) << error;
}

TEST(DecodeGrid, ReadsEveryFieldOfEveryCellInOrder) {
  // Cell 0 empty; cell 1 with every field distinct, negative words included.
  const std::string bytes = std::string(15, '\0') + U8(12) + I16(5121) + I16(-2) + I16(300) +
                            I16(-32768) + U8(101) + U8(71) + U8(2) + U8(20) + U8(255) + U8(3);
  std::vector<TrackCell> cells;
  Status decoded = DecodeGridFile(bytes, &cells);
  ASSERT_TRUE(decoded.ok()) << decoded.message();
  ASSERT_EQ(cells.size(), 2u);
  EXPECT_EQ(cells[0], TrackCell{});
  const TrackCell expected{12, 5121, -2, 300, -32768, 101, 71, 2, 20, 255, 3};
  EXPECT_EQ(cells[1], expected);
}

StationTable SampleTable() {
  StationTable t;
  t.slots[1] = {12, -400, 10150, 9850, 7, "Vastro \xE8", -1, 2, 3, 4, -32768, 9, 13, 1, 255, 86399};
  t.slots[80] = {0, 0, 0, 0, 0, "Galleria", 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  t.slots[85].name = "Vastro - Dreo";
  t.slots[85].word_1 = 610;
  t.slots[85].time_s = -123456789;
  return t;
}

TEST(DecodeStations, ReadsAllSlotsWithNamesAndSignedFields) {
  const StationTable t = SampleTable();
  StationTable decoded;
  ASSERT_TRUE(DecodeStationFile(TableBytes(t), &decoded).ok());
  for (int slot = 0; slot < kStationSlots; ++slot) {
    EXPECT_EQ(decoded.slots[slot], t.slots[slot]) << "slot " << slot;
  }
}

TEST(DecodeStations, EmptyTableIs2958Bytes) {
  StationTable decoded;
  EXPECT_TRUE(DecodeStationFile(std::string(2958, '\0'), &decoded).ok());
  EXPECT_FALSE(DecodeStationFile(std::string(2957, '\0'), &decoded).ok());
}

TEST(DecodeRoutePlan, SplitsTheTwoColumnsAndKeepsEveryType) {
  const double minus_zero = -0.0;
  const std::string bytes =
      // column 0 (x), metres 0..3
      Variant(2, I16(0)) + Variant(2, I16(-7)) + Variant(5, F64(0.1)) + Variant(0) +
      // column 1 (y), metres 0..3
      Variant(2, I16(1)) + Variant(2, I16(32767)) + Variant(5, F64(minus_zero)) + Variant(0);
  DecodedPlan plan;
  ASSERT_TRUE(DecodeRoutePlan(bytes, &plan).ok());
  ASSERT_EQ(plan.x.size(), 4u);
  ASSERT_EQ(plan.y.size(), 4u);
  const uint16_t types[] = {kPlanInt16, kPlanInt16, kPlanDouble, kPlanEmpty};
  for (size_t m = 0; m < 4; ++m) {
    EXPECT_EQ(plan.x[m].type, types[m]) << m;
    EXPECT_EQ(plan.y[m].type, types[m]) << m;
  }
  EXPECT_EQ(plan.x[1].value, -7);
  EXPECT_EQ(std::bit_cast<uint64_t>(plan.x[2].value), std::bit_cast<uint64_t>(0.1));
  EXPECT_EQ(plan.y[0].value, 1);
  EXPECT_EQ(plan.y[1].value, 32767);
  EXPECT_TRUE(std::signbit(plan.y[2].value));
  EXPECT_EQ(plan.x[3].value, 0);
}

// Columns whose elements differ in size metre by metre, over thousands of
// metres: the second column is found where it starts, not at half the file.
TEST(DecodeRoutePlan, FindsTheSecondColumnOfALongPlanWhoseColumnsDiffer) {
  constexpr size_t kMetres = 10007;
  std::string x, y;
  for (size_t m = 0; m < kMetres; ++m) {
    x += m % 3 == 0 ? Variant(5, F64(static_cast<double>(m))) : Variant(0);
    y += m % 5 == 0 ? Variant(2, I16(static_cast<int16_t>(m % 1000))) : Variant(5, F64(-1.0 * m));
  }
  RoutePlanReader reader;
  ASSERT_TRUE(reader.Open(x + y).ok());
  EXPECT_EQ(reader.metres(), kMetres);
  EXPECT_EQ(reader.second_column(), x.size());
  DecodedPlan plan;
  ASSERT_TRUE(DecodeRoutePlan(x + y, &plan).ok());
  for (size_t m : {size_t{0}, size_t{4095}, size_t{4096}, size_t{5003}, kMetres - 1}) {
    EXPECT_EQ(plan.x[m].value, m % 3 == 0 ? static_cast<double>(m) : 0.0) << m;
    EXPECT_EQ(plan.y[m].value, m % 5 == 0 ? static_cast<double>(m % 1000) : -1.0 * m) << m;
  }
}

enum class FileKind { kGrid, kStations, kPlan };

// Decodes `bytes` as a file of `kind`.
Status Decode(FileKind kind, const std::string& bytes) {
  switch (kind) {
    case FileKind::kGrid: {
      std::vector<TrackCell> cells;
      return DecodeGridFile(bytes, &cells);
    }
    case FileKind::kStations: {
      StationTable decoded;
      return DecodeStationFile(bytes, &decoded);
    }
    case FileKind::kPlan: {
      DecodedPlan plan;
      return DecodeRoutePlan(bytes, &plan);
    }
  }
  return Status::Ok();
}

TEST(Decoders, MalformedFilesGiveTheOffsetOfTheFault) {
  const std::string good = TableBytes(SampleTable());
  // Slot 0 takes bytes 0..33; slot 1 starts at 34 and its name count sits at
  // 34 + 14 = 48.
  std::string count_past_end = good.substr(0, 48) + Le(500, 2) + "abc";
  std::string huge_count = good;
  huge_count.replace(48, 2, Le(0xFFFF, 2));
  const std::string two = Variant(2, I16(0)) + Variant(2, I16(1));  // 8 bytes
  struct Case {
    const char* label;
    FileKind kind;
    std::string bytes;
    size_t offset;
    const char* what;
  };
  const Case cases[] = {
      // The grid: sizes that are not whole cells.
      {"grid of 0 bytes", FileKind::kGrid, std::string(0, '\0'), 0, "grid"},
      {"grid of 14 bytes", FileKind::kGrid, std::string(14, '\0'), 0, "grid"},
      {"grid of 31 bytes", FileKind::kGrid, std::string(31, '\0'), 30, "grid"},
      {"grid of 44 bytes", FileKind::kGrid, std::string(44, '\0'), 30, "grid"},
      // The station table.
      {"empty", FileKind::kStations, "", 0, "station record 0 (field kind)"},
      {"cut inside slot 1 end", FileKind::kStations, good.substr(0, 34 + 7), 34 + 5,
       "station record 1 (field end)"},
      {"cut before time_s of last slot", FileKind::kStations, good.substr(0, good.size() - 2),
       good.size() - 4, "station record 86 (field time_s)"},
      {"count past end", FileKind::kStations, count_past_end, 48, "name count 500"},
      {"count 65535", FileKind::kStations, huge_count, 48, "name count 65535"},
      {"byte left over", FileKind::kStations, good + "x", good.size(), "1 bytes left over"},
      // The route plan.
      {"empty", FileKind::kPlan, "", 0, "empty route plan"},
      {"unknown code", FileKind::kPlan, two + Variant(7, F64(1)), 8,
       "unknown plan element type code 7"},
      {"code 3 is not a type", FileKind::kPlan, two + Variant(3, I32(1)), 8, "type code 3"},
      {"truncated double", FileKind::kPlan, two + Variant(5, "1234567"), 10, "truncated double"},
      {"truncated int16", FileKind::kPlan, two + Variant(2, "x"), 10, "truncated int16"},
      {"one byte of a code", FileKind::kPlan, two + "\x05", 8, "truncated plan element type code"},
      {"odd count", FileKind::kPlan, two + Variant(0), 10, "odd number of plan elements (3)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    ExpectFailsAt(Decode(c.kind, c.bytes), c.offset, c.what);
  }
}

// The writers and the decoders agree: what is written reads back unchanged.
TEST(DecodeRoundTrip, StationAndGridFilesReadBackExactly) {
  const StationTable t = SampleTable();
  StationTable stations;
  ASSERT_TRUE(DecodeStationFile(EncodeStationFile(t), &stations).ok());
  EXPECT_EQ(stations.slots, t.slots);

  TrackGrid grid(940);
  grid.at(1) = {12, 5121, -31000, 0, 0, 0, 0, 0, 20, 100, 3};
  grid.at(30) = {1, 43, 0, 0, 7, 0, 0, 2, 16, 94, 1};
  grid.at(940) = {9, -1, -1, -1, -1, 255, 255, 255, 255, 255, 255};
  std::vector<TrackCell> cells;
  ASSERT_TRUE(DecodeGridFile(EncodeGridFile(grid), &cells).ok());
  EXPECT_EQ(cells, grid.cells());
}

TEST(DecodeRoundTrip, RoutePlanReadsBackWithItsTypesAcrossWriteBlocks) {
  // Enough metres that the writer hands over more than one block.
  RoutePlan plan(120000);
  plan.Start();
  plan.Turn(0.0002, 40000);
  plan.Straight(30000);
  plan.Turn(-0.0005, 42998);
  ASSERT_EQ(plan.filled(), 113000);
  const testing::PlanColumns points = testing::PointsOf(plan);
  MemEnv env;
  std::unique_ptr<ReplacingFile> file;
  ASSERT_TRUE(env.NewReplacingFile("/p", &file).ok());
  ASSERT_TRUE(WriteRoutePlan(plan, *file).ok());
  ASSERT_TRUE(file->Commit().ok());

  DecodedPlan decoded;
  ASSERT_TRUE(DecodeRoutePlan(env.files["/p"], &decoded).ok());
  ASSERT_EQ(decoded.x.size(), 120001u);
  ASSERT_EQ(decoded.y.size(), 120001u);
  for (size_t m = 0; m < decoded.x.size(); ++m) {
    const uint16_t type = m < 2 ? kPlanInt16 : m < 113000 ? kPlanDouble : kPlanEmpty;
    const double x = type == kPlanEmpty ? 0.0 : points.x[m];
    const double y = type == kPlanEmpty ? 0.0 : points.y[m];
    ASSERT_EQ(decoded.x[m].type, type) << m;
    ASSERT_EQ(decoded.y[m].type, type) << m;
    ASSERT_EQ(std::bit_cast<uint64_t>(decoded.x[m].value), std::bit_cast<uint64_t>(x)) << m;
    ASSERT_EQ(std::bit_cast<uint64_t>(decoded.y[m].value), std::bit_cast<uint64_t>(y)) << m;
  }
}

}  // namespace
}  // namespace sc
