#include "compiler/train_reader.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace sc {
namespace {

constexpr int32_t kUpper = 940;  // the grid of a 40000 m route

// A compilation as the line description reader leaves it for a 40000 m
// route without signs, and a reader run on a file body after "[generale]".
struct TrainFixture {
  RunState state;
  Compilation c;

  TrainFixture() {
    c.grid.emplace(kUpper);
    c.next_sign_slot = kFirstSignSlot;
  }

  TrainReadResult ReadRaw(const std::string& text) {
    return ReadTrainService(text, "train.txt", state, c);
  }
  // The body is followed by the "[fine]" line, which is never interpreted.
  TrainReadResult Read(const std::string& body) {
    return ReadRaw("commento\r\n[generale]\r\n" + body + "[fine]\r\n");
  }

  TrackCell& cell(int64_t n) { return c.grid->at(n); }
  const StationRecord& slot(int n) { return c.stations.slots[static_cast<size_t>(n)]; }
};

// A station line with the common tail of the scenario's file.
std::string StationLine(int32_t position, int kind, int32_t length) {
  return "stazione, " + std::to_string(position) + ", " + std::to_string(kind) + ", " +
         std::to_string(length) + ", 1, 0, 0, 4,1,1, 2,1,1, 1, 8, 1, 0, Nome\r\n";
}

void ExpectSpeedCodes(TrainFixture& f, int64_t from, int64_t to, uint8_t code) {
  for (int64_t n = from; n <= to; ++n) {
    ASSERT_EQ(f.cell(n).speed_code, code) << "cell " << n;
  }
}

TEST(TrainReaderTest, SpeedFillFromEachLineToTheNext) {
  TrainFixture f;
  // The line at 0 writes nothing: cell 0 gets the 100 km/h made current.
  ASSERT_EQ(f.Read("velocita,       0,   100\r\nvelocita,     900,   130\r\n"),
            TrainReadResult::kDone);
  ExpectSpeedCodes(f, 0, 17, 20);
  // The tail runs to U - 3; the last three cells keep 0.
  ExpectSpeedCodes(f, 18, kUpper - 3, 26);
  ExpectSpeedCodes(f, kUpper - 2, kUpper, 0);
  EXPECT_EQ(f.state.error_code, 0);
}

TEST(TrainReaderTest, SpeedProfileEndsLikeTheScenario) {
  TrainFixture f;
  f.Read("velocita, 0, 100\r\nvelocita, 39000, 30\r\n");
  ExpectSpeedCodes(f, 0, 779, 20);
  ExpectSpeedCodes(f, 780, 937, 6);
  ExpectSpeedCodes(f, 938, 940, 0);
}

TEST(TrainReaderTest, SpeedLineBehindTheFillIndexStillWritesOneCell) {
  TrainFixture f;
  f.Read("velocita, 0, 100\r\nvelocita, 900, 130\r\nvelocita, 500, 60\r\n");
  EXPECT_EQ(f.cell(17).speed_code, 20);
  EXPECT_EQ(f.cell(18).speed_code, 26);  // the line at 500 m, with 130 km/h
  ExpectSpeedCodes(f, 19, kUpper - 3, 12);
}

// A speed is coded when a cell is written with it: one whose code does not
// fit a byte fails at that write (the next velocity line's fill, or the
// tail), and reading goes on until then.
TEST(TrainReaderTest, SpeedThatDoesNotFitAByteFailsWhereItIsWritten) {
  struct Case {
    const char* name;
    std::string body;
    TrainReadResult result;
    int error_line;       // 0: no failure
    int32_t signal_cell;  // a signal read after the speed line: 0 when not reached
  } cases[] = {
      {"next velocity line writes it",
       "velocita, 0, 1278\r\nsegnale, 2800, 2, 4, 1, 0, 0, 2, 2,1,0, 0\r\nvelocita, 9000, 100\r\n",
       TrainReadResult::kFailed, 5, 57},
      {"the tail writes it",
       "velocita, 0, 100\r\nvelocita, 39000, -5\r\n"
       "segnale, 2800, 2, 4, 1, 0, 0, 2, 2,1,0, 0\r\n",
       TrainReadResult::kFailed, 6, 57},
      {"never written", "velocita, 0, 100\r\nvelocita, 46950, 1278\r\n", TrainReadResult::kDone, 0,
       0},
      {"1277 / 5 = 255.4 still fits", "velocita, 0, 1277\r\n", TrainReadResult::kDone, 0, 0},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    TrainFixture f;
    EXPECT_EQ(f.Read(k.body), k.result);
    if (k.error_line) {
      EXPECT_EQ(f.state.error_code, kErrReadFailure);
      EXPECT_EQ(f.state.error_line, k.error_line);
    } else {
      EXPECT_NE(f.state.error_code, kErrReadFailure);
    }
    if (k.signal_cell) {
      EXPECT_EQ(f.cell(k.signal_cell).kind, kKindSignal);
    }
  }
  TrainFixture f;
  f.Read("velocita, 0, 1277\r\n");
  EXPECT_EQ(f.cell(0).speed_code, 255);

  // The previous speed still runs up to the line whose fill fails.
  TrainFixture g;
  g.Read("velocita, 0, 100\r\nvelocita, 900, 1278\r\nvelocita, 1800, 100\r\n");
  ExpectSpeedCodes(g, 0, 17, 20);
  EXPECT_EQ(g.cell(18).speed_code, 0);

  // A line beyond the grid ends the reading; its speed is never written.
  TrainFixture h;
  EXPECT_EQ(h.Read("velocita, 0, 100\r\nvelocita, 46950, 1278\r\n"), TrainReadResult::kDone);
  EXPECT_EQ(h.state.error_code, kErrBeyondGrid);
  ExpectSpeedCodes(h, 0, kUpper - 3, 20);
}

TEST(TrainReaderTest, ProfileFillsStopAtTheGridEnd) {
  constexpr int32_t kSmallUpper = 10;
  TrainFixture f;
  f.c.grid.emplace(kSmallUpper);
  std::string body;
  for (int k = 1; k <= 12; ++k) {
    body += "velocita, 50, " + std::to_string(5 * k) + "\r\naderenza, 50, " + std::to_string(k) +
            "\r\n";
  }
  ASSERT_EQ(f.Read(body), TrainReadResult::kDone);
  EXPECT_EQ(f.state.error_code, 0);
  for (int64_t n = 0; n < kSmallUpper; ++n) {
    EXPECT_EQ(f.cell(n).speed_code, n) << n;
    EXPECT_EQ(f.cell(n).adhesion, n) << n;
  }
  // Line 11 writes the adhesion of line 10 into U; the speed tail of End
  // processing writes the last speed there (its one cell).
  EXPECT_EQ(f.cell(kSmallUpper).adhesion, 10);
  EXPECT_EQ(f.cell(kSmallUpper).speed_code, 12);
}

TEST(TrainReaderTest, AdhesionFillUsesTheLowByte) {
  TrainFixture f;
  f.Read("aderenza, 0, 7\r\naderenza, 100, 300\r\n");
  EXPECT_EQ(f.cell(0).adhesion, 7);
  EXPECT_EQ(f.cell(1).adhesion, 7);
  EXPECT_EQ(f.cell(2).adhesion, 44);  // 300 & 0xFF
  EXPECT_EQ(f.cell(kUpper - 3).adhesion, 44);
  EXPECT_EQ(f.cell(kUpper - 2).adhesion, 0);
  EXPECT_EQ(f.cell(0).speed_code, 0);  // both profiles start at 0
}

TEST(TrainReaderTest, TrainValuesAndBrakedMassNeedsBothWords) {
  TrainFixture f;
  f.Read(
      "percentuale massa frenata,    130\r\n"
      "numero vetture,   9\r\n"
      "orologio,    8               0             30 \r\n"
      "sabbia,  120\r\n");
  EXPECT_EQ(f.slot(kSlotTrainRoute).start, 130);
  EXPECT_EQ(f.slot(kSlotTrainRoute).position, 9);
  EXPECT_EQ(f.slot(kSlotRepetition).word_3, 8);
  EXPECT_EQ(f.slot(kSlotRepetition).word_4, 0);
  EXPECT_EQ(f.slot(kSlotRepetition).word_5, 30);
  EXPECT_EQ(f.slot(kSlotRepetition).word_1, 120);

  TrainFixture g;
  g.Read("massa del treno,    77\r\n");
  EXPECT_EQ(g.slot(kSlotTrainRoute).start, 0);
  EXPECT_EQ(g.state.error_code, 0);
}

TEST(TrainReaderTest, KeywordsIgnoreCaseAndOneFieldMayMatchSeveral) {
  TrainFixture f;
  f.Read(StationLine(9850, 12, 600).replace(0, 8, "STAZIONE") + "SABBIA VETTURE, 5, 6\r\n");
  EXPECT_EQ(f.slot(1).position, 9850);
  EXPECT_EQ(f.slot(1).kind, 12);
  EXPECT_EQ(f.slot(kSlotTrainRoute).position, 5);  // "vetture" is tested before "sabbia"
  EXPECT_EQ(f.slot(kSlotRepetition).word_1, 6);
}

TEST(TrainReaderTest, AtMostTwoDashedFieldsAreSkipped) {
  TrainFixture f;
  // Were either of the first two tested, its "velocita" would read the next
  // field as a number and fail.
  ASSERT_EQ(f.Read("-- velocita --\r\n-- velocita --\r\n-velocita-, 900, 130\r\n"),
            TrainReadResult::kDone);
  EXPECT_EQ(f.cell(17).speed_code, 0);
  EXPECT_EQ(f.cell(18).speed_code, 26);
}

TEST(TrainReaderTest, StartAndEndOfFile) {
  // Without "[generale]" nothing is interpreted, but End processing runs.
  TrainFixture f;
  EXPECT_EQ(f.ReadRaw("sabbia, 4\r\nvelocita, 0, 100\r\n"), TrainReadResult::kDone);
  EXPECT_EQ(f.slot(kSlotRepetition).word_1, 0);
  EXPECT_EQ(f.cell(0).speed_code, 0);

  // The file's last field is not interpreted.
  TrainFixture g;
  EXPECT_EQ(g.ReadRaw("[generale]\r\nsabbia"), TrainReadResult::kDone);
  EXPECT_EQ(g.state.error_code, 0);

  // A record cut short by the end of the file is a read failure.
  TrainFixture h;
  EXPECT_EQ(h.ReadRaw("[generale]\r\nvelocita, 100\r\n"), TrainReadResult::kFailed);
  EXPECT_EQ(h.state.error_code, kErrReadFailure);
  EXPECT_EQ(h.state.error_file, "train.txt");
}

TEST(TrainReaderTest, Abbattimento) {
  struct Case {
    const char* name;
    uint8_t kind_before;
    std::string line;
    uint8_t kind_after;
    int16_t value_a;
    int32_t code;
  };
  // Cell 10 is 500 m / 50, without the +1 of signals.
  const Case cases[] = {
      {"value 0", kKindFree, "abbattimento, 500, 0", kKindAbbattimentoZero, 0, 0},
      {"negative value", kKindFree, "abbattimento, 500, -4", kKindAbbattimentoZero, 0, 0},
      {"value 5", kKindFree, "abbattimento, 500, 5", kKindMarker, 5, 0},
      {"value wraps to 16 bits", kKindFree, "abbattimento, 500, 70000", kKindMarker, 4464, 0},
      {"mountain marker is free", kKindMountainMarker, "abbattimento, 500, 5", kKindMarker, 5, 0},
      // 525 / 50 = 10.5 goes to the even 10 (the signal rule would give 12).
      {"half a cell rounds to even", kKindFree, "abbattimento, 525, 5", kKindMarker, 5, 0},
      {"station marker", kKindStationEnd, "abbattimento, 500, 5", kKindStationEnd, 0,
       kErrAbbattimentoCellTaken},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TrainFixture f;
    f.cell(10).kind = c.kind_before;
    EXPECT_EQ(f.Read(c.line + "\r\nsabbia, 3\r\n"), TrainReadResult::kDone);
    EXPECT_EQ(f.cell(10).kind, c.kind_after);
    EXPECT_EQ(f.cell(10).value_a, c.value_a);
    EXPECT_EQ(f.state.error_code, c.code);
    // Code 7 stops reading: no later record, no End processing.
    EXPECT_EQ(f.slot(kSlotRepetition).word_1, c.code == 0 ? 3 : 0);
    if (c.code != 0) {
      EXPECT_EQ(f.state.error_position, 500);
      EXPECT_EQ(f.state.error_line, 3);
    }
  }

  TrainFixture outside;  // -100 m is cell -2, off the grid: taken
  outside.Read("abbattimento, -100, 5\r\n");
  EXPECT_EQ(outside.state.error_code, kErrAbbattimentoCellTaken);
  EXPECT_EQ(outside.state.error_position, -100);
}

TEST(TrainReaderTest, StationFieldsAreaAndMarks) {
  TrainFixture f;
  f.Read(StationLine(0, 8, 400) +
         "stazione, 9850, 12, 600, 3, 4, 0, 7, 8, 9, 10, 11, 12, 13, 8, 1, 5, Dreo Centrale\r\n");
  ASSERT_EQ(f.state.error_code, 0);
  const StationRecord& s = f.slot(2);
  EXPECT_EQ(s.kind, 12);
  EXPECT_EQ(s.position, 9850);
  EXPECT_EQ(s.start, 9550);
  EXPECT_EQ(s.end, 10150);
  EXPECT_EQ(s.byte_1, 3);
  EXPECT_EQ(s.byte_5, 4);
  EXPECT_EQ(s.byte_4, 0);
  EXPECT_EQ(s.word_1, 7);
  EXPECT_EQ(s.word_2, 8);
  EXPECT_EQ(s.byte_2, 9);
  EXPECT_EQ(s.word_3, 10);
  EXPECT_EQ(s.word_4, 11);
  EXPECT_EQ(s.word_5, 12);
  EXPECT_EQ(s.byte_3, 13);
  EXPECT_EQ(s.time_s, 28865);  // 8:01:05
  EXPECT_EQ(s.name, "Dreo Centrale");
  for (int i = 1; i <= 4; ++i) EXPECT_EQ(f.cell(202 - i).countdown, 80 + i);
  EXPECT_EQ(f.cell(202).kind, kKindStationEnd);
  EXPECT_EQ(f.cell(202).value_a, 2);
  EXPECT_EQ(f.cell(202).countdown, 0);

  // The first station (kind 8 at 0, length 400) ends at 400: marker in
  // cell 7, countdown 81..84 in cells 6..3; its byte_4 and byte_5 are 0.
  EXPECT_EQ(f.slot(1).start, -400);
  EXPECT_EQ(f.slot(1).byte_4, 0);
  EXPECT_EQ(f.slot(1).byte_5, 0);
  EXPECT_EQ(f.cell(7).kind, kKindStationEnd);
  EXPECT_EQ(f.cell(7).value_a, 1);
  EXPECT_EQ(f.cell(3).countdown, 84);
}

TEST(TrainReaderTest, StationMarkCellsFollowTheEnd) {
  struct Case {
    const char* name;
    std::string line;
    int32_t start, end;
    int64_t marker_cell;
  };
  // Each behind a first station at 2800 (ends 3100), so byte_4 is kept.
  const Case cases[] = {
      {"kind 12 length 700", StationLine(9850, 12, 700), 9500, 10200, 203},
      {"kind 2 lengthened", "stazione, 22200, 2, 700, 1, 0, 1, 4,1,1, 2,1,1, 1, 8, 1, 0, Nome\r\n",
       21850, 22600, 451},
      {"kind 7 reaches L", StationLine(9850, 7, 700), 9150, 10550, 210},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TrainFixture f;
    f.Read(StationLine(2800, 12, 600) + c.line);
    ASSERT_EQ(f.state.error_code, 0);
    EXPECT_EQ(f.slot(2).start, c.start);
    EXPECT_EQ(f.slot(2).end, c.end);
    EXPECT_EQ(f.cell(c.marker_cell).kind, kKindStationEnd);
    EXPECT_EQ(f.cell(c.marker_cell).value_a, 2);
    for (int i = 1; i <= 4; ++i) EXPECT_EQ(f.cell(c.marker_cell - i).countdown, 80 + i) << i;
    EXPECT_EQ(f.cell(c.marker_cell - 5).countdown, 0);
  }
}

TEST(TrainReaderTest, StationMarksByKind) {
  struct Case {
    int kind;
    int64_t marker_cell;  // -1: none
    bool countdown;
  };
  // Kind 5 at 9850 ends at 10000 (marker in cell 199); kind 12 at 10150.
  const Case cases[] = {{12, 202, true}, {5, 199, false}, {25, -1, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.kind);
    TrainFixture f;
    f.Read(StationLine(9850, c.kind, 600));
    EXPECT_EQ(f.state.error_code, 0);
    int markers = 0;
    int marks = 0;
    for (int64_t n = 0; n <= kUpper; ++n) {
      if (f.cell(n).kind == kKindStationEnd) {
        ++markers;
        EXPECT_EQ(n, c.marker_cell);
      }
      if (f.cell(n).countdown != 0) ++marks;
    }
    EXPECT_EQ(markers, c.marker_cell < 0 ? 0 : 1);
    EXPECT_EQ(marks, c.countdown ? 4 : 0);
  }
}

TEST(TrainReaderTest, StationNearTheStartMarksNothingBeforeCellTwo) {
  // Kind 12 at 100 of length 100 ends at 150: marker in cell 2; the first
  // countdown cell would be 1 (q = 1, not above 1), the others lie lower.
  TrainFixture f;
  f.Read(StationLine(100, 12, 100));
  EXPECT_EQ(f.state.error_code, 0);
  EXPECT_EQ(f.cell(2).kind, kKindStationEnd);
  EXPECT_EQ(f.cell(1).countdown, 0);
  EXPECT_EQ(f.cell(0).countdown, 0);
}

TEST(TrainReaderTest, StationSpacing) {
  // The first station (kind 12 at 2800, length 600) ends at 3100; the next
  // must start at 3450 or later.
  struct Case {
    int32_t position;
    int32_t length;
    int32_t code;
  };
  const Case cases[] = {{3400, 0, kErrStationsTooClose}, {3500, 100, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.position);
    TrainFixture f;
    f.state.error_position = 1;
    f.Read(StationLine(2800, 12, 600) + StationLine(c.position, 12, c.length) + "sabbia, 3\r\n");
    EXPECT_EQ(f.state.error_code, c.code);
    EXPECT_EQ(f.state.error_position, c.code ? c.position : 1);
    EXPECT_EQ(f.slot(kSlotRepetition).word_1, c.code ? 0 : 3);
  }
}

TEST(TrainReaderTest, StationChecksThatStopReading) {
  struct Case {
    const char* name;
    std::string line;
    int32_t code;
    int32_t position;  // 777: left unchanged
  };
  const Case cases[] = {
      {"position off the 50 m grid", StationLine(9825, 12, 600), kErrStationPosition, 9825},
      {"length not whole 100 m", StationLine(9850, 12, 650), kErrStationLength, 9850},
      // Kind 12 at 0 of length 100 ends at 50: its end cell would be 0.
      {"ends within the first 100 m", StationLine(0, 12, 100), kErrStationTooEarly, 777},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TrainFixture f;
    f.state.error_position = 777;
    EXPECT_EQ(f.Read("velocita, 0, 100\r\n" + c.line + "sabbia, 3\r\n"), TrainReadResult::kDone);
    EXPECT_EQ(f.state.error_code, c.code);
    EXPECT_EQ(f.state.error_position, c.position);
    EXPECT_EQ(f.state.error_file, "train.txt");
    EXPECT_EQ(f.state.error_line, 4);
    EXPECT_EQ(f.slot(kSlotRepetition).word_1, 0);  // no later record
    EXPECT_EQ(f.cell(0).speed_code, 0);            // no End processing
  }
}

TEST(TrainReaderTest, StationsStopBeforeTheSignSlots) {
  // Signs hold slots 80 down to 4, so the next free sign slot is 3: slots 1
  // and 2 take stations, then code 10.
  TrainFixture f;
  f.state.error_position = 777;
  f.c.next_sign_slot = 3;
  f.Read(StationLine(2800, 12, 600) + StationLine(9850, 12, 600) + "sabbia, 3\r\n");
  EXPECT_EQ(f.state.error_code, kErrStationTableFull);
  EXPECT_EQ(f.state.error_position, 777);
  EXPECT_EQ(f.state.error_line, 4);
  EXPECT_EQ(f.slot(2).position, 9850);
  EXPECT_EQ(f.slot(kSlotRepetition).word_1, 0);

  // With signs in slots 80 down to 2 (79 signs), slot 1 is not above the
  // next free sign slot: the station is stored with its marks, then the
  // check after storing fails.
  TrainFixture g;
  g.c.next_sign_slot = 1;
  g.Read(StationLine(2800, 12, 600));
  EXPECT_EQ(g.state.error_code, kErrStationTableFull);
  EXPECT_EQ(g.slot(1).position, 2800);
  const int64_t marker = g.slot(1).end / 50 - 1;
  EXPECT_EQ(g.cell(marker).kind, kKindStationEnd);
  EXPECT_EQ(g.cell(marker - 1).countdown, 81);

  // With 80 signs a station record stops before it is read.
  TrainFixture h;
  h.c.next_sign_slot = 0;
  h.Read(StationLine(2800, 12, 600));
  EXPECT_EQ(h.state.error_code, kErrStationTableFull);
  EXPECT_EQ(h.slot(1).position, 0);
  EXPECT_EQ(h.cell(marker).kind, kKindFree);
}

TEST(TrainReaderTest, BeyondTheGridEndsWithEndProcessing) {
  struct Case {
    const char* name;
    std::string line;
    int32_t position;
  };
  const Case cases[] = {
      {"velocity", "velocita, 46950, 100", 46950},  // (46950 + 100) / 50 = 941
      {"adhesion", "aderenza, 46950, 7", 46950},
      {"signal", "segnale, 46950, 2,4,1,0,0,2,2,1,0,0", 46950},
      {"slowdown", "rallentamento, 46950, 100, 250, 1, 1, 10", 46950},
      {"abbattimento", "abbattimento, 46950, 5", 46950},
      {"station", "stazione, 46250", 46250},  // (46250 + 800) / 50 = 941
      // Kind 8 at 46000 of length 1200 ends at 47200: marker cell 943.
      {"station marker", StationLine(46000, 8, 1200), 46000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TrainFixture f;
    EXPECT_EQ(f.Read("velocita, 0, 100\r\n" + c.line + "\r\nsabbia, 3\r\n"),
              TrainReadResult::kDone);
    EXPECT_EQ(f.state.error_code, kErrBeyondGrid);
    EXPECT_EQ(f.state.error_position, c.position);
    EXPECT_EQ(f.state.error_line, 4);
    EXPECT_EQ(f.slot(kSlotRepetition).word_1, 0);  // reading ended there
    ExpectSpeedCodes(f, 0, kUpper - 3, 20);        // End processing ran
    ExpectSpeedCodes(f, kUpper - 2, kUpper, 0);
  }

  // Just inside: (46900 + 100) / 50 = 940 is not above U.
  TrainFixture f;
  f.Read("velocita, 46900, 100\r\n");
  EXPECT_EQ(f.state.error_code, 0);
}

TEST(TrainReaderTest, StationMarkerBeyondTheGridKeepsItsCountdownOnTheGrid) {
  TrainFixture f;
  f.Read(StationLine(46000, 8, 1200));
  // q = 944 - i - 1: cells 942 and 941 lie off the grid, 940 and 939 do not.
  EXPECT_EQ(f.cell(940).countdown, 83);
  EXPECT_EQ(f.cell(939).countdown, 84);
  EXPECT_EQ(f.state.error_code, kErrBeyondGrid);
}

TEST(TrainReaderTest, KilometreReferenceOffTheGridIsCodeTwo) {
  TrainFixture f;
  f.c.stations.slots[kSlotKmRefDue].end = 325;
  f.Read("sabbia, 3\r\n");
  EXPECT_EQ(f.state.error_code, kErrKmReference);
  EXPECT_EQ(f.state.error_file, "");
  EXPECT_EQ(f.state.error_line, 0);

  // Code 2 replaces a code 15 of this reader; the position stays.
  TrainFixture g;
  g.c.stations.slots[kSlotKmRefTre].start = 10;
  g.Read("velocita, 46950, 100\r\n");
  EXPECT_EQ(g.state.error_code, kErrKmReference);
  EXPECT_EQ(g.state.error_position, 46950);
  EXPECT_EQ(g.state.error_line, 0);

  // A reading that stops skips the check.
  TrainFixture h;
  h.c.stations.slots[kSlotKmRefUno].start = 10;
  h.Read(StationLine(9825, 12, 600));
  EXPECT_EQ(h.state.error_code, kErrStationPosition);
}

TEST(TrainReaderTest, SignalGoesThroughItsEncoder) {
  TrainFixture f;
  f.Read("segnale,    2800,   2, 4, 1,  0, 0,    2,  2,1,0, 0\r\n");
  EXPECT_EQ(f.cell(57).kind, kKindSignal);
  // sx 2, dx 2: (2 * 3 + 2) * 10 + k for k = 1..4.
  EXPECT_EQ(f.cell(55).countdown, 81);
  EXPECT_EQ(f.cell(53).countdown, 82);
  EXPECT_EQ(f.cell(51).countdown, 83);
  EXPECT_EQ(f.cell(49).countdown, 84);
  EXPECT_EQ(f.state.error_code, 0);
}

TEST(TrainReaderTest, EncoderFailuresStopReadingAtTheRecordsPosition) {
  struct Case {
    const char* name;
    std::string line;
    int64_t taken_cell;
    int32_t code;
    int32_t position;
  };
  const Case cases[] = {
      {"signal cell taken", "segnale, 2800, 2,4,1,0,0,2,2,1,0,0", 57, kErrSignalCellTaken, 2800},
      {"slowdown start taken", "rallentamento, 16100, 100, 250, 1, 1, 10", 323,
       kErrSlowdownStartTaken, 16100},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TrainFixture f;
    f.cell(c.taken_cell).kind = kKindMaxSpeedBoard;
    f.Read("velocita, 0, 100\r\n" + c.line + "\r\nsabbia, 3\r\n");
    EXPECT_EQ(f.state.error_code, c.code);
    EXPECT_EQ(f.state.error_position, c.position);
    EXPECT_EQ(f.state.error_line, 4);
    EXPECT_EQ(f.slot(kSlotRepetition).word_1, 0);
    EXPECT_EQ(f.cell(0).speed_code, 0);
  }
}

TEST(TrainReaderTest, CodeFifteenFromTheLineReaderDoesNotStopReading) {
  TrainFixture f;
  f.state.Fail(kErrBeyondGrid, 44444);
  f.Read(
      "segnale, 2800, 2,4,1,0,0,2,2,1,0,0\r\n"
      "rallentamento, 16100, 100, 250, 1, 1, 10\r\n"
      "sabbia, 3\r\n");
  EXPECT_EQ(f.cell(57).kind, kKindSignal);
  EXPECT_EQ(f.cell(323).kind, kKindSlowdownStart);
  EXPECT_EQ(f.slot(kSlotRepetition).word_1, 3);
  EXPECT_EQ(f.state.error_code, kErrBeyondGrid);
  EXPECT_EQ(f.state.error_position, 44444);
}

TEST(TrainReaderTest, ReadFailures) {
  struct Case {
    const char* name;
    std::string body;
    int line;
  };
  const Case cases[] = {
      {"text for a number", "velocita, cento, 100\r\n", 3},
      {"kind above a byte", "stazione, 9850, 300, 600\r\n", 3},
      // v is tested after the range test, which this line passes.
      {"slowdown speed beyond 16 bits", "rallentamento, 16100, 40000, 250, 1, 1, 10\r\n", 3},
      {"slowdown f_tt beyond 16 bits", "rallentamento, 16100, 100, 250, -32769, 1, 10\r\n", 3},
      {"slowdown end overflows", "rallentamento, 16100, 100, 2147483000, 1, 1, 10\r\n", 3},
      {"station time overflows",
       "stazione, 9850, 12, 600, 1,0,0, 4,1,1, 2,1,1, 1, 900000, 0, 0, X\r\n", 3},
      // Hours x 60 overflows though the whole time would fit.
      {"station hours overflow on the way",
       "stazione, 9850, 12, 600, 1,0,0, 4,1,1, 2,1,1, 1, 35791395, -2147483000, 0, X\r\n", 3},
      // So does the minutes' product, brought back by negative seconds.
      {"station minutes overflow on the way",
       "stazione, 9850, 12, 600, 1,0,0, 4,1,1, 2,1,1, 1, 0, 35791395, -100, X\r\n", 3},
      {"position + 100 overflows", "velocita, 2147483600, 100\r\n", 3},
      {"station position + 800 overflows", "stazione, 2147483000\r\n", 3},
      {"station start - 350 overflows",
       StationLine(2800, 12, 600) + StationLine(-2147483600, 30, 0), 4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TrainFixture f;
    EXPECT_EQ(f.Read(c.body), TrainReadResult::kFailed);
    EXPECT_EQ(f.state.error_code, kErrReadFailure);
    EXPECT_EQ(f.state.error_file, "train.txt");
    EXPECT_EQ(f.state.error_line, c.line);
  }

  // Out of range first: code 15 wins over the 16-bit test.
  TrainFixture f;
  EXPECT_EQ(f.Read("rallentamento, 46950, 40000, 250, 1, 1, 10\r\n"), TrainReadResult::kDone);
  EXPECT_EQ(f.state.error_code, kErrBeyondGrid);
}

TEST(TrainReaderTest, RecordsNeedingTheGridFailWithoutOne) {
  TrainFixture f;
  f.c.grid.reset();
  EXPECT_EQ(f.Read("sabbia, 3\r\n"), TrainReadResult::kDone);  // no grid needed
  EXPECT_EQ(f.slot(kSlotRepetition).word_1, 3);
  EXPECT_EQ(f.Read("velocita, 0, 100\r\n"), TrainReadResult::kFailed);
  EXPECT_EQ(f.state.error_code, kErrReadFailure);
}

}  // namespace
}  // namespace sc
