#include "model/run_state.h"

namespace sc {

const char* ErrorText(int32_t code) {
  switch (code) {
    case kErrNone: return "";
    case kErrRouteTooLong: return "the route length is above 1000000 m";
    case kErrKmReference:
      return "a kilometre reference's first or second value is not a multiple of 50";
    case kErrRepetitionFirst: return "the first metre of signal repetition is not a multiple of 50";
    case kErrRepetitionLast: return "the last metre of signal repetition is not a multiple of 50";
    case kErrRepetitionCodes: return "the signal repetition line names neither 4 nor 9 codes";
    case kErrSignCellTaken: return "the sign's cell is already taken";
    case kErrAbbattimentoCellTaken: return "the abbattimento's cell is already taken";
    case kErrStationPosition: return "the station position is not a multiple of 50";
    case kErrStationLength: return "the station length is not a multiple of 100";
    case kErrStationTableFull:
      return "the station table is full (stations would reach the sign texts)";
    case kErrNoRoomSignalMarker:
      return "no room for a marker before a signal near a slowdown warning";
    case kErrNoRoomStartMarker: return "no room for a marker before a slowdown start";
    case kErrNoRoomRunMarker:
      return "no room for a marker through a slowdown or before the next signal";
    case kErrBeyondGrid: return "the position lies beyond the end of the track grid";
    case kErrSignalCellTaken: return "the signal's cell is already taken";
    case kErrWarningCellTaken:
      return "the slowdown warning's cell (1200 m before it) is already taken";
    case kErrSlowdownStartTaken: return "the slowdown's start cell is already taken";
    case kErrSlowdownEndTaken: return "the slowdown's end cell is already taken";
    case kErrApproachBoardsTaken:
      return "a cell of the slowdown's approach boards is already taken";
    case kErrMaxSpeedBoardTaken: return "the maximum-speed board's cell is already taken";
    case kErrStationsTooClose:
      return "the station starts less than 350 m after the end of the previous one";
    case kErrStationTooEarly: return "the station ends at or before metre 100";
    case kErrReadFailure:
      return "the file could not be read (a malformed field, a value out of range or a record cut "
             "short)";
    case kErrNoLineFile: return "the line description file does not exist";
    case kErrNoGeneralSection: return "the line description file has no [generale] section";
    case kErrCurve: return "a curve names no class 1 to 6, or runs past the end of the route";
    default: return "unknown error";
  }
}

bool ErrorRecordsPosition(ErrorCode code) {
  switch (code) {
    case 6:
    case 7:
    case 8:
    case 9:
    case 11:
    case 12:
    case 13:
    case 15:
    case 16:
    case 17:
    case 18:
    case 19:
    case 20:
    case 21:
    case 22: return true;
    default: return false;
  }
}

}  // namespace sc
