#include "run/output_lock.h"

namespace sc {

Status LockOutputFolder(Env& env, const std::string& folder, bool wait, std::ostream& err,
                        std::unique_ptr<FileLock>* lock) {
  const std::string path = JoinPath(folder, kLockFileName);
  bool busy = false;
  Status s = env.TryLockFile(path, lock, &busy);
  if (!s.ok() || !busy) return s;
  if (!wait) {
    return Status::IoError(path + ": another run is writing into this folder (--no-wait given)");
  }
  err << "scenario-compiler: another run is writing into " << folder << "; waiting for it\n";
  err.flush();
  return env.LockFile(path, lock);
}

}  // namespace sc
