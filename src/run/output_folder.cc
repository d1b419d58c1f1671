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

Status CheckOutputFiles(Env& env, const std::vector<std::string>& outputs,
                        const std::vector<std::string>& inputs, bool force) {
  for (const std::string& path : outputs) {
    for (const std::string& input : inputs) {
      if (env.SameFile(path, input))
        return Status::Invalid(path + " is an input file; nothing written");
    }
    // A name the file system refuses would fail only at its rename, after
    // another file of the set had replaced its own.
    const Status name_fits = env.CheckNewFileName(path);
    if (!name_fits.ok()) return Status::Invalid(name_fits.message() + "; nothing written");
    if (!force && (env.FileExists(path) || env.FolderExists(path))) {
      return Status::Invalid(path + " already exists; nothing written (use --force to replace it)");
    }
  }
  return Status::Ok();
}

Status WriteOutputSet(Env& env, const std::string& folder,
                      const std::vector<std::pair<std::string, const std::string*>>& files,
                      std::ostream& err) {
  Status s = MakeOutputFolder(env, folder, err);
  if (!s.ok()) return s;
  std::vector<Env::NewFile> set;
  for (const auto& [path, bytes] : files) set.push_back({path, *bytes});
  return env.WriteFiles(set);
}

}  // namespace sc
