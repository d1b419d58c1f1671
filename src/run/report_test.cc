#include "run/report.h"

#include <gtest/gtest.h>

namespace sc {
namespace {

TEST(Report, DiagnosticLines) {
  RunState state;
  EXPECT_EQ(FormatDiagnostic(state), "");

  state.Fail(kErrSignalCellTaken, 2800);
  state.error_file = "L_1-.txt";
  state.error_line = 33;
  state.error_column = 3;
  EXPECT_EQ(FormatDiagnostic(state),
            "L_1-.txt:33:3: error 16: the signal's cell is already taken (position 2800 m)");

  // Codes that record no position print none, even when an old one is left.
  state.Fail(kErrStationTableFull);
  EXPECT_EQ(FormatDiagnostic(state),
            "error 10: the station table is full (stations would reach the sign texts)");

  state.Fail(kErrReadFailure);
  state.error_file = "L_linea.txt";
  state.error_line = 5;
  state.error_detail = "\"mille\" is not a number";
  EXPECT_EQ(FormatDiagnostic(state),
            "L_linea.txt:5: error 25: the file could not be read: \"mille\" is not a number");
  EXPECT_EQ(ErroreText(ReservedPlaceMessage::kMarkerTaken), " Errore n. 1250");
  EXPECT_EQ(ErroreText(ReservedPlaceMessage::kCodeTaken), " Errore n. 1251");
}

}  // namespace
}  // namespace sc
