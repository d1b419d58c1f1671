#include "commands/view_serve.h"

#include <chrono>
#include <memory>
#include <nlohmann/json.hpp>
#include <system_error>

#include "commands/scenario_source.h"
#include "compiler/compiled_files.h"
#include "platform/file_watcher.h"
#include "present/view_data.h"
#include "present/view_page.h"
#include "run/output_lock.h"
#include "run/report.h"
#include "run/scenario_job.h"

namespace sc {
namespace {

constexpr std::chrono::milliseconds kPollInterval(300);

// What the server hands out for `now`. A compile that built no picture is
// shown with the last good picture (without its records, which belong to
// other texts), or an empty one, and this compile's texts and diagnostics.
// So is a compile whose check failed, whose picture is a partial one (the
// objects after the fault missing, say): its own picture is handed out only
// on request, as the failed data.
LiveContent Present(const ScenarioSource& now, const ScenarioSource* last_good, uint64_t version) {
  ViewInput input = MakeViewInput(now);
  const PreviewData empty;
  std::string state = now.status == kExitClean ? "ok" : "failed";
  std::string failed_data;
  if (now.data && now.status != kExitClean && last_good) {
    failed_data = ViewDataJson(input);
    input.title = MakeViewInput(*last_good).title;
    input.data = &*last_good->data;
    input.provenance = nullptr;
    input.no_records_reason =
        "No records: this save's check failed, so the picture is the last good one, without its "
        "records.";
    state = "stale";
  } else if (!now.data) {
    if (last_good) {
      input.title = MakeViewInput(*last_good).title;
      input.data = &*last_good->data;
      input.no_records_reason =
          "No records: this save did not compile, so the picture is the last good one, without "
          "its records.";
      state = "stale";
    } else {
      input.title = now.line_name + " \x96 train " + now.train_number;
      input.data = &empty;
    }
    input.provenance = nullptr;
    bool has_error = false;
    for (const Diagnostic& d : input.diagnostics) has_error |= d.severity == Severity::kError;
    if (!has_error) {
      Diagnostic d;
      d.severity = Severity::kError;
      d.message = now.problem.empty() ? "the files could not be compiled" : now.problem;
      input.diagnostics.push_back(d);
    }
  }
  int errors = 0, warnings = 0;
  for (const Diagnostic& d : input.diagnostics) {
    errors += d.severity == Severity::kError;
    warnings += d.severity == Severity::kWarning;
  }
  std::string message;
  if (state == "stale" && !failed_data.empty()) {
    message = "This save's check failed: the picture is the last good one";
  } else if (state == "stale") {
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
  content.failed_data = std::move(failed_data);
  content.page = RenderViewPage(input.title, content.data, true);
  content.notice = nlohmann::json{
      {"version", version},
      {"state", state},
      {"message", message},
      {"errors", errors},
      {"withFailedResult", !content.failed_data.empty()},
      {"warnings",
       warnings}}.dump();
  return content;
}

// The job that writes a compile's files into the output folder, with the
// compile's names.
ScenarioJob OutputJob(Env& env, const ViewOptions& options, const RunState& state) {
  ScenarioJob job(env, options.line_file, options.train_file);
  job.state() = state;
  job.SendOutputTo(options.out_dir);
  return job;
}

// Checks the output folder and the compiled files' names before serving.
bool CheckOutput(ScenarioJob& job, std::ostream& err) {
  Status s = job.MakeOutputFolder(err);
  if (s.ok()) s = job.CheckInputsKept();
  if (!s.ok()) err << kProgram << s.message() << "\n";
  return s.ok();
}

// Writes what `source` compiled (taking it), under the folder's lock. A
// stop requested while it waits for the lock ends the wait: nothing is
// written after a stop request.
void WriteCompiled(Env& env, const ViewOptions& options, ScenarioSource& source, StopRequests& stop,
                   std::ostream& out, std::ostream& err) {
  ScenarioJob job = OutputJob(env, options, *source.compile_state);
  job.compilation() = std::move(*source.compilation);
  std::unique_ptr<FileLock> lock;
  Status s = LockOutputFolder(env, job.folder(), CompiledFilePaths(job.folder(), job.state()), true,
                              err, &lock, &stop);
  if (s.ok()) s = job.Write();
  if (s.ok()) {
    // The folder by its full name: "." or a relative path says little in a
    // terminal left open beside the editor.
    std::string folder;
    if (!env.FullPath(job.folder(), &folder).ok()) folder = job.folder();
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
  request.train_file = options.train_file;  // never the compiled files
  request.record_provenance = true;
  request.keep_compilation = options.write;

  // Before any thread starts, so that the signals come here.
  std::unique_ptr<StopRequests> stop;
  Status caught = env.CatchStopRequests(&stop);
  if (!caught.ok()) {
    err << kProgram << caught.message() << "\n";
    return kExitUsageOrIo;
  }
  // Stamped before the first read: a save during the compile is seen.
  FileWatcher watcher(env, {options.line_file, options.train_file});
  ScenarioSource now = LoadScenario(env, request, err);
  err << std::flush;
  if (!now.compile_state) return kExitUsageOrIo;  // unreadable or badly named
  if (options.write) {
    ScenarioJob job = OutputJob(env, options, *now.compile_state);
    if (!CheckOutput(job, err)) return kExitUsageOrIo;
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
    if (options.write && now.status == kExitClean && now.compilation) {
      WriteCompiled(env, options, now, *stop, out, err);
    }
    // Only a clean compile's picture is a good one to fall back on.
    if (now.data && now.status == kExitClean) {
      last_good = std::make_unique<ScenarioSource>(std::move(now));
    }
    if (version == 1) {
      out << "serving http://127.0.0.1:" << port << "/ (Ctrl-C stops)\n" << std::flush;
    }
    bool stopped = false;
    while (!(stopped = stop->Wait(kPollInterval)) && !watcher.Poll()) {
    }
    if (stopped) break;
    out << "changed: compiling again\n" << std::flush;
    now = LoadScenario(env, request, err);
    err << std::flush;
  }
  server.Stop();
  out << "stopped\n" << std::flush;
  return kExitClean;
}

}  // namespace sc
