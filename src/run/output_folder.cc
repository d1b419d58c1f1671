#include "run/output_folder.h"

#include "run/report.h"

namespace sc {

Status MakeOutputFolder(Env& env, const std::string& folder, std::ostream& err) {
  bool made = false;
  Status s = env.MakeFolders(folder, &made);
  if (!s.ok()) {
    // The reason alone where the folder itself failed; the part that failed
    // with it where that is a folder above.
    std::string reason = s.message();
    const std::string own = folder + ": ";
    if (reason.compare(0, own.size(), own) == 0) reason.erase(0, own.size());
    return Status::IoError("cannot create the output folder " + folder + ": " + reason);
  }
  if (made) err << kProgram << "created folder " << folder << "\n";
  return Status::Ok();
}

}  // namespace sc
