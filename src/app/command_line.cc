#include "app/command_line.h"

#include <CLI/CLI.hpp>
#include <cerrno>
#include <cstring>
#include <functional>
#include <istream>
#include <map>
#include <memory>
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
#ifdef SC_WITH_IMPORT
#include "commands/import_command.h"
#endif
#include "commands/lsp_command.h"
#include "commands/preview_command.h"
#include "commands/view_command.h"
#include "compiler/record_format.h"
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

// What a command runs with: the seam to the system and the process's
// streams. `out` is the terminal text form of `raw_out`.
struct CommandContext {
  Env& env;
  Ui& ui;
  std::istream& in;
  std::ostream& raw_out;
  std::ostream& out;
  std::ostream& err;
};

// A command once its options are defined: how it runs and the file it works
// on (for a message about the whole run), both bound to the arguments parsed.
struct BoundCommand {
  std::function<int(const CommandContext&)> run;
  std::function<std::string()> input;  // empty: the built-in run's
};

// One command of the command line: its name, what `--help` says of it, and
// how it defines its options on its subcommand.
struct Command {
  const char* name;
  const char* help;
  std::function<BoundCommand(CLI::App&)> define;
};

// A command whose parsed arguments are an `Args`: `define` binds the options
// to them; `run` and `input` read them after the parse.
template <typename Args>
Command MakeCommand(const char* name, const char* help,
                    std::function<void(CLI::App&, Args&)> define,
                    std::function<int(const Args&, const CommandContext&)> run,
                    std::function<std::string(const Args&)> input = nullptr) {
  return {name, help, [define, run, input](CLI::App& c) {
            auto args = std::make_shared<Args>();
            define(c, *args);
            BoundCommand bound;
            bound.run = [args, run](const CommandContext& x) { return run(*args, x); };
            if (input) bound.input = [args, input] { return input(*args); };
            return bound;
          }};
}

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

void DefineCompile(CLI::App& c, CompileOptions& a) {
  c.add_option("LINE_FILE", a.line_file, "Line description (<line>_linea.txt)")->required();
  c.add_option("TRAIN_FILE", a.train_file, "Train and service file (<line>_<train>-.txt)")
      ->required();
  c.add_option("--out", a.out_dir, "Output folder (default: the line file's folder)")
      ->option_text("DIR");
  c.add_option("--line", a.line_name, "Line name (default: from LINE_FILE's name)")
      ->option_text("NAME");
  c.add_option("--train", a.train_number, "Train number (default: from TRAIN_FILE's name)")
      ->option_text("NUMBER");
  c.add_flag("--no-plan", a.no_plan, "Do not build or write the route plan");
  c.add_flag("--dry-run", a.dry_run, "Check and report, write no file");
  c.add_flag("--no-wait", a.no_wait,
             "Fail at once when another run is writing into the output folder");
  DefineDiagnosticOptions(c, a.diagnostics);
}

struct EmitArguments {
  std::string dir = ".";
  bool force = false;
};

void DefineEmit(CLI::App& e, EmitArguments& a) {
  e.add_option("--out", a.dir, "Output folder (default: the current folder)")->option_text("DIR");
  e.add_flag("--force", a.force, "Replace files that already exist");
}

struct DumpArguments {
  std::string file;
  bool json = false;
  std::string kind;
};

void DefineDump(CLI::App& d, DumpArguments& a) {
  d.add_option("FILE", a.file, "The compiled file")->required();
  d.add_flag("--json", a.json, "JSON for programs instead of text");
  d.add_option("--kind", a.kind, "File kind (default: from the name)")
      ->check(CLI::IsMember({"plan", "stations", "grid"}))
      ->option_text("plan|stations|grid");
}

void DefineDecompile(CLI::App& d, DecompileRequest& a) {
  d.add_option("FILES", a.compiled,
               "The compiled files; LINE_DAT may be \"-\" or left out when there is no route plan")
      ->expected(2, 3)
      ->required()
      ->option_text("[LINE_DAT] SIM DAT");
  d.add_option("--out", a.out_dir, "Output folder (default: the station file's folder)")
      ->option_text("DIR");
  d.add_option_function<std::string>(
       "--line", [&a](const std::string& v) { a.line_name = v; },
       "Line name in the output file names (default: the one stored)")
      ->option_text("NAME");
  d.add_option_function<std::string>(
       "--train", [&a](const std::string& v) { a.train_number = v; },
       "Train number in the output file names (default: the one stored)")
      ->option_text("NUMBER");
  d.add_flag("--force", a.force, "Replace text files that already exist");
}

#ifdef SC_WITH_IMPORT
void DefineImport(CLI::App& c, ImportRequest& a) {
  c.add_option("SOURCE", a.source,
               "The map file: OpenStreetMap (.osm, .osm.gz, .osm.bz2, .osm.pbf), GeoJSON or GPX")
      ->required();
  c.add_option("--from", a.from, "The station the line starts at")
      ->required()
      ->option_text("STATION");
  c.add_option("--to", a.to, "The station the line ends at")->required()->option_text("STATION");
  c.add_option_function<std::string>(
       "--route", [&a](const std::string& v) { a.route = v; },
       "OpenStreetMap: the route relation to follow (its name, ref or id)")
      ->option_text("NAME|REF|ID");
  c.add_option_function<std::string>(
       "--line", [&a](const std::string& v) { a.line_name = v; },
       "Line name in the output file names (default: \"FROM - TO\")")
      ->option_text("NAME");
  c.add_option_function<std::string>(
       "--train", [&a](const std::string& v) { a.train_number = v; },
       std::string("Train number in the output file names (default: ") + kDefaultImportTrain + ")")
      ->option_text("NUMBER");
  c.add_option(
       "--max-speed", a.train_max_kmh,
       "The train's maximum speed, km/h (default: " + std::to_string(kDefaultTrainMaxKmh) + ")")
      ->option_text("KMH");
  c.add_option("--out", a.out_dir, "Output folder (default: the current folder)")
      ->option_text("DIR");
  c.add_flag("--force", a.force, "Replace text files that already exist");
  c.add_option("--report", a.report_path, "Also write the fit report as JSON")
      ->option_text("FILE.json");
}
#endif

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

// The file preview or view works on: the station file, or the line file.
template <typename Options>
std::string ScenarioInput(const Options& o) {
  return o.compiled.empty() ? o.line_file : o.compiled.back();
}

void DefinePreview(CLI::App& p, PreviewOptions& a) {
  DefineScenarioInputs(&p, a.compiled, a.line_file, a.train_file, a.output,
                       "Output file (default: <line>_<train>_preview.svg beside the inputs)",
                       "FILE.svg");
  DefineDiagnosticOptions(p, a.diagnostics);
}

void DefineView(CLI::App& v, ViewOptions& a) {
  DefineScenarioInputs(&v, a.compiled, a.line_file, a.train_file, a.output,
                       "Output file (default: <line>_<train>_view.html beside the inputs)",
                       "FILE.html");
  CLI::Option* serve = v.add_flag("--serve", a.serve,
                                  "Serve the page on 127.0.0.1 and follow the two text files: "
                                  "each save updates every open page");
  CLI::Option* port = v.add_option("--port", a.port, "With --serve: the port (default: a free one)")
                          ->option_text("N")
                          ->check(CLI::Range(1, 65535));
  CLI::Option* write = v.add_flag(
      "--write", a.write, "With --serve: also write the compiled files after each clean compile");
  CLI::Option* out =
      v.add_option("--out", a.out_dir,
                   "With --write: the folder of the compiled files (default: the line file's)")
          ->option_text("DIR");
  port->needs(serve);
  write->needs(serve);
  out->needs(write);
  serve->excludes(v.get_option("-o"))->excludes(v.get_option("--from-compiled"));
}

struct ExplainArguments {
  std::string file;
  bool reference = false;
};

void DefineExplain(CLI::App& e, ExplainArguments& a) {
  CLI::Option* file = e.add_option("FILE", a.file, "A line description or train and service file");
  CLI::Option* reference =
      e.add_flag("--reference", a.reference, "Print the format reference of both files (Markdown)");
  file->excludes(reference);
  e.callback([file, reference]() {
    if (file->count() == 0 && reference->count() == 0) throw CLI::RequiredError("FILE");
  });
}

int RunExplain(const ExplainArguments& a, const CommandContext& x) {
  if (a.reference) {
    x.out << FormatReferenceMarkdown();
    return kExitClean;
  }
  return RunExplainCommand(x.env, a.file, x.out, x.err);
}

// The language server has no options.
struct NoArguments {};

// The commands, in the order `--help` lists them. Adding one is adding its
// entry here and its file in commands/.
std::vector<Command> Commands() {
  return {
      MakeCommand<CompileOptions>(
          "compile", "Compile your own line and train files", DefineCompile,
          [](const CompileOptions& a, const CommandContext& x) {
            return RunCompileCommand(x.env, a, x.err);
          },
          [](const CompileOptions& a) { return a.line_file; }),
      MakeCommand<EmitArguments>(
          "emit", "Write the built-in scenario's documents as a starting point", DefineEmit,
          [](const EmitArguments& a, const CommandContext& x) {
            return RunEmitCommand(x.env, a.dir, a.force, x.out, x.err);
          },
          [](const EmitArguments& a) { return a.dir; }),
      MakeCommand<DumpArguments>(
          "dump", "Decode a compiled file (route plan, station table or track grid)", DefineDump,
          [](const DumpArguments& a, const CommandContext& x) {
            return RunDumpCommand(x.env, a.file, a.json, a.kind, x.out, x.err);
          },
          [](const DumpArguments& a) { return a.file; }),
      MakeCommand<DecompileRequest>(
          "decompile", "Write the two text files that compile to the given compiled files",
          DefineDecompile,
          [](const DecompileRequest& a, const CommandContext& x) {
            return RunDecompileCommand(x.env, a, VersionLine(), x.out, x.err);
          },
          [](const DecompileRequest& a) { return a.compiled.back(); }),
#ifdef SC_WITH_IMPORT
      MakeCommand<ImportRequest>(
          "import", "Turn map data (OpenStreetMap, GeoJSON, GPX) into a line and a train file",
          DefineImport,
          [](const ImportRequest& a, const CommandContext& x) {
            return RunImportCommand(x.env, a, VersionLine(), x.out, x.err);
          },
          [](const ImportRequest& a) { return a.source; }),
#endif
      MakeCommand<PreviewOptions>(
          "preview", "Draw a scenario as an SVG picture (ground plan and profiles)", DefinePreview,
          [](const PreviewOptions& a, const CommandContext& x) {
            return RunPreviewCommand(x.env, a, x.out, x.err);
          },
          ScenarioInput<PreviewOptions>),
      MakeCommand<ViewOptions>(
          "view", "Write an interactive page (one HTML file) to explore a scenario in a browser",
          DefineView,
          [](const ViewOptions& a, const CommandContext& x) {
            return RunViewCommand(x.env, a, x.out, x.err);
          },
          ScenarioInput<ViewOptions>),
      MakeCommand<ExplainArguments>(
          "explain",
          "Annotate every line of a line or train file with what the compiler makes of it",
          DefineExplain, RunExplain,
          [](const ExplainArguments& a) {
            return a.reference ? std::string("the format reference") : a.file;
          }),
      MakeCommand<NoArguments>(
          "lsp", "Run the language server for editors (JSON-RPC on standard input and output)",
          [](CLI::App&, NoArguments&) {},
          // The protocol is bytes: standard output as it is, not the terminal text.
          [](const NoArguments&, const CommandContext& x) {
            return RunLspCommand(x.env, x.in, x.raw_out, x.err);
          }),
  };
}

// Without a command: the built-in scenario into the program's folder or DIR.
struct BuiltInArguments {
  std::string out_dir;
  bool no_wait = false;
};

void DefineBuiltIn(CLI::App& app, BuiltInArguments& a) {
  app.add_option("--out", a.out_dir, "Run the built-in scenario into DIR instead")
      ->option_text("DIR");
  app.add_flag("--no-wait", a.no_wait,
               "Fail at once when another run is writing into the same folder");
}

int RunBuiltIn(const BuiltInArguments& a, const CommandContext& x) {
  std::string folder = a.out_dir;
  if (folder.empty()) {
    Status s = x.env.ProgramFolder(&folder);
    if (!s.ok()) {
      x.err << kProgram << "cannot find the program's folder: " << s.message() << "\n";
      return kExitUsageOrIo;
    }
  } else if (!x.env.FolderExists(folder)) {
    x.err << kProgram << folder << ": not a folder\n";
    return kExitUsageOrIo;
  }
  return RunBuiltInScenario(x.env, x.ui, folder, x.err, !a.no_wait);
}

std::string BuiltInInput(const BuiltInArguments& a) {
  return a.out_dir.empty() ? "the built-in scenario" : a.out_dir;
}

// Runs the command line; RunCommandLine adds the check of `raw_out`.
int RunParsed(const std::vector<std::string>& arguments, Env& env, Ui& ui, std::istream& in,
              std::ostream& raw_out, std::ostream& raw_err) {
  // Everything shown goes through the escaping of control bytes; JSON output
  // has none left to escape.
  ControlEscapingBuffer out_buffer(raw_out), err_buffer(raw_err);
  std::ostream out(&out_buffer), err(&err_buffer);
  CLI::App app{kDescription, "scenario-compiler"};
  app.require_subcommand(0, 1);
  BuiltInArguments built_in;
  DefineBuiltIn(app, built_in);
  app.set_version_flag("--version", VersionLine());
  std::vector<std::pair<CLI::App*, BoundCommand>> commands;
  for (const Command& command : Commands()) {
    CLI::App* sub = app.add_subcommand(command.name, command.help);
    commands.emplace_back(sub, command.define(*sub));
  }

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

  const BoundCommand* chosen = nullptr;
  for (const auto& [sub, bound] : commands) {
    if (sub->parsed()) chosen = &bound;
  }
  const CommandContext context{env, ui, in, raw_out, out, err};
  try {
    return chosen ? chosen->run(context) : RunBuiltIn(built_in, context);
  } catch (const std::bad_alloc&) {
    // Inputs are bounded, but the machine may still have less memory than a
    // large scenario needs: end like any other failure, naming the input.
    out.flush();
    const std::string input = chosen && chosen->input ? chosen->input() : BuiltInInput(built_in);
    err << kProgram << input << ": not enough memory to process it\n";
    return kExitUsageOrIo;
  }
}

}  // namespace

int RunCommandLine(const std::vector<std::string>& arguments, Env& env, Ui& ui, std::istream& in,
                   std::ostream& out, std::ostream& err) {
  int status = RunParsed(arguments, env, ui, in, out, err);
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
    err << kProgram
        << "standard output: " << (error_number != 0 ? std::strerror(error_number) : "write failed")
        << "\n";
    return kExitUsageOrIo;
  }
  return status;
}

int RunWithoutConsole(const std::vector<std::string>& arguments, Env& env, Ui& ui, std::istream& in,
                      std::ostream& out) {
  std::ostringstream err;
  int status = RunCommandLine(arguments, env, ui, in, out, err);
  if (status == kExitUsageOrIo && !err.str().empty()) ui.ShowMessage(err.str());
  return status;
}

}  // namespace sc
