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

}  // namespace
}  // namespace sc
