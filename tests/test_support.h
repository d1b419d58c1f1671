// Helpers shared by the tests: temporary folders and running the built program.
#ifndef SC_TESTS_TEST_SUPPORT_H_
#define SC_TESTS_TEST_SUPPORT_H_

#include <string>
#include <vector>

#include "model/route_plan.h"
#include "platform/env.h"
#include "platform/ui.h"

namespace sc::testing {

// A Ui that shows nothing and remembers what it was asked to show.
class RecordingUi : public Ui {
 public:
  void ShowWaiting() override { ++waits; }
  void ShowMessage(const std::string& text) override { messages.push_back(text); }
  int waits = 0;
  std::vector<std::string> messages;
};

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
// string), in `cwd`. Standard output goes to `stdout_path` when one is given
// (then `out` stays empty).
ProgramRun RunProgram(const std::string& args, const std::string& cwd = ".",
                      const std::string& stdout_path = "");

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
