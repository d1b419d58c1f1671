#include "run/output_lock.h"

#include "run/report.h"

namespace sc {
namespace {

// Removes the temporaries left for `outputs`; call only while holding the
// folder's lock, when no other run can be writing them.
void RemoveLeftTemporaries(Env& env, const std::string& folder,
                           const std::vector<std::string>& outputs, std::ostream& err) {
  size_t removed = 0;
  for (const std::string& output : outputs) {
    std::vector<std::string> left;
    Status listed = env.LeftTemporaries(output, &left);
    if (!listed.ok()) err << kProgram << listed.message() << "\n";
    for (const std::string& path : left) {
      Status deleted = env.DeleteFile(path);
      if (deleted.ok()) {
        ++removed;
      } else {
        err << kProgram << deleted.message() << "\n";
      }
    }
  }
  if (removed == 0) return;
  err << kProgram << "removed " << removed
      << (removed == 1 ? " temporary file" : " temporary files") << " left in " << folder
      << " by an earlier run that was ended while it wrote\n";
  err.flush();
}

// Takes the lock of `path` once its holder lets it go, trying again after
// each wait for a stop request; fails when one comes first.
Status WaitForLockUnlessStopped(Env& env, const std::string& path, StopRequests& stop,
                                std::unique_ptr<FileLock>* lock) {
  for (;;) {
    if (stop.Wait(kStopPollInterval)) {
      return Status::Invalid(path + ": stopped while waiting for another run to finish writing");
    }
    bool busy = false;
    Status s = env.TryLockFile(path, lock, &busy);
    if (!s.ok() || !busy) return s;
  }
}

}  // namespace

Status LockOutputFolder(Env& env, const std::string& folder,
                        const std::vector<std::string>& outputs, bool wait, std::ostream& err,
                        std::unique_ptr<FileLock>* lock, StopRequests* stop) {
  const std::string path = JoinPath(folder, kLockFileName);
  bool busy = false;
  Status s = env.TryLockFile(path, lock, &busy);
  if (s.ok() && busy) {
    if (!wait) {
      return Status::IoError(path + ": another run is writing into this folder (--no-wait given)");
    }
    err << kProgram << "another run is writing into " << folder << "; waiting for it\n";
    err.flush();
    s = stop ? WaitForLockUnlessStopped(env, path, *stop, lock) : env.LockFile(path, lock);
  }
  if (s.ok()) RemoveLeftTemporaries(env, folder, outputs, err);
  return s;
}

}  // namespace sc
