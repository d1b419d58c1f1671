#include "app/command_line.h"

#include <CLI/CLI.hpp>

#include "app/builtin_run.h"
#include "app/report.h"

namespace sc {

int RunCommandLine(int argc, char** argv, Env& env, Ui& ui, std::ostream& out,
                   std::ostream& err) {
  CLI::App app{
      "Compiles a train-driving scenario into the files the simulator loads.\n"
      "Without arguments: writes the built-in scenario \"Vastro - Dreo\", train 2001,\n"
      "into the program's own folder and compiles it."};
  app.name("scenario-compiler");
  std::string out_dir;
  app.add_option("--out", out_dir, "Write the built-in scenario into DIR instead")
      ->option_text("DIR");
  app.set_version_flag("--version", std::string("scenario-compiler ") + SC_VERSION);

  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp&) {
    out << app.help();
    return kExitClean;
  } catch (const CLI::CallForVersion&) {
    out << "scenario-compiler " << SC_VERSION << "\n";
    return kExitClean;
  } catch (const CLI::ParseError& e) {
    err << "scenario-compiler: " << e.what() << "\n" << app.help();
    return kExitUsageOrIo;
  }

  std::string folder = out_dir;
  if (folder.empty()) {
    Status s = Env::ProgramFolder(&folder);
    if (!s.ok()) {
      err << "scenario-compiler: cannot find the program's folder: " << s.message() << "\n";
      return kExitUsageOrIo;
    }
  } else if (!env.FolderExists(folder)) {
    err << "scenario-compiler: " << folder << ": not a folder\n";
    return kExitUsageOrIo;
  }
  return RunBuiltInScenario(env, ui, folder, err);
}

}  // namespace sc
