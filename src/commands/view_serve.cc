#include "commands/view_serve.h"

#include <chrono>
#include <memory>
#include <nlohmann/json.hpp>
#include <sstream>
#include <system_error>

#include "commands/scenario_source.h"
#include "compiler/compiled_files.h"
#include "platform/file_watcher.h"
#include "present/view_data.h"
#include "present/view_page.h"
#include "run/output_lock.h"
#include "run/report.h"
#include "run/scenario_names.h"

namespace sc {
namespace {

constexpr std::chrono::milliseconds kPollInterval(300);

// One compile of the two files, with what it told the terminal.
struct Attempt {
  ScenarioSource source;
  std::string told;  // the lines written to `err`
};

Attempt Compile(Env& env, const SourceRequest& request, std::ostream& err) {
  std::ostringstream told;
  Attempt attempt{LoadScenario(env, request, told), std::string()};
  attempt.told = told.str();
  err << attempt.told << std::flush;
  return attempt;
}

// The last line the compile told, without the program's name: why it built
// no picture when no diagnostic says so.
std::string LastLine(const std::string& told) {
  std::string text = told;
  while (!text.empty() && text.back() == '\n') text.pop_back();
  text = text.substr(text.rfind('\n') == std::string::npos ? 0 : text.rfind('\n') + 1);
  if (text.rfind(kProgram, 0) == 0) text = text.substr(std::string(kProgram).size());
  return text.empty() ? "the files could not be compiled" : text;
}

// What the server hands out for `now`. A compile that built no picture is
// shown with the last good picture (without its records, which belong to
// other texts), or an empty one, and this compile's texts and diagnostics.
LiveContent Present(const Attempt& now, const ScenarioSource* last_good, uint64_t version) {
  ViewInput input = MakeViewInput(now.source);
  const PreviewData empty;
  std::string state = now.source.status == kExitClean ? "ok" : "failed";
  if (!now.source.data) {
    if (last_good) {
      input.title = MakeViewInput(*last_good).title;
      input.data = &*last_good->data;
      input.no_records_reason =
          "No records: this save did not compile, so the picture is the last good one, without "
          "its records.";
      state = "stale";
    } else {
      input.title = now.source.line_name + " \x96 train " + now.source.train_number;
      input.data = &empty;
    }
    input.provenance = nullptr;
    bool has_error = false;
    for (const Diagnostic& d : input.diagnostics) has_error |= d.severity == Severity::kError;
    if (!has_error) {
      Diagnostic d;
      d.severity = Severity::kError;
      d.message = LastLine(now.told);
      input.diagnostics.push_back(d);
    }
  }
  int errors = 0, warnings = 0;
  for (const Diagnostic& d : input.diagnostics) {
    errors += d.severity == Severity::kError;
    warnings += d.severity == Severity::kWarning;
  }
  std::string message;
  if (state == "stale") {
    message = "This save did not compile: the picture is the last good one";
  } else if (errors > 0) {
    message = "This save has an error";
  } else {
    message = warnings == 0 ? "Compiled, no warnings"
                            : "Compiled, " + std::to_string(warnings) +
                                  (warnings == 1 ? " warning" : " warnings");
  }
  LiveContent content;
  content.data = ViewDataJson(input);
  content.page = RenderViewPage(input.title, content.data, true);
  content.notice = nlohmann::json{
      {"version", version},
      {"state", state},
      {"message", message},
      {"errors", errors},
      {"warnings",
       warnings}}.dump();
  return content;
}

// Checks the output folder and the compiled files' names before serving.
bool CheckOutput(Env& env, const std::string& folder, const RunState& state,
                 const ViewOptions& options, std::ostream& err) {
  if (!env.FolderExists(folder)) {
    err << kProgram << folder << ": not a folder\n";
    return false;
  }
  Status names = CheckCompiledFileNames(env, folder, state);
  if (!names.ok()) {
    err << kProgram << names.message() << "\n";
    return false;
  }
  for (const std::string& target : CompiledFilePaths(folder, state)) {
    if (env.SameFile(target, options.line_file) || env.SameFile(target, options.train_file)) {
      err << kProgram << target << ": would overwrite an input file; choose another --out\n";
      return false;
    }
  }
  return true;
}

void WriteCompiled(Env& env, const std::string& folder, const ScenarioSource& source,
                   std::ostream& out, std::ostream& err) {
  std::unique_ptr<FileLock> lock;
  Status s = LockOutputFolder(env, folder, CompiledFilePaths(folder, *source.compile_state), true,
                              err, &lock);
  if (s.ok()) s = WriteCompiledFiles(env, folder, *source.compile_state, *source.compilation);
  if (s.ok()) {
    out << "wrote the compiled files into " << folder << "\n" << std::flush;
  } else {
    err << kProgram << s.message() << "\n" << std::flush;
  }
}

}  // namespace

int ServeView(Env& env, const ViewOptions& options, std::ostream& out, std::ostream& err) {
  std::unique_ptr<LiveServer> server = NewLiveServer();
  return ServeView(env, options, *server, out, err);
}

int ServeView(Env& env, const ViewOptions& options, LiveServer& server, std::ostream& out,
              std::ostream& err) {
  SourceRequest request;
  request.line_file = options.line_file;
  request.train_file = options.train_file;
  request.record_provenance = true;
  request.keep_compilation = options.write;
  const std::string folder =
      options.out_dir.empty() ? FolderOf(options.line_file) : options.out_dir;

  // Before any thread starts, so that the signals come here.
  std::unique_ptr<StopRequests> stop;
  Status caught = env.CatchStopRequests(&stop);
  if (!caught.ok()) {
    err << kProgram << caught.message() << "\n";
    return kExitUsageOrIo;
  }
  // Stamped before the first read: a save during the compile is seen.
  FileWatcher watcher(env, {options.line_file, options.train_file});
  Attempt now = Compile(env, request, err);
  if (!now.source.compile_state) return kExitUsageOrIo;  // unreadable or badly named
  if (options.write && !CheckOutput(env, folder, *now.source.compile_state, options, err)) {
    return kExitUsageOrIo;
  }

  int port = 0;
  Status started = server.Start(options.port, &port);
  if (!started.ok()) {
    err << kProgram << started.message() << "\n";
    return kExitUsageOrIo;
  }
  std::unique_ptr<ScenarioSource> last_good;
  uint64_t version = 0;
  for (;;) {
    server.Publish(Present(now, last_good.get(), ++version));
    if (options.write && now.source.status == kExitClean && now.source.compilation) {
      WriteCompiled(env, folder, now.source, out, err);
    }
    if (now.source.data) last_good = std::make_unique<ScenarioSource>(std::move(now.source));
    if (version == 1) {
      out << "serving http://127.0.0.1:" << port << "/ (Ctrl-C stops)\n" << std::flush;
    }
    bool stopped = false;
    while (!(stopped = stop->Wait(kPollInterval)) && !watcher.Poll()) {
    }
    if (stopped) break;
    out << "changed: compiling again\n" << std::flush;
    now = Compile(env, request, err);
  }
  server.Stop();
  out << "stopped\n" << std::flush;
  return kExitClean;
}

}  // namespace sc
