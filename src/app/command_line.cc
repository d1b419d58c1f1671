#include "app/command_line.h"

#include <CLI/CLI.hpp>
#include <cerrno>
#include <cstring>
#include <iostream>

#include <map>
#include <new>
#include <sstream>
#include <string>
#include <vector>

#include "app/builtin_run.h"
#include "commands/compile_command.h"
#include "commands/decompile_command.h"
#include "commands/dump_command.h"
#include "commands/emit_command.h"
#include "commands/explain_command.h"
#include "commands/lsp_command.h"
#include "commands/preview_command.h"
#include "commands/view_command.h"
#include "present/terminal_text.h"
#include "run/report.h"
#include "run/version.h"

namespace sc {
namespace {

// "scenario-compiler 1.0.0 (Linux x86_64)"
std::string VersionLine() {
  return std::string("scenario-compiler ") + kProgramVersion + " (" + kBuildPlatform + ")";
}

constexpr const char* kDescription =
    "Compiles a train-driving scenario into the files the simulator loads.\n"
    "Without a command: writes the built-in scenario \"Vastro - Dreo\", train 2001,\n"
    "into the program's own folder (or --out DIR) and compiles it.";

struct Arguments {
  std::string out_dir;
  bool no_wait = false;
  CompileOptions compile;
  std::string emit_dir = ".";
  bool emit_force = false;
  std::string dump_file;
  bool dump_json = false;
  std::string dump_kind;
  PreviewOptions preview;
  ViewOptions view;
  std::string explain_file;
  bool explain_reference = false;
  DecompileRequest decompile;
};

// -Wno-CLASS, -w, --strict and --diagnostics, for compile and preview.
void DefineDiagnosticOptions(CLI::App& command, DiagnosticOptions& d) {
  command.add_option("-W", d.w_options, "-Wno-CLASS: do not show warnings of CLASS")
      ->option_text("no-CLASS")
      ->expected(1)
      ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
  command.add_flag("-w", d.no_warnings, "Show no warnings");
  command.add_flag("--strict", d.strict, "Fail (exit status 4, nothing written) on any warning");
  command.add_option("--diagnostics", d.format, "Diagnostics as text (default) or JSON lines")
      ->transform(CLI::CheckedTransformer(std::map<std::string, DiagnosticFormat>{
          {"text", DiagnosticFormat::kText}, {"json", DiagnosticFormat::kJson}}))
      ->option_text("text|json");
}

void DefineCompile(CLI::App& app, Arguments& a) {
  CLI::App* c = app.add_subcommand("compile", "Compile your own line and train files");
  c->add_option("LINE_FILE", a.compile.line_file, "Line description (<line>_linea.txt)")
      ->required();
  c->add_option("TRAIN_FILE", a.compile.train_file, "Train and service file (<line>_<train>-.txt)")
      ->required();
  c->add_option("--out", a.compile.out_dir, "Output folder (default: the line file's folder)")
      ->option_text("DIR");
  c->add_option("--line", a.compile.line_name, "Line name (default: from LINE_FILE's name)")
      ->option_text("NAME");
  c->add_option("--train", a.compile.train_number, "Train number (default: from TRAIN_FILE's name)")
      ->option_text("NUMBER");
  c->add_flag("--no-plan", a.compile.no_plan, "Do not build or write the route plan");
  c->add_flag("--dry-run", a.compile.dry_run, "Check and report, write no file");
  c->add_flag("--no-wait", a.compile.no_wait,
              "Fail at once when another run is writing into the output folder");
  DefineDiagnosticOptions(*c, a.compile.diagnostics);
}

void DefineEmit(CLI::App& app, Arguments& a) {
  CLI::App* e =
      app.add_subcommand("emit", "Write the built-in scenario's documents as a starting point");
  e->add_option("--out", a.emit_dir, "Output folder (default: the current folder)")
      ->option_text("DIR");
  e->add_flag("--force", a.emit_force, "Replace files that already exist");
}

void DefineDump(CLI::App& app, Arguments& a) {
  CLI::App* d = app.add_subcommand(
      "dump", "Decode a compiled file (route plan, station table or track grid)");
  d->add_option("FILE", a.dump_file, "The compiled file")->required();
  d->add_flag("--json", a.dump_json, "JSON for programs instead of text");
  d->add_option("--kind", a.dump_kind, "File kind (default: from the name)")
      ->check(CLI::IsMember({"plan", "stations", "grid"}))
      ->option_text("plan|stations|grid");
}

void DefineDecompile(CLI::App& app, Arguments& a) {
  CLI::App* d = app.add_subcommand(
      "decompile", "Write the two text files that compile to the given compiled files");
  d->add_option("FILES", a.decompile.compiled,
                "The compiled files; LINE_DAT may be \"-\" or left out when there is no route plan")
      ->expected(2, 3)
      ->required()
      ->option_text("[LINE_DAT] SIM DAT");
  d->add_option("--out", a.decompile.out_dir, "Output folder (default: the station file's folder)")
      ->option_text("DIR");
  d->add_option_function<std::string>(
       "--line", [&a](const std::string& v) { a.decompile.line_name = v; },
       "Line name in the output file names (default: the one stored)")
      ->option_text("NAME");
  d->add_option_function<std::string>(
       "--train", [&a](const std::string& v) { a.decompile.train_number = v; },
       "Train number in the output file names (default: the one stored)")
      ->option_text("NUMBER");
  d->add_flag("--force", a.decompile.force, "Replace text files that already exist");
}

// The inputs shared by preview and view: two text files or the compiled
// files; `output_text` names -o's value.
void DefineScenarioInputs(CLI::App* p, std::vector<std::string>& compiled_files,
                          std::string& line_file, std::string& train_file, std::string& output,
                          const std::string& output_help, const char* output_text) {
  CLI::Option* compiled =
      p->add_option(
           "--from-compiled", compiled_files,
           "The compiled files; LINE_DAT may be \"-\" or left out when there is no route plan")
          ->expected(2, 3)
          ->option_text("[LINE_DAT] SIM DAT");
  CLI::Option* line = p->add_option("LINE_FILE", line_file, "Line description (<line>_linea.txt)");
  CLI::Option* train =
      p->add_option("TRAIN_FILE", train_file, "Train and service file (<line>_<train>-.txt)");
  compiled->excludes(line)->excludes(train);
  line->needs(train);
  train->needs(line);
  p->add_option("-o", output, output_help)->option_text(output_text);
  p->callback([compiled, line]() {
    if (compiled->count() == 0 && line->count() == 0) {
      throw CLI::RequiredError("give LINE_FILE TRAIN_FILE or --from-compiled [LINE_DAT] SIM DAT");
    }
  });
}

void DefineExplain(CLI::App& app, Arguments& a) {
  CLI::App* e = app.add_subcommand(
      "explain", "Annotate every line of a line or train file with what the compiler makes of it");
  CLI::Option* file =
      e->add_option("FILE", a.explain_file, "A line description or train and service file");
  CLI::Option* reference = e->add_flag("--reference", a.explain_reference,
                                       "Print the format reference of both files (Markdown)");
  file->excludes(reference);
  e->callback([file, reference]() {
    if (file->count() == 0 && reference->count() == 0) throw CLI::RequiredError("FILE");
  });
}

// Runs the command the arguments name, or the built-in run. `out` is the
// terminal text form of `raw_out`.
int RunCommand(CLI::App& app, const Arguments& a, Env& env, Ui& ui, std::ostream& raw_out,
               std::ostream& out, std::ostream& err) {
  if (app.got_subcommand("compile")) return RunCompileCommand(env, a.compile, err);
  if (app.got_subcommand("emit")) return RunEmitCommand(env, a.emit_dir, a.emit_force, out, err);
  if (app.got_subcommand("preview")) return RunPreviewCommand(env, a.preview, out, err);
  if (app.got_subcommand("view")) return RunViewCommand(env, a.view, out, err);
  if (app.got_subcommand("explain")) {
    if (a.explain_reference) {
      out << FormatReferenceMarkdown();
      return kExitClean;
    }
    return RunExplainCommand(env, a.explain_file, out, err);
  }
  // The protocol is bytes: standard output as it is, not the terminal text.
  if (app.got_subcommand("lsp")) return RunLspCommand(env, std::cin, raw_out, err);
  if (app.got_subcommand("decompile")) {
    return RunDecompileCommand(env, a.decompile, VersionLine(), out, err);
  }
  if (app.got_subcommand("dump")) {
    return RunDumpCommand(env, a.dump_file, a.dump_json, a.dump_kind, out, err);
  }

  std::string folder = a.out_dir;
  if (folder.empty()) {
    Status s = env.ProgramFolder(&folder);
    if (!s.ok()) {
      err << kProgram << "cannot find the program's folder: " << s.message() << "\n";
      return kExitUsageOrIo;
    }
  } else if (!env.FolderExists(folder)) {
    err << kProgram << folder << ": not a folder\n";
    return kExitUsageOrIo;
  }
  return RunBuiltInScenario(env, ui, folder, err, !a.no_wait);
}

// The file a command works on, for a message about the whole run.
std::string MainInput(CLI::App& app, const Arguments& a) {
  if (app.got_subcommand("compile")) return a.compile.line_file;
  if (app.got_subcommand("dump")) return a.dump_file;
  if (app.got_subcommand("preview")) {
    return a.preview.compiled.empty() ? a.preview.line_file : a.preview.compiled.back();
  }
  if (app.got_subcommand("view")) {
    return a.view.compiled.empty() ? a.view.line_file : a.view.compiled.back();
  }
  if (app.got_subcommand("emit")) return a.emit_dir;
  if (app.got_subcommand("decompile")) return a.decompile.compiled.back();
  return a.out_dir.empty() ? "the built-in scenario" : a.out_dir;
}

void DefinePreview(CLI::App& app, Arguments& a) {
  CLI::App* p =
      app.add_subcommand("preview", "Draw a scenario as an SVG picture (ground plan and profiles)");
  DefineScenarioInputs(
      p, a.preview.compiled, a.preview.line_file, a.preview.train_file, a.preview.output,
      "Output file (default: <line>_<train>_preview.svg beside the inputs)", "FILE.svg");
  DefineDiagnosticOptions(*p, a.preview.diagnostics);
}

void DefineView(CLI::App& app, Arguments& a) {
  CLI::App* v = app.add_subcommand(
      "view", "Write an interactive page (one HTML file) to explore a scenario in a browser");
  DefineScenarioInputs(v, a.view.compiled, a.view.line_file, a.view.train_file, a.view.output,
                       "Output file (default: <line>_<train>_view.html beside the inputs)",
                       "FILE.html");
  CLI::Option* serve = v->add_flag("--serve", a.view.serve,
                                   "Serve the page on 127.0.0.1 and follow the two text files: "
                                   "each save updates every open page");
  CLI::Option* port =
      v->add_option("--port", a.view.port, "With --serve: the port (default: a free one)")
          ->option_text("N")
          ->check(CLI::Range(1, 65535));
  CLI::Option* write =
      v->add_flag("--write", a.view.write,
                  "With --serve: also write the compiled files after each clean compile");
  CLI::Option* out =
      v->add_option("--out", a.view.out_dir,
                    "With --write: the folder of the compiled files (default: the line file's)")
          ->option_text("DIR");
  port->needs(serve);
  write->needs(serve);
  out->needs(write);
  serve->excludes(v->get_option("-o"))->excludes(v->get_option("--from-compiled"));
}

// Runs the command line; RunCommandLine adds the check of `raw_out`.
int RunParsed(const std::vector<std::string>& arguments, Env& env, Ui& ui, std::ostream& raw_out,
              std::ostream& raw_err) {
  // Everything shown goes through the escaping of control bytes; JSON output
  // has none left to escape.
  ControlEscapingBuffer out_buffer(raw_out), err_buffer(raw_err);
  std::ostream out(&out_buffer), err(&err_buffer);
  CLI::App app{kDescription, "scenario-compiler"};
  app.require_subcommand(0, 1);
  Arguments a;
  app.add_option("--out", a.out_dir, "Run the built-in scenario into DIR instead")
      ->option_text("DIR");
  app.add_flag("--no-wait", a.no_wait,
               "Fail at once when another run is writing into the same folder");
  app.set_version_flag("--version", VersionLine());
  DefineCompile(app, a);
  DefineEmit(app, a);
  DefineDump(app, a);
  DefineDecompile(app, a);
  DefinePreview(app, a);
  DefineView(app, a);
  DefineExplain(app, a);
  app.add_subcommand("lsp",
                     "Run the language server for editors (JSON-RPC on standard input and output)");

  try {
    // CLI11 takes the arguments after the program's name, last first.
    std::vector<std::string> reversed(arguments.rbegin(), arguments.rend());
    if (!reversed.empty()) reversed.pop_back();
    app.parse(reversed);
  } catch (const CLI::CallForHelp&) {
    out << app.help();
    return kExitClean;
  } catch (const CLI::CallForAllHelp&) {
    out << app.help("", CLI::AppFormatMode::All);
    return kExitClean;
  } catch (const CLI::CallForVersion&) {
    out << VersionLine() << "\n";
    return kExitClean;
  } catch (const CLI::ParseError& e) {
    err << kProgram << e.what() << "\n"
        << "Run 'scenario-compiler --help' for usage.\n";
    return kExitUsageOrIo;
  }

  try {
    return RunCommand(app, a, env, ui, raw_out, out, err);
  } catch (const std::bad_alloc&) {
    // Inputs are bounded, but the machine may still have less memory than a
    // large scenario needs: end like any other failure, naming the input.
    out.flush();
    err << kProgram << MainInput(app, a) << ": not enough memory to process it\n";
    return kExitUsageOrIo;
  }
}

}  // namespace

int RunCommandLine(const std::vector<std::string>& arguments, Env& env, Ui& ui, std::ostream& out,
                   std::ostream& err) {
  int status = RunParsed(arguments, env, ui, out, err);
  // Output that never arrived (a full disk, a closed pipe) is a failed write,
  // not a success. A stream that failed earlier writes nothing more, so errno
  // still holds the reason of the write that failed.
  int error_number = errno;
  if (out) {
    errno = 0;
    out.flush();
    error_number = errno;
  }
  if (!out) {
    err << kProgram << "standard output: "
        << (error_number != 0 ? std::strerror(error_number) : "write failed") << "\n";
    return kExitUsageOrIo;
  }
  return status;
}

int RunWithoutConsole(const std::vector<std::string>& arguments, Env& env, Ui& ui,
                      std::ostream& out) {
  std::ostringstream err;
  int status = RunCommandLine(arguments, env, ui, out, err);
  if (status == kExitUsageOrIo && !err.str().empty()) ui.ShowMessage(err.str());
  return status;
}

}  // namespace sc
