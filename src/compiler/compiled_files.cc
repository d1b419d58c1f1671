#include "compiler/compiled_files.h"

#include <memory>
#include <string>
#include <vector>

namespace sc {
namespace {

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameIgnoringCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  }
  return true;
}

}  // namespace

std::string RoutePlanFileName(const RunState& s) { return s.LineFilePart() + "_linea.dat"; }
std::string StationFileName(const RunState& s) {
  return s.LineFilePart() + "_" + s.TrainFilePart() + ".sim";
}
std::string GridFileName(const RunState& s) {
  return s.LineFilePart() + "_" + s.TrainFilePart() + ".dat";
}

std::vector<std::string> CompiledFilePaths(const std::string& folder, const RunState& state) {
  std::vector<std::string> paths;
  if (state.compile_flag != 0) paths.push_back(JoinPath(folder, RoutePlanFileName(state)));
  paths.push_back(JoinPath(folder, StationFileName(state)));
  paths.push_back(JoinPath(folder, GridFileName(state)));
  return paths;
}

Status CheckCompiledFileNames(Env& env, const std::string& folder, const RunState& state) {
  const std::vector<std::string> paths = CompiledFilePaths(folder, state);
  for (size_t i = 0; i < paths.size(); ++i) {
    Status s = env.CheckNewFileName(paths[i]);
    if (!s.ok()) return s;
    for (size_t j = 0; j < i; ++j) {
      if (SameIgnoringCase(paths[i], paths[j])) {
        return Status::IoError(paths[i] +
                               ": two compiled files would have this name; "
                               "choose another line name or train number");
      }
    }
  }
  return Status::Ok();
}

Status WriteCompiledFiles(Env& env, const std::string& folder, const RunState& state,
                          const Compilation& compilation) {
  const std::string plan_path = JoinPath(folder, RoutePlanFileName(state));
  const std::string station_path = JoinPath(folder, StationFileName(state));
  const std::string grid_path = JoinPath(folder, GridFileName(state));
  if (!compilation.grid) return Status::IoError(grid_path + ": no track grid to write");
  for (const StationRecord& r : compilation.stations.slots) {
    if (r.name.size() > kMaxTextBytes) {
      return Status::IoError(station_path + ": a text is longer than 65535 bytes");
    }
  }

  // Every temporary is made here, before the second thread starts, and
  // removed here (when not committed) after it ends, so the list of
  // temporaries a signal removes only changes on this thread.
  const bool with_plan = state.compile_flag != 0 && compilation.plan;
  std::unique_ptr<ReplacingFile> plan_file, station_file, grid_file;
  Status s;
  if (with_plan) s = env.NewReplacingFile(plan_path, &plan_file);
  if (s.ok()) s = env.NewReplacingFile(station_path, &station_file);
  if (s.ok()) s = env.NewReplacingFile(grid_path, &grid_file);
  if (!s.ok()) return s;

  // Step 1: every file written and synced under its temporary name; the two
  // small files on a second thread while the plan is written and synced
  // here, since syncing is mostly waiting for the disk.
  Status small;
  {
    Alongside small_files([&] {
      small = station_file->Append(EncodeStationFile(compilation.stations));
      if (small.ok()) small = grid_file->Append(EncodeGridFile(*compilation.grid));
      if (small.ok()) small = SyncTogether({station_file.get(), grid_file.get()});
    });
    if (with_plan) {
      s = WriteRoutePlan(*compilation.plan, *plan_file);
      if (s.ok()) s = plan_file->Sync();
    }
  }
  if (!s.ok()) return s;
  if (!small.ok()) return small;

  // Step 2: the renames, plan first and grid last, so that a rename failing
  // part way never leaves a new grid beside an old plan.
  std::vector<ReplacingFile*> set;
  if (with_plan) set.push_back(plan_file.get());
  set.push_back(station_file.get());
  set.push_back(grid_file.get());
  for (ReplacingFile* file : set) {
    s = file->Commit();
    if (!s.ok()) return s;
  }
  return Status::Ok();
}

}  // namespace sc
