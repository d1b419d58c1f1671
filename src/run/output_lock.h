// Keeps runs that write into the same folder apart. A run holds the lock of
// the folder's lock file from before it reads its inputs until its last file
// is written, so two runs never mix their compiled files or delete each
// other's intermediate text files. The lock file exists only while a run
// holds or waits for it (see FileLock in platform/env.h): a run that ends,
// however it ends, leaves nothing of it in the folder, except one killed
// outright, whose lock file the next run takes over and removes.
#ifndef SC_RUN_OUTPUT_LOCK_H_
#define SC_RUN_OUTPUT_LOCK_H_

#include <chrono>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "platform/env.h"

namespace sc {

inline constexpr const char* kLockFileName = ".scenario-compiler.lock";

// Takes the lock of `folder`. When another run holds it: with `wait`, says so
// on `err` and waits for it; without, fails at once naming the lock file.
// Once held, removes the temporaries that an earlier run, ended by force
// while it wrote, left for the files this run writes (`outputs`, full paths
// in `folder`), and says so on `err`; a temporary that cannot be removed is
// told there too, and the run goes on.
// Given `stop`, the wait asks it every kStopPollInterval and ends at a stop
// request, failing without the lock: a program that catches its stop
// signals (see StopRequests) still stops while it waits, and then writes
// nothing.
inline constexpr std::chrono::milliseconds kStopPollInterval(100);
Status LockOutputFolder(Env& env, const std::string& folder,
                        const std::vector<std::string>& outputs, bool wait, std::ostream& err,
                        std::unique_ptr<FileLock>* lock, StopRequests* stop = nullptr);

}  // namespace sc

#endif  // SC_RUN_OUTPUT_LOCK_H_
