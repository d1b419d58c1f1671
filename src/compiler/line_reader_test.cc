#include "compiler/line_reader.h"

#include <gtest/gtest.h>

#include "test_support.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <string>

namespace sc {
namespace {

struct Outcome {
  LineReadResult result = LineReadResult::kStopped;
  RunState state;
  Compilation c;
};

Outcome Read(const std::string& text, int32_t compile_flag = 1) {
  Outcome out;
  out.state.line_name = "Linea";
  out.state.train_number = "77";
  out.state.compile_flag = compile_flag;
  out.result = ReadLineDescription(text, "linea.txt", out.state, out.c);
  return out;
}

// A whole file: a comment, "[generale]", the route length (line 3), the
// rest of the header (from line 4), "[curve]", the body and the closing
// lines. With no further header lines the body starts on line 5.
std::string File(const std::string& header, const std::string& body, int32_t length = 40000) {
  return "-- linea di prova\r\n[generale]\r\nlunghezza percorso,    " + std::to_string(length) +
         "\r\n" + header + "[curve]\r\n" + body + "[fine]\r\nriferimento fine del file\r\n";
}

std::string Body(const std::string& body) { return File("", body); }

void ExpectCode(const Outcome& o, LineReadResult result, int32_t code, int line) {
  EXPECT_EQ(o.result, result);
  EXPECT_EQ(o.state.error_code, code);
  EXPECT_EQ(o.state.error_file, code == 0 ? "" : "linea.txt");
  EXPECT_EQ(o.state.error_line, line);
}

TEST(LineReader, RouteLengthSizesGridAndPlan) {
  struct Case {
    int32_t length;
    int32_t grid_upper;
    int32_t plan_last;
  } cases[] = {{40000, 940, 47000}, {1000000, 20140, 1007000}, {0, 140, 7000}};
  for (const Case& k : cases) {
    Outcome o = Read(File("", "", k.length));
    SCOPED_TRACE(k.length);
    ExpectCode(o, LineReadResult::kContinue, 0, 0);
    ASSERT_TRUE(o.c.grid && o.c.plan);
    EXPECT_EQ(o.c.grid->upper(), k.grid_upper);
    EXPECT_EQ(o.c.plan->last_metre(), k.plan_last);
    // The plan tail runs straight along +y and leaves the last two metres empty.
    EXPECT_EQ(o.c.plan->filled(), k.plan_last - 1);
    const testing::PlanColumns points = testing::PointsOf(*o.c.plan);
    EXPECT_EQ(points.y[static_cast<size_t>(k.plan_last - 2)], k.plan_last - 2);
    EXPECT_EQ(points.x[static_cast<size_t>(k.plan_last - 2)], 0.0);
    EXPECT_EQ(o.c.stations.slots[kSlotTrainRoute].end, k.length);
    EXPECT_EQ(o.c.stations.slots[kSlotBackgrounds].name, "Linea");
    EXPECT_EQ(o.c.stations.slots[kSlotRepetition].name, "77");
  }
}

TEST(LineReader, RouteTooLongLeavesNoGrid) {
  Outcome o = Read(File("", "", 1000001));
  ExpectCode(o, LineReadResult::kStopped, kErrRouteTooLong, 3);
  EXPECT_FALSE(o.c.grid);
  EXPECT_FALSE(o.c.plan);
}

// The grid and plan exist from the first route length on: a later length
// that fails keeps them, so the compiled files are still written.
TEST(LineReader, FailingLaterRouteLengthKeepsTheFirstGrid) {
  struct Case {
    const char* name;
    const char* second_length;
    LineReadResult result;
    int32_t code;
  } cases[] = {
      {"too long", "1000001", LineReadResult::kStopped, kErrRouteTooLong},
      {"negative", "-8000", LineReadResult::kFailed, kErrReadFailure},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    Outcome o = Read(std::string("[generale]\r\nlunghezza percorso, 1000\r\nlunghezza percorso, ") +
                     k.second_length + "\r\n[x]\r\nz\r\n");
    ExpectCode(o, k.result, k.code, 3);
    ASSERT_TRUE(o.c.grid);
    EXPECT_EQ(o.c.grid->upper(), 160);
    ASSERT_TRUE(o.c.plan);
    EXPECT_EQ(o.c.plan->last_metre(), 8000);
  }
}

TEST(LineReader, NoPlanWhenNotRequested) {
  // The curve's numbers and a digitless curve are skipped as stray fields.
  Outcome o = Read(Body("curvas3,  800,  700\r\ncurva, 1, 2\r\n"), 0);
  ExpectCode(o, LineReadResult::kContinue, 0, 0);
  EXPECT_TRUE(o.c.grid);
  EXPECT_FALSE(o.c.plan);
}

TEST(LineReader, CurveNumbersAreStrayFieldsWithoutPlan) {
  // Without a plan the curve reads nothing, so the field after its keyword
  // is the next keyword field; with a plan that field must be a number.
  const std::string body = Body("curvas3, pendenza, 1000, 5\r\n");
  Outcome o = Read(body, 0);
  ExpectCode(o, LineReadResult::kContinue, 0, 0);
  EXPECT_EQ(o.c.grid->at(19).gradient_code, 100);
  EXPECT_EQ(o.c.grid->at(20).gradient_code, 105);
  o = Read(body, 1);
  ExpectCode(o, LineReadResult::kFailed, kErrReadFailure, 5);
}

TEST(LineReader, CurveRangeIsTestedBeforeItsRadius) {
  // A digitless curve beyond the grid ends the body with code 15, not 103.
  Outcome o = Read(Body("curva, 46901, 10\r\n"));
  ExpectCode(o, LineReadResult::kContinue, kErrBeyondGrid, 5);
  EXPECT_EQ(o.state.error_position, 46901);
  EXPECT_EQ(o.c.plan->filled(), 46999);
}

// A header record whose last number cannot be read keeps the numbers read
// before it in its slot: the files are still written after the failure.
TEST(LineReader, AFailedHeaderReadKeepsTheFieldsReadBeforeIt) {
  Outcome km = Read(File("progressiva chilometrica uno, 52, 100, 1x\r\n", ""));
  ExpectCode(km, LineReadResult::kFailed, kErrReadFailure, 4);
  EXPECT_EQ(km.c.stations.slots[kSlotKmRefUno].start, 52);
  EXPECT_EQ(km.c.stations.slots[kSlotKmRefUno].end, 100);
  Outcome rep = Read(File("ripetizione segnali 4 codici, 800, x\r\n", ""));
  ExpectCode(rep, LineReadResult::kFailed, kErrReadFailure, 4);
  EXPECT_EQ(rep.c.stations.slots[kSlotRepetition].start, 800);
}

TEST(LineReader, MissingGeneralSection) {
  for (const char* text : {"a\r\nb\r\n", "commento\r\n[Generale]", "  "}) {
    SCOPED_TRACE(text);
    Outcome o = Read(text);
    EXPECT_EQ(o.result, LineReadResult::kStopped);
    EXPECT_EQ(o.state.error_code, kErrNoGeneralSection);
    EXPECT_EQ(o.state.error_file, "linea.txt");
    EXPECT_FALSE(o.c.grid);
  }
}

TEST(LineReader, EmptyFileIsAReadFailure) {
  // The search for "[generale]" reads before it tests for the end.
  Outcome o = Read("");
  ExpectCode(o, LineReadResult::kFailed, kErrReadFailure, 1);
  EXPECT_FALSE(o.c.grid);
}

TEST(LineReader, HeaderEndsAtBracketedFieldAfterItsRecords) {
  // Ten dashed fields are skipped; the eleventh is tested as it is. A
  // bracketed field that begins with a dash, leading blanks aside, does not
  // end the block, so the route length after it is still read. One whose
  // dash is elsewhere does end it, and the body then has no grid.
  const std::string skipped = "-a\r\n-a\r\n-a\r\n-a\r\n-a\r\n-a\r\n-a\r\n-a\r\n-a\r\n-a\r\n";
  struct Case {
    const char* eleventh;
    bool ends_header;
  } cases[] = {{"-[x]", false}, {"\"  -[x]\"", false}, {"\"\t-[x]\"", false}, {"a-[x]", true}};
  for (const Case& k : cases) {
    SCOPED_TRACE(k.eleventh);
    Outcome o = Read("[generale]\r\n" + skipped + k.eleventh +
                     "\r\nlunghezza percorso, 1000\r\n[curve]\r\npendenza, 100, 7\r\nend\r\n");
    if (k.ends_header) {
      ExpectCode(o, LineReadResult::kFailed, kErrReadFailure, 15);
      EXPECT_FALSE(o.c.grid);
    } else {
      ExpectCode(o, LineReadResult::kContinue, 0, 0);
      ASSERT_TRUE(o.c.grid);
      EXPECT_EQ(o.c.grid->at(2).gradient_code, 107);
    }
  }
  // The field that ends the block is first offered to the header records.
  Outcome o = Read("[generale]\r\n[lunghezza percorso], 1000\r\npendenza, 100, 7\r\nend\r\n");
  ExpectCode(o, LineReadResult::kContinue, 0, 0);
  ASSERT_TRUE(o.c.grid);
  EXPECT_EQ(o.c.grid->upper(), 160);
  EXPECT_EQ(o.c.grid->at(2).gradient_code, 107);
}

TEST(LineReader, SignalRepetition) {
  struct Case {
    const char* line;
    int32_t code;
    int32_t first, last, codes;
  } cases[] = {
      {"ripetizione segnali 4 codici,    800,    29000", 0, 800, 29000, 4},
      {"ripetizione segnali 9 codici,    800,    0", 0, 800, 0, 0},
      {"ripetizione segnali 9 codici,    -50,    100", 0, -50, 100, 9},
      {"ripetizione segnali 4 codici,    825,    29000", kErrRepetitionFirst, 825, 29000, 0},
      {"ripetizione segnali 4 codici,    800,    29010", kErrRepetitionLast, 800, 29010, 0},
      {"ripetizione segnali 6 codici,    800,    29000", kErrRepetitionCodes, 800, 29000, 0},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.line);
    Outcome o = Read(File(std::string(k.line) + "\r\n", ""));
    ExpectCode(o, k.code == 0 ? LineReadResult::kContinue : LineReadResult::kStopped, k.code,
               k.code == 0 ? 0 : 4);
    const StationRecord& rep = o.c.stations.slots[kSlotRepetition];
    EXPECT_EQ(rep.start, k.first);
    EXPECT_EQ(rep.end, k.last);
    EXPECT_EQ(rep.position, k.codes);
  }
}

TEST(LineReader, HeaderKeywords) {
  Outcome o = Read(
      "[generale]\r\n"
      "LUNGHEZZA PERCORSO,    40000\r\n"
      "Progressiva chilometrica due,    9000,    0,    0\r\n"
      "progressiva chilometrica uno,    1000,    250,    1\r\n"
      "sfondo uno,    1\r\n"
      "sfondo due,    12000\r\n"
      "sfondo tre,    30000\r\n"
      "[curve]\r\n[fine]\r\nriferimento fine del file\r\n");
  ExpectCode(o, LineReadResult::kContinue, 0, 0);
  ASSERT_TRUE(o.c.grid);
  EXPECT_EQ(o.c.grid->upper(), 940);
  // The capitalised reference is not one, so "uno" is the only reference:
  // it is ordered first and, its third value being 1, gets 100 added.
  const auto& s = o.c.stations.slots;
  EXPECT_EQ(s[kSlotKmRefTre].start, 1000);
  EXPECT_EQ(s[kSlotKmRefTre].end, 350);
  EXPECT_EQ(s[kSlotKmRefTre].position, 1);
  for (int slot : {kSlotKmRefDue, kSlotKmRefUno}) {
    EXPECT_EQ(s[slot].start, 0);
    EXPECT_EQ(s[slot].end, 0);
  }
  EXPECT_EQ(s[kSlotBackgrounds].start, 1);
  EXPECT_EQ(s[kSlotBackgrounds].position, 12000);
  EXPECT_EQ(s[kSlotBackgrounds].end, 30000);
}

TEST(LineReader, DashedFieldsAreSkipped) {
  // Up to ten dashed fields in the header and two in the body are skipped,
  // so the records after them are read.
  Outcome o = Read(
      "[generale]\r\n-a\r\n-b\r\n-c\r\nlunghezza percorso, 1000\r\n[curve]\r\n"
      "-x\r\n-y\r\npendenza, 100, 7\r\n[fine]\r\nend\r\n");
  ExpectCode(o, LineReadResult::kContinue, 0, 0);
  ASSERT_TRUE(o.c.grid);
  EXPECT_EQ(o.c.grid->at(2).gradient_code, 107);
  // In the header the skipping has no end-of-file test: reading on past the
  // end is a read failure.
  o = Read("[generale]\r\n-a\r\n-b\r\n");
  ExpectCode(o, LineReadResult::kFailed, kErrReadFailure, 4);
}

TEST(LineReader, FirstCurveExample) {
  Outcome right = Read(Body("curvad2,  2400,  800\r\n"));
  Outcome left = Read(Body("curvas2,  2400,  800\r\n"));
  ExpectCode(right, LineReadResult::kContinue, 0, 0);
  ExpectCode(left, LineReadResult::kContinue, 0, 0);
  const testing::PlanColumns r = testing::PointsOf(*right.c.plan);
  const testing::PlanColumns l = testing::PointsOf(*left.c.plan);
  for (size_t m : {0, 1, 2, 100, 2400}) {
    EXPECT_EQ(r.x[m], 0.0) << m;
    EXPECT_EQ(r.y[m], static_cast<double>(m)) << m;
  }
  // The first turning metre: x = 0 + (0 + 1 * 0.0002), y = 2400 + (1 - 0).
  EXPECT_EQ(r.x[2401], 0.0002);
  EXPECT_EQ(r.y[2401], 2401.0);
  EXPECT_GT(r.x[3200], r.x[3199]);
  // After 800 m at 0.0002 per metre the heading has turned 0.16 rad right,
  // and the plan's tail carries it on straight.
  double dx = r.x[3200] - r.x[3199];
  double dy = r.y[3200] - r.y[3199];
  EXPECT_NEAR(std::atan2(dx, dy), 0.16, 1e-4);
  EXPECT_EQ(r.x[3201], r.x[3200] + dx);
  // A left curve is the exact mirror image.
  for (size_t m : {2401, 2402, 3000, 3200, 20000, 46998}) {
    EXPECT_EQ(l.x[m], -r.x[m]) << m;
    EXPECT_EQ(std::bit_cast<uint64_t>(l.y[m]), std::bit_cast<uint64_t>(r.y[m])) << m;
  }
}

TEST(LineReader, CurveStops) {
  struct Case {
    const char* name;
    std::string text;
    int line;
    int64_t filled;
  } cases[] = {
      // No radius digit: nothing is drawn.
      {"no digit", Body("curvas3, 100, 100\r\ncurva,  2400,  800\r\n"), 6, 201},
      // Stepping past the plan's last metre (8000 on a 1000 m line).
      {"past plan", File("", "curvad1, 5000, 5000\r\n", 1000), 5, 8001},
      // The cursor may not pass metre 1000000, even when the curve ends there.
      {"past limit", File("", "curvad1, 999000, 1000\r\n", 1000000), 5, 1000001},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    Outcome o = Read(k.text);
    ExpectCode(o, LineReadResult::kStopped, kErrCurve, k.line);
    ASSERT_TRUE(o.c.plan);
    EXPECT_EQ(o.c.plan->filled(), k.filled);
  }
  Outcome o = Read(File("", "curvad1, 999000, 999\r\n", 1000000));
  ExpectCode(o, LineReadResult::kContinue, 0, 0);
}

TEST(LineReader, GradientProfile) {
  Outcome o = Read(Body("pendenza, 1000, 5\r\n"));
  ExpectCode(o, LineReadResult::kContinue, 0, 0);
  const TrackGrid& g = *o.c.grid;
  for (int i = 0; i <= 940; ++i) {
    uint8_t expected = i < 20 ? 100 : i <= 937 ? 105 : 0;
    ASSERT_EQ(g.at(i).gradient_code, expected) << i;
  }
  // Values wrap to a byte; each gradient runs to the next record's position.
  o = Read(Body("pendenza, 100, -3\r\npendenza, 200, 200\r\n"));
  EXPECT_EQ(o.c.grid->at(1).gradient_code, 100);
  EXPECT_EQ(o.c.grid->at(2).gradient_code, 97);
  EXPECT_EQ(o.c.grid->at(3).gradient_code, 97);
  EXPECT_EQ(o.c.grid->at(4).gradient_code, 44);
  EXPECT_EQ(o.c.grid->at(937).gradient_code, 44);
}

TEST(LineReader, GradientFillStopsAtGridEnd) {
  // Each record writes at least one cell; 150 of them on a 141-cell grid
  // would run past its end.
  std::string body;
  for (int i = 0; i < 150; ++i) body += "pendenza, 50, 1\r\n";
  Outcome o = Read(File("", body, 0));
  ExpectCode(o, LineReadResult::kContinue, 0, 0);
  EXPECT_EQ(o.c.grid->at(140).gradient_code, 101);
}

TEST(LineReader, Signs) {
  Outcome o =
      Read(Body("cartello_indicatore,  1100,   (GALLERIA   )(DELL'ANGELO)\r\n"
                "cartello_indicatore,  2000,   \"STAZIONE, \xC8\"\r\n"));
  ExpectCode(o, LineReadResult::kContinue, 0, 0);
  const TrackCell& cell = o.c.grid->at(23);
  EXPECT_EQ(cell.kind, kKindSign);
  EXPECT_EQ(cell.value_a, 80);
  EXPECT_EQ(o.c.grid->at(41).value_a, 79);
  EXPECT_EQ(o.c.stations.slots[80].name, "(GALLERIA   )(DELL'ANGELO)");
  EXPECT_EQ(o.c.stations.slots[79].name, "STAZIONE, \xC8");
  EXPECT_EQ(o.c.next_sign_slot, 78);
}

TEST(LineReader, SignOnTakenCell) {
  Outcome o =
      Read(Body("indicatori_vmax,  1100,  120,  130,  140,  0,  115,  125,  130,  0\r\n"
                "cartello_indicatore,  1110,   TESTO\r\n"
                "cartello_indicatore,  3000,   MAI\r\n"));
  ExpectCode(o, LineReadResult::kStopped, kErrSignCellTaken, 6);
  EXPECT_EQ(o.state.error_position, 1110);
  EXPECT_EQ(o.c.grid->at(23).kind, kKindMaxSpeedBoard);
  EXPECT_EQ(o.c.grid->at(61).kind, kKindFree);
  // A board on a sign's cell stops with the encoder's code and the position.
  o =
      Read(Body("cartello_indicatore,  1100,   TESTO\r\n"
                "indicatori_vmax,  1100,  120,  130,  140,  0,  115,  125,  130,  0\r\n"));
  ExpectCode(o, LineReadResult::kStopped, kErrMaxSpeedBoardTaken, 6);
  EXPECT_EQ(o.state.error_position, 1100);
}

TEST(LineReader, EightyFirstSignIsAReadFailure) {
  std::string body;
  for (int i = 0; i < 81; ++i)
    body += "cartello_indicatore, " + std::to_string(100 * i) + ", S\r\n";
  Outcome o = Read(Body(body));
  ExpectCode(o, LineReadResult::kFailed, kErrReadFailure, 5 + 80);
  EXPECT_EQ(o.c.stations.slots[1].name, "S");
  EXPECT_EQ(o.c.stations.slots[0].name, "");
  EXPECT_EQ(o.c.grid->at(CellOf(8000)).kind, kKindFree);
}

TEST(LineReader, MountainReachingBeyondGrid) {
  Outcome o = Read(Body("montagna,   39000,  47500,  2\r\n"));
  ExpectCode(o, LineReadResult::kContinue, 0, 0);
  EXPECT_EQ(o.c.grid->at(779).mountain, 0);
  EXPECT_EQ(o.c.grid->at(780).mountain, 2);
  EXPECT_EQ(o.c.grid->at(940).mountain, 2);
  EXPECT_EQ(o.c.mountains.count(), 1);
}

TEST(LineReader, BeyondGridEndsBodyAndRunsEndSteps) {
  // On a 40000 m line the grid ends at 940: 46900 + 100 m is its last cell.
  Outcome o =
      Read(Body("cartello_indicatore,  46900,   ULTIMO\r\n"
                "pendenza, 1000, 5\r\n"
                "cartello_indicatore,  46901,   OLTRE\r\n"
                "cartello_indicatore,  1000,   MAI\r\n"));
  ExpectCode(o, LineReadResult::kContinue, kErrBeyondGrid, 7);
  EXPECT_EQ(o.state.error_position, 46901);
  EXPECT_EQ(o.c.grid->at(939).kind, kKindSign);
  EXPECT_EQ(o.c.grid->at(21).kind, kKindFree);
  EXPECT_EQ(o.c.grid->at(937).gradient_code, 105);
  EXPECT_EQ(o.c.plan->filled(), 46999);
  // A position whose + 100 overflows 32 bits cannot be read at all.
  o = Read(Body("montagna, 2147483647, 0, 1\r\n"));
  ExpectCode(o, LineReadResult::kFailed, kErrReadFailure, 5);
}

TEST(LineReader, LastFieldIsNeverProcessed) {
  // The file ends with a keyword whose numbers are missing: it is read but
  // not processed, so nothing is read past the end.
  Outcome o = Read(
      "[generale]\r\nlunghezza percorso, 1000\r\n[curve]\r\ncartello_indicatore, 100, A\r\n"
      "cartello_indicatore");
  ExpectCode(o, LineReadResult::kContinue, 0, 0);
  EXPECT_EQ(o.c.next_sign_slot, 79);

  // Only the keyword field is tested for the end: a record on the last line
  // reads its values up to the last field and is processed, with or without
  // a final line end.
  for (const char* end : {"", "\r\n", "   "}) {
    SCOPED_TRACE(::testing::PrintToString(end));
    o = Read(std::string("[generale]\r\nlunghezza percorso, 1000\r\n[curve]\r\n"
                         "cartello_indicatore, 2000, A\r\npendenza, 1000, 5") +
             end);
    ExpectCode(o, LineReadResult::kContinue, 0, 0);
    EXPECT_EQ(o.c.grid->at(41).kind, kKindSign);
    EXPECT_EQ(o.c.grid->at(19).gradient_code, 100);
    EXPECT_EQ(o.c.grid->at(20).gradient_code, 105);
    EXPECT_EQ(o.c.grid->at(157).gradient_code, 105);
    EXPECT_EQ(o.c.grid->at(158).gradient_code, 0);
  }
}

TEST(LineReader, ReadFailures) {
  struct Case {
    const char* name;
    std::string text;
    int line;
  } cases[] = {
      {"text for a number", Body("pendenza, mille, 5\r\n"), 5},
      {"number beyond 32 bits", Body("montagna, 1000, 3000000000, 1\r\n"), 5},
      {"file ends inside a record",
       "[generale]\r\nlunghezza percorso, 1000\r\n[c]\r\nmontagna, 1, 2", 4},
      {"body before any route length", "[generale]\r\n[curve]\r\npendenza, 100, 1\r\nx\r\n", 3},
      {"route length leaves no grid", File("", "", -8000), 3},
      {"plan too short for its starting points", File("", "", -7000), 4},
      {"gradient overflows", Body("pendenza, 100, 2147483600\r\npendenza, 200, 1\r\n"), 6},
      {"curve end overflows", Body("curvad1, 100, 2147483600\r\n"), 5},
      {"mountain gap overflows",
       Body("montagna, 0, 2147483647, 1\r\nmontagna, -2147483648, 0, 1\r\n"), 6},
      {"sign text too long", Body("cartello_indicatore, 100, " + std::string(65536, 'A') + "\r\n"),
       5},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    Outcome o = Read(k.text);
    ExpectCode(o, LineReadResult::kFailed, kErrReadFailure, k.line);
  }
  // Without a route length even a body that places nothing fails: the
  // gradient tail writes at least one cell.
  Outcome o = Read("[generale]\r\n[curve]\r\nx\r\n");
  ExpectCode(o, LineReadResult::kFailed, kErrReadFailure, 3);
  EXPECT_NE(o.state.error_detail.find("no route length"), std::string::npos);
  EXPECT_FALSE(o.c.grid);
}

}  // namespace
}  // namespace sc
