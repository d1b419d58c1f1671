#include "model/provenance.h"

#include <gtest/gtest.h>

namespace sc {
namespace {

TEST(ProvenanceTest, MergesAdjacentCellsAndKeepsTheLastWriter) {
  Provenance p;
  int first = p.Begin("a.txt", 3, "velocita");
  p.Wrote(4, CellPart::kSpeed);
  p.Wrote(5, CellPart::kSpeed);
  p.Wrote(5, CellPart::kSpeed);  // written again: no new run
  p.Wrote(9, CellPart::kSpeed);
  p.Wrote(8, CellPart::kSpeed);  // walking back joins the run too
  int second = p.Begin("a.txt", 7, "segnale");
  p.Wrote(5, CellPart::kSpeed);
  p.WroteBy(first, 10, CellPart::kSpeed);  // a profile running on for the first record
  p.End();
  p.Wrote(11, CellPart::kObject);  // the compiler's own: no record

  const std::vector<CellWrite>& writes = p.records()[first].writes;
  ASSERT_EQ(writes.size(), 2u);
  EXPECT_EQ(writes[0].first, 4);
  EXPECT_EQ(writes[0].last, 5);
  EXPECT_EQ(writes[1].first, 8);
  EXPECT_EQ(writes[1].last, 10);
  EXPECT_EQ(p.WriterOf(4, CellPart::kSpeed), first);
  EXPECT_EQ(p.WriterOf(5, CellPart::kSpeed), second);
  EXPECT_EQ(p.WriterOf(5, CellPart::kObject), kNoRecord);
  EXPECT_EQ(p.WriterOf(11, CellPart::kObject), kNoRecord);
  EXPECT_EQ(p.WriterOf(-1, CellPart::kSpeed), kNoRecord);
  EXPECT_EQ(p.WriterOf(1000, CellPart::kSpeed), kNoRecord);
}

// The object standing in a cell is the one its last object write placed:
// each record of a keyword field names its own, a profile fill or a write
// of the compiler's own names none.
TEST(ProvenanceTest, TheObjectInACellIsTheLastOnePlacedThere) {
  Provenance p;
  const int signal = p.Begin("b.txt", 4, "segnale", 1, 8);
  p.Placing("signal", 2000);
  p.Wrote({CellPart::kObject, 41, 1, 1});
  p.Wrote({CellPart::kCountdown, 39, 4, -2});  // walking back: 39, 37, 35, 33
  const int both = p.Begin("b.txt", 5, "segnale rallentamento");
  p.Placing("signal", 2100);
  p.Wrote({CellPart::kObject, 43, 1, 1});
  p.Placing("slowdown", 2100);
  p.Wrote({CellPart::kObject, 44, 2, 1});
  p.End();
  p.Wrote(45, CellPart::kObject);  // the compiler's own: no object

  ASSERT_NE(p.ObjectAt(41), nullptr);
  EXPECT_EQ(p.ObjectAt(41)->record, signal);
  EXPECT_EQ(p.ObjectAt(41)->position, 2000);
  EXPECT_EQ(p.records()[signal].end_column, 8);
  for (int cell : {39, 37, 35, 33}) EXPECT_EQ(p.WriterOf(cell, CellPart::kCountdown), signal);
  EXPECT_EQ(p.records()[signal].writes.size(), 5u);  // marks two cells apart stay apart
  EXPECT_EQ(p.ObjectAt(39), nullptr);                // a countdown mark is no object
  EXPECT_EQ(p.ObjectAt(43)->object, "signal");
  EXPECT_EQ(p.ObjectAt(44)->object, "slowdown");
  EXPECT_EQ(p.ObjectAt(44)->record, both);
  EXPECT_EQ(p.ObjectAt(45), nullptr);
  EXPECT_EQ(p.ObjectAt(-1), nullptr);
  EXPECT_EQ(p.ObjectAt(1000), nullptr);
}

}  // namespace
}  // namespace sc
