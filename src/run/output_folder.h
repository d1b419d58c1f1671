// The folder a run writes into: made when it is missing, so that
// `--out DIR` may name a folder that does not exist yet.
#ifndef SC_RUN_OUTPUT_FOLDER_H_
#define SC_RUN_OUTPUT_FOLDER_H_

#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "platform/env.h"

namespace sc {

// Makes `folder` and any folder above it that is missing, and says
// "created folder FOLDER" on `err` when it made it. A folder already there
// is left as it is. The failure reads "cannot create the output folder
// FOLDER: " and the system's reason, with the part of the path that could
// not be made where that is a folder above it (a file in its way, no
// permission); every command that writes into a folder words it so.
Status MakeOutputFolder(Env& env, const std::string& folder, std::ostream& err);

// Checks, before anything is written, every file a command will write as one
// set: none is one of `inputs`, the file system takes each name, and none
// exists unless `force`. The failure names the file and ends "nothing
// written", so that no output of the set has replaced a file when another
// turns out to be unwritable.
Status CheckOutputFiles(Env& env, const std::vector<std::string>& outputs,
                        const std::vector<std::string>& inputs, bool force);

// Makes `folder` (as MakeOutputFolder) and writes `files` (path, bytes) into
// it as one set: all of them or none.
Status WriteOutputSet(Env& env, const std::string& folder,
                      const std::vector<std::pair<std::string, const std::string*>>& files,
                      std::ostream& err);

}  // namespace sc

#endif  // SC_RUN_OUTPUT_FOLDER_H_
