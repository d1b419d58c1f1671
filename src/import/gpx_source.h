// Reading a GPX 1.1 file as a railway line: the points of every track
// segment (trk/trkseg/trkpt, with ele and time where present) are the track,
// in file order; every waypoint (wpt) with a name is a station. A file
// without named waypoints gets its stations from the recording itself: each
// place where the speed stays under 2 km/h for 20 s or more is a stop,
// named "Stop 1", "Stop 2", ... in order.
//
// Read with expat in chunks: memory follows the track, not the file.
#ifndef SC_IMPORT_GPX_SOURCE_H_
#define SC_IMPORT_GPX_SOURCE_H_

#include <istream>
#include <optional>
#include <string_view>

#include "import/track_between.h"
#include "platform/status.h"

namespace sc {

// Reads `in` into `line`. Errors (Invalid, the message without the file
// name): not XML or cut short (with the line), a point without a valid
// position, no track point, segments that do not meet.
Status ReadGpx(std::istream& in, MapLine* line);

// Seconds since 1970-01-01 of an ISO 8601 time ("2024-05-01T08:30:05Z",
// with a fraction or an offset); nullopt when it is not one.
std::optional<double> IsoSeconds(std::string_view text);

}  // namespace sc

#endif  // SC_IMPORT_GPX_SOURCE_H_
