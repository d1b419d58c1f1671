// Keeps runs that write into the same folder apart. A run holds the advisory
// lock on the folder's lock file from before it reads its inputs until its
// last file is written, so two runs never mix their compiled files or delete
// each other's intermediate text files. The lock file stays in the folder; it
// is empty and only its lock matters.
#ifndef SC_RUN_OUTPUT_LOCK_H_
#define SC_RUN_OUTPUT_LOCK_H_

#include <memory>
#include <ostream>
#include <string>

#include "platform/env.h"

namespace sc {

inline constexpr const char* kLockFileName = ".scenario-compiler.lock";

// Takes the lock of `folder`. When another run holds it: with `wait`, says so
// on `err` and waits for it; without, fails at once naming the lock file.
Status LockOutputFolder(Env& env, const std::string& folder, bool wait, std::ostream& err,
                        std::unique_ptr<FileLock>* lock);

}  // namespace sc

#endif  // SC_RUN_OUTPUT_LOCK_H_
