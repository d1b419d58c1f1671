#include "test_support.h"

#include <sys/stat.h>
#ifndef _WIN32
#include <sys/wait.h>
#endif

#include <gtest/gtest.h>

#include <bit>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>
#include <vector>

#include "app/builtin_run.h"
#include "compiler/compiled_files.h"
#include "documents/documents.h"
#include "platform/paths.h"

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
int Shell(const std::string& command) {
  int raw = std::system(command.c_str());
  return WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
}

ProgramRun RunProgram(const std::string& args, const std::string& cwd,
                      const std::string& stdout_path) {
  TempFolder capture;
  std::string out_path = stdout_path.empty() ? capture.File("out") : stdout_path;
  std::string err_path = capture.File("err");
  std::string command = "cd " + ShellQuote(cwd) + " && " + ShellQuote(SC_PROGRAM) + " " + args +
                        " >" + ShellQuote(out_path) + " 2>" + ShellQuote(err_path) + " </dev/null";
  ProgramRun run;
  run.exit_status = Shell(command);
  if (stdout_path.empty()) run.out = ReadFileOrDie(out_path);
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

bool HasTemporaryFile(const std::string& folder) {
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (entry.path().filename().string().find(".tmp-") != std::string::npos) return true;
  }
  return false;
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

size_t Count(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

std::string Le(uint64_t v, int width) {
  std::string out;
  for (int i = 0; i < width; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
  return out;
}
std::string U8(uint8_t v) { return Le(v, 1); }
std::string I16(int16_t v) { return Le(static_cast<uint16_t>(v), 2); }
std::string I32(int32_t v) { return Le(static_cast<uint32_t>(v), 4); }
std::string F64(double v) { return Le(std::bit_cast<uint64_t>(v), 8); }
std::string Text(const std::string& s) { return Le(s.size(), 2) + s; }
std::string Variant(uint16_t code, const std::string& value) { return Le(code, 2) + value; }

std::string StationRecordBytes(const StationRecord& r) {
  return U8(r.kind) + I32(r.start) + I32(r.end) + I32(r.position) + U8(r.byte_1) + Text(r.name) +
         I16(r.word_1) + I16(r.word_2) + I16(r.word_3) + I16(r.word_4) + I16(r.word_5) +
         U8(r.byte_2) + U8(r.byte_3) + U8(r.byte_4) + U8(r.byte_5) + I32(r.time_s);
}

BuiltInSource BuiltInScenarioSource() {
  BuiltInSource source;
  source.state.line_name = kBuiltInLineName;
  source.state.train_number = kBuiltInTrainNumber;
  const std::string line_name = LineDescriptionFileName(kBuiltInLineName);
  const std::string train_name = TrainServiceFileName(kBuiltInLineName, kBuiltInTrainNumber);
  source.input.line_file_name = line_name;
  source.input.train_file_name = train_name;
  for (const Document& d : ScenarioDocuments(kBuiltInLineName, kBuiltInTrainNumber)) {
    if (d.file_name == line_name) source.input.line_text = d.bytes;
    if (d.file_name == train_name) source.input.train_text = d.bytes;
  }
  return source;
}

Compilation CompileBuiltInScenario(Provenance* provenance, RunState* state) {
  BuiltInSource source = BuiltInScenarioSource();
  Compilation compilation;
  compilation.provenance = provenance;
  CompileScenario(source.input, source.state, compilation);
  if (state) *state = source.state;
  return compilation;
}

void RunBuiltInScenarioInto(MemEnv& env, const std::string& folder) {
  RecordingUi ui;
  std::ostringstream err;
  EXPECT_EQ(RunBuiltInScenario(env, ui, folder, err), 0) << err.str();
}

BuiltInCompiledFiles CompileBuiltInScenarioFiles() {
  MemEnv env;
  RunBuiltInScenarioInto(env, "out");
  const RunState state = BuiltInScenarioSource().state;
  return {env.files[JoinPath("out", RoutePlanFileName(state))],
          env.files[JoinPath("out", StationFileName(state))],
          env.files[JoinPath("out", GridFileName(state))]};
}

ScenarioTextFiles PutBuiltInDocuments(MemEnv& env, const std::string& folder) {
  for (const Document& d : ScenarioDocuments(kBuiltInLineName, kBuiltInTrainNumber)) {
    env.files[JoinPath(folder, d.file_name)] = d.bytes;
  }
  return {JoinPath(folder, LineDescriptionFileName(kBuiltInLineName)),
          JoinPath(folder, TrainServiceFileName(kBuiltInLineName, kBuiltInTrainNumber))};
}

}  // namespace sc::testing
