// The folder a run writes into: made when it is missing, so that
// `--out DIR` may name a folder that does not exist yet.
#ifndef SC_RUN_OUTPUT_FOLDER_H_
#define SC_RUN_OUTPUT_FOLDER_H_

#include <ostream>
#include <string>

#include "platform/env.h"

namespace sc {

// Makes `folder` and any folder above it that is missing, and says
// "created folder FOLDER" on `err` when it made it. A folder already there
// is left as it is. The failure reads "cannot create the output folder
// FOLDER: " and the system's reason, with the part of the path that could
// not be made where that is a folder above it (a file in its way, no
// permission); every command that writes into a folder words it so.
Status MakeOutputFolder(Env& env, const std::string& folder, std::ostream& err);

}  // namespace sc

#endif  // SC_RUN_OUTPUT_FOLDER_H_
