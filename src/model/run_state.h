// The state of one run: who the scenario is, and the outcome of its checks.
// Passed explicitly to every step that reads or sets it.
#ifndef SC_MODEL_RUN_STATE_H_
#define SC_MODEL_RUN_STATE_H_

#include <cstdint>
#include <string>

namespace sc {

// Error codes left by a compile. 0 is clean; a later failure overwrites an
// earlier one. There is no code 14 or 23.
enum ErrorCode : int32_t {
  kErrNone = 0,
  kErrRouteTooLong = 1,
  kErrKmReference = 2,
  kErrRepetitionFirst = 3,
  kErrRepetitionLast = 4,
  kErrRepetitionCodes = 5,
  kErrSignCellTaken = 6,
  kErrAbbattimentoCellTaken = 7,
  kErrStationPosition = 8,
  kErrStationLength = 9,
  kErrStationTableFull = 10,
  kErrNoRoomSignalMarker = 11,
  kErrNoRoomStartMarker = 12,
  kErrNoRoomRunMarker = 13,
  kErrBeyondGrid = 15,
  kErrSignalCellTaken = 16,
  kErrWarningCellTaken = 17,
  kErrSlowdownStartTaken = 18,
  kErrSlowdownEndTaken = 19,
  kErrApproachBoardsTaken = 20,
  kErrMaxSpeedBoardTaken = 21,
  kErrStationsTooClose = 22,
  kErrStationTooEarly = 24,
  kErrReadFailure = 25,
  kErrNoLineFile = 101,
  kErrNoGeneralSection = 102,
  kErrCurve = 103,
};

// A short English text for an error code ("" for 0, a generic text for an
// unknown code).
const char* ErrorText(int32_t code);

// Whether a failure with this code records an error position.
bool ErrorRecordsPosition(ErrorCode code);

struct RunState {
  // The line name and train number as the files' own Windows-1252 text: the
  // station table holds them and the competition codes come from them.
  std::string line_name;
  std::string train_number;
  // The same names as file names spell them, in the platform's encoding;
  // empty when that is the text above byte for byte.
  std::string line_file_part;
  std::string train_file_part;
  const std::string& LineFilePart() const {
    return line_file_part.empty() ? line_name : line_file_part;
  }
  const std::string& TrainFilePart() const {
    return train_file_part.empty() ? train_number : train_file_part;
  }
  ErrorCode error_code = kErrNone;
  int32_t error_position = 0;
  // Non-zero: also build and write the route plan.
  int32_t compile_flag = 1;

  // Where the record that set the error code stands, when a reader set it:
  // the input's name and its 1-based line; empty/0 otherwise.
  std::string error_file;
  int error_line = 0;
  // The 1-based byte columns of the field at fault (the record's keyword
  // when no one field is), and just past it; 0 unknown.
  int error_column = 0;
  int error_end_column = 0;
  // What exactly went wrong, for a read failure ("\"mille\" is not a number").
  std::string error_detail;

  // Sets the code (and clears any earlier source location and detail).
  void Fail(ErrorCode code) {
    error_code = code;
    error_file.clear();
    error_line = 0;
    error_column = 0;
    error_end_column = 0;
    error_detail.clear();
  }
  // Sets the code and where the record that set it stands.
  void FailAt(ErrorCode code, const std::string& file, int line, int column = 0,
              int end_column = 0) {
    Fail(code);
    error_file = file;
    error_line = line;
    error_column = column;
    error_end_column = end_column;
  }
  void Fail(ErrorCode code, int32_t position) {
    Fail(code);
    error_position = position;
  }
};

}  // namespace sc

#endif  // SC_MODEL_RUN_STATE_H_
