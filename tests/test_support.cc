#include "test_support.h"

#include <sys/stat.h>
#ifndef _WIN32
#include <sys/wait.h>
#endif

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>
#include <vector>

namespace sc::testing {

#ifdef _WIN32
// Windows has no mkdtemp: try fresh random names until one can be created.
TempFolder::TempFolder() {
  std::random_device random;
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::filesystem::path candidate =
        std::filesystem::temp_directory_path() / ("sc-test-" + std::to_string(random()));
    std::error_code error;
    if (std::filesystem::create_directory(candidate, error)) {
      path_ = candidate.string();
      return;
    }
  }
  throw std::runtime_error("cannot create a temporary folder");
}
#else
TempFolder::TempFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "sc-test-XXXXXX").string();
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  if (!::mkdtemp(name.data())) throw std::runtime_error("mkdtemp failed");
  path_ = name.data();
}
#endif

TempFolder::~TempFolder() {
  std::error_code ignored;
  std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                               std::filesystem::perm_options::add, ignored);
  std::filesystem::remove_all(path_, ignored);
}

std::string ShellQuote(const std::string& arg) {
  std::string out = "'";
  for (char c : arg) {
    if (c == '\'') {
      out += "'\\''";
    } else {
      out += c;
    }
  }
  return out + "'";
}

// Runs the program through a POSIX shell; Windows builds test the program
// from scripts instead.
#ifndef _WIN32
ProgramRun RunProgram(const std::string& args, const std::string& cwd) {
  TempFolder capture;
  std::string out_path = capture.File("out");
  std::string err_path = capture.File("err");
  std::string command = "cd " + ShellQuote(cwd) + " && " + ShellQuote(SC_PROGRAM) + " " + args +
                        " >" + ShellQuote(out_path) + " 2>" + ShellQuote(err_path) + " </dev/null";
  int raw = std::system(command.c_str());
  ProgramRun run;
  run.exit_status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
  run.out = ReadFileOrDie(out_path);
  run.err = ReadFileOrDie(err_path);
  return run;
}
#endif

std::string ReadFileOrDie(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void WriteFileOrDie(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) throw std::runtime_error("cannot write " + path);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

bool PathExists(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0;
}

PlanColumns PointsOf(const RoutePlan& plan) {
  PlanColumns points;
  plan.ForEachPoint([&](double x, double y) {
    points.x.push_back(x);
    points.y.push_back(y);
  });
  return points;
}

}  // namespace sc::testing
