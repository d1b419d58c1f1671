// Helpers shared by the tests: temporary folders and running the built program.
#ifndef SC_TESTS_TEST_SUPPORT_H_
#define SC_TESTS_TEST_SUPPORT_H_

#include <string>
#include <vector>

#include "compiler/route_plan.h"

namespace sc::testing {

// A fresh, empty folder under the system's temporary folder, removed with
// everything in it when the object goes away.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::string& path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

struct ProgramRun {
  int exit_status = -1;
  std::string out;  // standard output
  std::string err;  // standard error
};

// Runs the built scenario-compiler with `args` (a shell-quoted argument
// string), in `cwd`.
ProgramRun RunProgram(const std::string& args, const std::string& cwd = ".");

std::string ReadFileOrDie(const std::string& path);
void WriteFileOrDie(const std::string& path, const std::string& bytes);
bool PathExists(const std::string& path);

// A route plan's points, metres 0 to filled() - 1, as two columns.
struct PlanColumns {
  std::vector<double> x;
  std::vector<double> y;
};
PlanColumns PointsOf(const RoutePlan& plan);

// Quotes one argument for the shell.
std::string ShellQuote(const std::string& arg);

}  // namespace sc::testing

#endif  // SC_TESTS_TEST_SUPPORT_H_
